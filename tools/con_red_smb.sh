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
#   con_red_smb.sh [--servidor] COMMAND [ARGS...]
#
# --servidor runs the command on the server side instead, where an SMB server also answers on
# the loopback interface, as on a machine that shares its own folders.
set -uo pipefail
. "$(dirname "$0")/smbd_privado.sh"

lado=cliente
if [ "${1:-}" = --servidor ]; then lado=servidor; shift; fi

GRUPO=QXGRUPO
SERVIDOR=QXSERVIDOR
IP_SERVIDOR=10.213.7.1
IP_CLIENTE=10.213.7.2
PUERTO_MDNS=4455  # what the mDNS record announces: a second smbd port, for //host:port
NOMBRE_MDNS="Archivos en red"

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
  # The RPC helpers smbd starts leave its process group but not its namespace: everything
  # still in a namespace made here is ended before the namespace goes.
  local ns p
  for ns in "${hechos[@]}"; do
    for p in $(ip netns pids "$ns" 2>/dev/null); do kill -CONT "$p"; kill -TERM "$p"; done 2>/dev/null
  done
  for ns in "${hechos[@]}"; do
    for _ in $(seq 50); do [ -z "$(ip netns pids "$ns" 2>/dev/null)" ] && break; sleep 0.1; done
    for p in $(ip netns pids "$ns" 2>/dev/null); do kill -KILL "$p" 2>/dev/null; done
    ip netns del "$ns" 2>/dev/null
  done
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
  interfaces = $veth_s lo
  bind interfaces only = yes
  # The workgroup browse has no protocol but SMB1; this server exists only for it.
  server min protocol = NT1
  local master = yes
  preferred master = yes
  domain master = no
  os level = 255
$(carpetas_smbd "$s")
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

# A bus and an mDNS daemon for one side. avahi-daemon reads its services from a fixed folder
# and keeps its pid in a fixed place: it runs in a mount namespace of its own (ip netns exec
# makes one, with no way back to this machine's mounts) with those two places replaced.
mdns_lado() {
  local ns=$1 lado=$2 veth=$3 equipo=$4
  local m=$dir/mdns-$lado
  mkdir -p "$m/servicios" "$m/run"
  cat >"$m/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$m/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
  cat >"$m/avahi.conf" <<CONF
[server]
host-name=$equipo
domain-name=local
use-ipv4=yes
use-ipv6=no
allow-interfaces=$veth
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
CONF
  lanzar "$ns" "$m/salida-bus" dbus-daemon --nofork --nopidfile --config-file="$m/bus.conf"
  for _ in $(seq 50); do [ -S "$m/bus" ] && break; sleep 0.1; done
  [ -S "$m/bus" ] || { echo "dbus-daemon did not start: $(tail -2 "$m/salida-bus" | tr '\n' ' ')"; return 1; }
  lanzar "$ns" "$m/salida" env DBUS_SYSTEM_BUS_ADDRESS="unix:path=$m/bus" sh -c '
    mount --bind "$1/servicios" /etc/avahi/services && mount --bind "$1/run" /run &&
      exec avahi-daemon --no-drop-root --no-chroot --no-proc-title -f "$1/avahi.conf"' sh "$m"
}

mdns() {
  command -v avahi-daemon >/dev/null || { echo "avahi-daemon is not installed"; return 1; }
  command -v dbus-daemon >/dev/null || { echo "dbus-daemon is not installed"; return 1; }
  [ -d /etc/avahi/services ] || { echo "avahi-daemon has no services folder"; return 1; }
  mkdir -p "$dir/mdns-servidor/servicios"
  cat >"$dir/mdns-servidor/servicios/smb.service" <<CONF
<?xml version="1.0" standalone='no'?>
<!DOCTYPE service-group SYSTEM "avahi-service.dtd">
<service-group>
  <name>$NOMBRE_MDNS</name>
  <service>
    <type>_smb._tcp</type>
    <port>$PUERTO_MDNS</port>
  </service>
</service-group>
CONF
  mdns_lado "$ns_s" servidor "$veth_s" qxservidor || return 1
  mdns_lado "$ns_c" cliente "$veth_c" qxcliente || return 1
  local m
  for m in servidor cliente; do
    for _ in $(seq 100); do grep -q "Server startup complete" "$dir/mdns-$m/salida" && break; sleep 0.1; done
    grep -q "Server startup complete" "$dir/mdns-$m/salida" ||
      { echo "avahi-daemon ($m) did not start: $(tail -3 "$dir/mdns-$m/salida" | tr '\n' ' ')"; return 1; }
  done
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
  # mDNS is a part of its own: without it the browse is still tested.
  if mdns >"$dir.fallo" 2>&1; then
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/mdns-cliente/bus" QUIRVEX_RED_PUERTO_MDNS=$PUERTO_MDNS \
      QUIRVEX_RED_NOMBRE_MDNS=$NOMBRE_MDNS
  else
    fallo=$(cat "$dir.fallo")
    export QUIRVEX_RED_FALLO_MDNS="${fallo:-mDNS could not be set up}"
  fi
  export QUIRVEX_RED_LADO=$lado
  donde=$ns_c
  [ "$lado" = servidor ] && donde=$ns_s
  # In the background, so that a signal reaches the trap at once and not after the command.
  HOME=$dir/cliente en "$donde" "$@" &
  cmd=$!
  wait "$cmd"
  rc=$?
  cmd=
  exit $rc
fi
fallo=$(cat "$dir.fallo")
export QUIRVEX_RED_FALLO="${fallo:-the private network could not be set up}"
"$@"
