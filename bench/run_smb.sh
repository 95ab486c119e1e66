#!/usr/bin/env bash
# Network shares against smbclient on a private smbd on loopback (tools/con_smbd.sh), the same
# share in the same run. Prints two ratios:
#   listing a folder of 10,000 entries: program time / `smbclient -c ls` time (target <= 1.5),
#   copying a 1 GiB file from the share: program speed / `smbclient -c get` speed (target >= 0.8).
# Usage: bench/run_smb.sh [ROUNDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != "--dentro" ]; then
  exec bash "$top/tools/con_smbd.sh" bash "$0" --dentro "${1:-3}"
fi
rondas=${2:-3}
if [ -n "${QUIRVEX_SMB_FALLO:-}" ]; then echo "no SMB server: $QUIRVEX_SMB_FALLO"; exit 1; fi
bin=${QUIRVEX_BENCH_BIN:-$top/build}/bench/bench_smb
[ -x "$bin" ] || { echo "build bench_smb first (bash bench/run.sh smb)"; exit 1; }
srv=//127.0.0.1:$QUIRVEX_SMB_PUERTO
pub=$QUIRVEX_SMB_DIR/pub
local=$(mktemp -d "${TMPDIR:-/tmp}/bench-smb.XXXXXX")
trap 'rm -rf "$local"' EXIT
cli=(smbclient -s "$QUIRVEX_SMB_DIR/smb.conf" -p "$QUIRVEX_SMB_PUERTO" -N "//127.0.0.1/pub")

reloj() { date +%s.%N; }
tomar() { local a b; a=$(reloj); "$@" >/dev/null 2>&1; b=$(reloj); awk -v a="$a" -v b="$b" 'BEGIN { printf "%.6f", b - a }'; }
menor() { printf '%s\n' "$@" | sort -g | head -1; }
cociente() { awk -v t="$1" -v q="$2" 'BEGIN { printf "%.2f", t / q }'; }

# --- 10,000 entries -------------------------------------------------------------------------
mkdir "$pub/diez"
(cd "$pub/diez" && seq -f "archivo %05g.txt" 1 9900 | xargs -d '\n' touch && seq -f "carpeta %03g" 1 100 | xargs -d '\n' mkdir)
q=(); h=()
for r in $(seq "$rondas"); do
  q+=("$("$bin" list "$srv/pub/diez" 2>/dev/null)")
  h+=("$(tomar "${cli[@]}" -c 'cd diez; ls')")
done
tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}")
echo "listing 10,000 entries: program ${tq}s, smbclient -c ls ${tc}s  ratio $(cociente "$tq" "$tc") (target <= 1.5)"

# --- 1 GiB file -----------------------------------------------------------------------------
head -c 1G /dev/urandom >"$pub/grande.bin"
cat "$pub/grande.bin" >/dev/null  # both read it from the server's cache
q=(); h=()
for r in $(seq "$rondas"); do
  mkdir "$local/q$r" "$local/c$r"
  q+=("$("$bin" copy "$srv/pub/grande.bin" "$local/q$r/")")
  cmp -s "$pub/grande.bin" "$local/q$r/grande.bin" || { echo "program copy differs" >&2; exit 1; }
  rm -f "$local/q$r/grande.bin"
  h+=("$(tomar "${cli[@]}" -c "get grande.bin $local/c$r/grande.bin")")
  cmp -s "$pub/grande.bin" "$local/c$r/grande.bin" || { echo "smbclient copy differs" >&2; exit 1; }
  rm -f "$local/c$r/grande.bin"
done
tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}")
echo "copying 1 GiB from the share: program ${tq}s, smbclient -c get ${tc}s  ratio $(cociente "$tc" "$tq") (target >= 0.8)"
