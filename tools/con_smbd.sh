#!/usr/bin/env bash
# Runs a command beside a private SMB server: smbd under its own configuration in a temporary
# folder, on the loopback interface only, port 4450 or the next free one, with a guest share
# "pub" and a share "priv" for one user. The command learns where everything is from QUIRVEX_SMB_* variables.
# When the server cannot be started the command still runs, with QUIRVEX_SMB_FALLO saying why,
# so its tests report themselves skipped with that reason.
#
#   con_smbd.sh COMMAND [ARGS...]
set -uo pipefail
. "$(dirname "$0")/smbd_privado.sh"

# smbd binds its ports with SO_REUSEPORT: a second server on a port another run on this machine
# (another checkout's tests) already serves starts without a word, and the kernel then shares
# the connections out between the two. So the port is the first one from 4450 that nothing
# listens on, unless the caller names one.
libre() {
  local p
  for p in $(seq 4450 4499); do
    [ -z "$(ss -Hltn "sport = :$p" 2>/dev/null)" ] && { echo "$p"; return; }
  done
  echo 4450
}
if [ -n "${QUIRVEX_SMB_PUERTO:-}" ]; then PUERTO=$QUIRVEX_SMB_PUERTO
elif command -v ss >/dev/null; then PUERTO=$(libre)
else PUERTO=4450; fi
USUARIO=quirvexsmb
CLAVE=clave-de-prueba

dir=$(mktemp -d /tmp/quirvex-smbd.XXXXXX)
pid=
# Every process the server starts inherits this mark; some (the RPC helpers) leave its process
# group and session, so the mark is what finds them all at the end.
marca="QUIRVEX_SMBD_MARCA=$dir"
marcados() {
  local e p
  for e in /proc/[0-9]*/environ; do
    p=${e#/proc/}; p=${p%/environ}
    grep -qzxF "$marca" "$e" 2>/dev/null && echo "$p"
  done
}
# True while a process is still there and not yet a zombie (a killed one tears down for a while).
vivo() { [ -d "/proc/$1" ] && [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" != Z ]; }
limpiar() {
  local quedan vistos p
  # Written down first: a process on its way out no longer shows its mark.
  vistos=$(marcados)
  if [ -n "$pid" ]; then
    kill -CONT -- "-$pid" 2>/dev/null
    kill -TERM -- "-$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL -- "-$pid" 2>/dev/null
  fi
  for _ in $(seq 50); do
    quedan=$(marcados)
    vistos="$vistos $quedan"
    [ -z "$quedan" ] && break
    # shellcheck disable=SC2086
    kill -CONT $quedan 2>/dev/null; kill -TERM $quedan 2>/dev/null
    sleep 0.1
  done
  # shellcheck disable=SC2086
  [ -n "$quedan" ] && kill -KILL $quedan 2>/dev/null
  # Returns only once every one of them is gone.
  for p in $vistos; do
    for _ in $(seq 100); do vivo "$p" || break; sleep 0.1; done
  done
  rm -rf "$dir"
}
trap limpiar EXIT

arrancar() {
  command -v smbd >/dev/null || { echo "smbd is not installed (Debian package samba)"; return 1; }
  command -v smbpasswd >/dev/null || { echo "smbpasswd is not installed"; return 1; }
  [ "$(id -u)" -eq 0 ] || { echo "smbd needs root to serve a user share"; return 1; }
  mkdir -p "$dir"/{pub,priv,private,lock,state,cache,pid,log,ncalrpc}
  chmod 0777 "$dir/pub" "$dir/priv"
  chmod 0755 "$dir"
  cat > "$dir/smb.conf" <<CONF
[global]
  workgroup = QUIRVEX
  netbios name = QUIRVEXPRUEBA
  server role = standalone server
  smb ports = $PUERTO
  interfaces = lo
  bind interfaces only = yes
  disable netbios = yes
  server min protocol = SMB2_02
$(carpetas_smbd "$dir")
  ea support = no
  store dos attributes = no
[pub]
  path = $dir/pub
  guest ok = yes
  read only = no
  force user = root
[priv]
  path = $dir/priv
  valid users = $USUARIO
  read only = no
  force user = root
CONF
  if ! id "$USUARIO" >/dev/null 2>&1; then
    useradd -M -s /usr/sbin/nologin "$USUARIO" >/dev/null 2>&1 || { echo "cannot add the Unix user $USUARIO"; return 1; }
  fi
  printf '%s\n%s\n' "$CLAVE" "$CLAVE" | smbpasswd -c "$dir/smb.conf" -s -a "$USUARIO" >/dev/null 2>&1 ||
    { echo "smbpasswd failed"; return 1; }
  # A session of its own, so the server and every child it forks form one process group.
  env "$marca" setsid smbd --foreground --no-process-group -s "$dir/smb.conf" </dev/null >"$dir/log/salida" 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    if smbclient -s "$dir/smb.conf" -p "$PUERTO" -N -L //127.0.0.1 >/dev/null 2>&1; then return 0; fi
    kill -0 "$pid" 2>/dev/null || { echo "smbd ended at start: $(tail -3 "$dir/log/salida" | tr '\n' ' ')"; pid=; return 1; }
    sleep 0.1
  done
  echo "smbd did not answer on 127.0.0.1:$PUERTO within 10 s"
  return 1
}

# The reason for a failure goes through a file: arrancar must run in this shell to keep $pid.
if arrancar >"$dir.fallo" 2>&1; then
  export QUIRVEX_SMB_DIR=$dir QUIRVEX_SMB_PUERTO=$PUERTO QUIRVEX_SMB_PGID=$pid
  export QUIRVEX_SMB_USUARIO=$USUARIO QUIRVEX_SMB_CLAVE=$CLAVE
else
  fallo=$(cat "$dir.fallo")
  export QUIRVEX_SMB_FALLO="${fallo:-smbd could not be started}"
fi
rm -f "$dir.fallo"
"$@"
