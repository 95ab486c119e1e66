#!/usr/bin/env bash
# tools/con_smbd.sh leaves nothing running: every process the server started (smbd, its
# children, the RPC helpers that detach into a session of their own) is gone once it returns,
# even after the server was frozen with SIGSTOP. Skipped when the server cannot be started.
set -uo pipefail
raiz=$(cd "$(dirname "$0")/../.." && pwd)
lista=$(mktemp)
trap 'rm -f "$lista"' EXIT

# Inside: makes the server start its helpers (a share list asks for them), freezes it, and
# writes down every process that carries the server's configuration folder.
dentro() {
  if [ -n "${QUIRVEX_SMB_FALLO:-}" ]; then echo "SKIP $QUIRVEX_SMB_FALLO" >"$lista"; return 0; fi
  smbclient -s "$QUIRVEX_SMB_DIR/smb.conf" -p "$QUIRVEX_SMB_PUERTO" -N -L //127.0.0.1 >/dev/null 2>&1
  for c in /proc/[0-9]*/cmdline; do
    p=${c#/proc/}; p=${p%/cmdline}
    { tr '\0' ' ' <"$c"; } 2>/dev/null | grep -qF "$QUIRVEX_SMB_DIR/smb.conf" && echo "$p"
  done >"$lista"
  kill -STOP -- "-$QUIRVEX_SMB_PGID"
}
export -f dentro
export lista
bash "$raiz/tools/con_smbd.sh" bash -c dentro

if grep -q '^SKIP' "$lista"; then echo "[  SKIPPED ] $(cat "$lista")"; exit 0; fi
n=$(wc -l <"$lista")
[ "$n" -ge 2 ] || { echo "FAIL: expected the server and its helpers, saw $n processes"; exit 1; }
quedan=
while read -r p; do
  [ -d "/proc/$p" ] && [ "$(awk '{print $3}' "/proc/$p/stat" 2>/dev/null)" != Z ] && quedan="$quedan $p"
done <"$lista"
if [ -n "$quedan" ]; then
  echo "FAIL: left running:"; for p in $quedan; do echo "  $p $(tr '\0' ' ' <"/proc/$p/cmdline")"; done
  kill -KILL $quedan 2>/dev/null
  exit 1
fi
echo "OK: $n processes started, none left"
