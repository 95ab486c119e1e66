#!/usr/bin/env bash
# Runs a command on the client side of a private two-machine network: two network namespaces
# joined by a veth pair, the server side running smbd and nmbd (the workgroup's browse master)
# and, when installed, avahi-daemon publishing the server's SMB service over mDNS; the client
# side running its own avahi-daemon. Each side's avahi talks to a bus daemon of its own. The
# machine's own interfaces are never touched; everything started here is stopped on exit,
# whatever the outcome. The command learns the set-up from QUIRVEX_RED_* variables; when it
# cannot be built the command still runs (on this machine, outside any namespace), with
# QUIRVEX_RED_FALLO saying why, so its tests report themselves skipped with that reason.
#
#   con_red_smb.sh COMMAND [ARGS...]
set -uo pipefail

GRUPO=QXGRUPO
SERVIDOR=QXSERVIDOR
IP_SERVIDOR=10.213.7.1
IP_CLIENTE=10.213.7.2
PUERTO_MDNS=4455  # what the mDNS record announces: a second smbd port, for //host:port

dir=$(mktemp -d /tmp/quirvex-red.XXXXXX)
chmod 0755 "$dir"
ns_s=qxsrv$$
ns_c=qxcli$$
veth_s=qxs$$
veth_c=qxc$$
grupos=()    # process groups started here (each leader runs setsid)
hechos=()    # namespaces made here

cmd=
limpiar() {
  local g
  [ -n "$cmd" ] && kill -TERM "$cmd" 2>/dev/null
  for g in "${grupos[@]}"; do kill -CONT -- "-$g" 2>/dev/null; kill -TERM -- "-$g" 2>/dev/null; done
  for g in "${grupos[@]}"; do
    for _ in $(seq 50); do kill -0 -- "-$g" 2>/dev/null || break; sleep 0.1; done
    kill -KILL -- "-$g" 2>/dev/null
  done
  local ns
  for ns in "${hechos[@]}"; do ip netns del "$ns" 2>/dev/null; done
  rm -rf "$dir" "$dir.fallo"
}
trap limpiar EXIT
trap 'exit 130' INT TERM HUP

# A run killed outright (a test time limit sends SIGKILL) cannot clean up after itself: the
# next run removes what such a run left, recognised by the name that carries its dead pid.
sobras() {
  local ns p
  for ns in $(ip netns list 2>/dev/null | awk '{print $1}'); do
    case $ns in qxsrv[0-9]*|qxcli[0-9]*) ;; *) continue ;; esac
    kill -0 "${ns:5}" 2>/dev/null && continue
    for p in $(ip netns pids "$ns" 2>/dev/null); do kill -KILL "$p" 2>/dev/null; done
    ip netns del "$ns" 2>/dev/null
  done
}

en() { local ns=$1; shift; ip netns exec "$ns" "$@"; }

# Starts a daemon in a namespace as the leader of a process group of its own.
lanzar() {
  local ns=$1 salida=$2
  shift 2
  ip netns exec "$ns" setsid "$@" </dev/null >"$salida" 2>&1 &
  grupos+=($!)
}

red() {
  command -v ip >/dev/null || { echo "ip is not installed (Debian package iproute2)"; return 1; }
  [ "$(id -u)" -eq 0 ] || { echo "network namespaces need root"; return 1; }
  sobras
  ip netns add "$ns_s" 2>/dev/null || { echo "cannot create a network namespace"; return 1; }
  hechos+=("$ns_s")
  ip netns add "$ns_c" 2>/dev/null || { echo "cannot create a network namespace"; return 1; }
  hechos+=("$ns_c")
  # Made inside the server namespace, so the machine never holds either end, even briefly.
  en "$ns_s" ip link add "$veth_s" type veth peer name "$veth_c" netns "$ns_c" ||
    { echo "cannot create a veth pair"; return 1; }
  en "$ns_s" ip addr add "$IP_SERVIDOR/24" broadcast + dev "$veth_s" &&
    en "$ns_c" ip addr add "$IP_CLIENTE/24" broadcast + dev "$veth_c" &&
    en "$ns_s" ip link set lo up && en "$ns_c" ip link set lo up &&
    en "$ns_s" ip link set "$veth_s" multicast on up && en "$ns_c" ip link set "$veth_c" multicast on up ||
    { echo "cannot configure the veth pair"; return 1; }
}

samba() {
  command -v smbd >/dev/null || { echo "smbd is not installed (Debian package samba)"; return 1; }
  command -v nmbd >/dev/null || { echo "nmbd is not installed (Debian package samba)"; return 1; }
  local s=$dir/samba
  mkdir -p "$s"/{pub,docs,private,lock,state,cache,pid,log,ncalrpc}
  chmod 0777 "$s/pub" "$s/docs"
  echo "hola" >"$s/pub/hola.txt"
  cat >"$s/smb.conf" <<CONF
[global]
  workgroup = $GRUPO
  netbios name = $SERVIDOR
  server string = Quirvex
  server role = standalone server
  # 139 for the SMB1 connection of the browse, 445 for shares, and the port mDNS announces.
  smb ports = 139 445 $PUERTO_MDNS
  interfaces = $veth_s
  bind interfaces only = yes
  # The workgroup browse has no protocol but SMB1; this server exists only for it.
  server min protocol = NT1
  local master = yes
  preferred master = yes
  domain master = no
  os level = 255
  map to guest = Bad User
  passdb backend = tdbsam:$s/private/passdb.tdb
  load printers = no
  disable spoolss = yes
  printing = bsd
  printcap name = /dev/null
  private dir = $s/private
  lock directory = $s/lock
  state directory = $s/state
  cache directory = $s/cache
  pid directory = $s/pid
  ncalrpc dir = $s/ncalrpc
  log file = $s/log/log.%m
  log level = 1
  unix charset = UTF-8
[pub]
  path = $s/pub
  guest ok = yes
  read only = no
  force user = root
[docs]
  path = $s/docs
  guest ok = yes
  read only = yes
CONF
  lanzar "$ns_s" "$s/log/smbd" smbd --foreground --no-process-group -s "$s/smb.conf"
  lanzar "$ns_s" "$s/log/nmbd" nmbd --foreground --no-process-group -s "$s/smb.conf"
  for _ in $(seq 100); do
    if en "$ns_c" smbclient -p 445 -N -L "//$IP_SERVIDOR" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "smbd did not answer on $IP_SERVIDOR within 10 s: $(tail -3 "$s/log/smbd" | tr '\n' ' ')"
  return 1
}

# The client side is another machine: libsmbclient's caches of names and failed connections
# are its own, not this machine's (another run's would answer for a server not yet there).
cliente() {
  local c=$dir/cliente
  mkdir -p "$c/.smb" "$c"/{lock,state,cache,private}
  cat >"$c/.smb/smb.conf" <<CONF
[global]
  lock directory = $c/lock
  state directory = $c/state
  cache directory = $c/cache
  private dir = $c/private
CONF
}

if { red && samba && cliente; } >"$dir.fallo" 2>&1; then
  export QUIRVEX_RED_GRUPO=$GRUPO QUIRVEX_RED_SERVIDOR=$SERVIDOR QUIRVEX_RED_IP=$IP_SERVIDOR
  export QUIRVEX_RED_DIR=$dir
  # In the background, so that a signal reaches the trap at once and not after the command.
  HOME=$dir/cliente en "$ns_c" "$@" &
  cmd=$!
  wait "$cmd"
  rc=$?
  cmd=
  exit $rc
fi
fallo=$(cat "$dir.fallo")
export QUIRVEX_RED_FALLO="${fallo:-the private network could not be set up}"
"$@"
