#!/usr/bin/env bash
# Soak test (not part of CI): the program with 16 tabs of 8 panes restored from its settings,
# 1,000 copy operations queued, and one shown folder churned from this shell (100 files created
# and 100 deleted per second) for a given time. Memory and open handles are read from /proc
# every 10 s; at the end every copy is compared with its source.
# Usage: bench/soak.sh [SECONDS] [COPIES]   (default 600 s, 1000 copies)
# Prints the resident memory at 60 s and at the end with its growth (target: under 5 %), the
# open file descriptors at 60 s and at the end (target: no growth), and what was lost (none).
set -euo pipefail
segundos=${1:-600}
copias=${2:-1000}
top=$(cd "$(dirname "$0")/.." && pwd)
bin=${QUIRVEX_BENCH_BIN:-$top/build}/bench/bench_soak_qt
[ -x "$bin" ] || ninja -C "${QUIRVEX_BENCH_BIN:-$top/build}" bench_soak_qt >/dev/null
work=$(mktemp -d)
pid=
churn=
Limpiar() {
  [ -n "$churn" ] && kill "$churn" 2>/dev/null
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap Limpiar EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
mkdir -p "$XDG_CONFIG_HOME/Ubrel" "$XDG_RUNTIME_DIR" "$work/src" "$work/dst" "$work/churn"
chmod 700 "$XDG_RUNTIME_DIR"
for k in $(seq 1 20); do head -c $((k * 3000)) /dev/urandom >"$work/src/f$k.bin"; done

# 16 tabs of 8 panes: the churned folder in the first pane of every tab, then system folders.
otras=(/usr/share /usr/lib /usr/bin /etc /usr/include /var "$work/src")
tabs=
for t in $(seq 1 16); do
  entrada=$work/churn
  for p in $(seq 1 7); do entrada+="\\n${otras[$(( (t + p) % ${#otras[@]} ))]}"; done
  tabs+=$entrada
  [ "$t" -lt 16 ] && tabs+="\\r"
done
cat >"$XDG_CONFIG_HOME/Ubrel/Halvord.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Ubrel\\Halvord]
"Language"=dword:00000000
"Restore Tabs"=dword:00000001
"Previous Tabs"="$tabs"
REG

"$bin" "$work/src" "$work/dst" "$copias" "$segundos" "$work/churn" >"$work/salida" 2>"$work/errores" &
pid=$!

# 100 files a second in the shown folder, each deleted a second after it was made.
(
  n=0
  while :; do
    for i in $(seq 1 10); do : >"$work/churn/c$((n + i))"; done
    rm -f "$work/churn"/c$((n - 100 + 1)) "$work/churn"/c$((n - 100 + 2)) "$work/churn"/c$((n - 100 + 3)) \
      "$work/churn"/c$((n - 100 + 4)) "$work/churn"/c$((n - 100 + 5)) "$work/churn"/c$((n - 100 + 6)) \
      "$work/churn"/c$((n - 100 + 7)) "$work/churn"/c$((n - 100 + 8)) "$work/churn"/c$((n - 100 + 9)) \
      "$work/churn"/c$((n - 100 + 10))
    n=$((n + 10))
    sleep 0.1
  done
) &
churn=$!

# Empty once the program has ended (the loop then stops).
Rss() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || true; }
Fds() { { ls "/proc/$pid/fd" 2>/dev/null || true; } | wc -l; }
rss60= fd60= rssMax=0 fdMax=0 rss= fd=
inicio=$(date +%s)
while kill -0 "$pid" 2>/dev/null; do
  sleep 10
  t=$(( $(date +%s) - inicio ))
  r=$(Rss)
  f=$(Fds)
  [ -n "$r" ] || break
  rss=$r fd=$f
  [ "$r" -gt "$rssMax" ] && rssMax=$r
  [ "$f" -gt "$fdMax" ] && fdMax=$f
  if [ -z "$rss60" ] && [ "$t" -ge 60 ]; then rss60=$r fd60=$f; fi
  echo "t=${t}s rss=${r} kB fds=${f}"
done
wait "$pid" || true
pid=
duracion=$(( $(date +%s) - inicio ))
kill "$churn" 2>/dev/null || true
churn=
cat "$work/salida"
[ -s "$work/errores" ] && { echo "stderr:"; tail -5 "$work/errores"; }

perdidos=0
completas=0
for d in "$work"/dst/*/; do
  if diff -r -q "$work/src" "$d" >/dev/null 2>&1; then
    completas=$((completas + 1))
  elif [ -n "$(ls -A "$d")" ]; then
    # Only an operation still running at the end may differ, and only by files not yet there.
    for f in "$d"*; do cmp -s "$f" "$work/src/${f##*/}" || perdidos=$((perdidos + 1)); done
  fi
done
echo "program ran ${duracion} s; copies complete: $completas of $copias; files differing from their source: $perdidos"
fallos=0
# The load the soak is about must really have been carried.
if ! grep -q '^tabs: 16 folder tabs, 16 with 8 panes, 128 panes, 16 showing the churned folder$' "$work/salida"; then
  echo "FAIL: the 16 tabs of 8 panes did not all open"
  fallos=1
fi
[ "$perdidos" -eq 0 ] || fallos=1
if [ -n "$rss60" ]; then
  echo "rss at 60 s: $rss60 kB, at end: $rss kB, max $rssMax kB, growth $(awk -v a="$rss60" -v b="$rss" 'BEGIN {printf "%.1f", (b - a) * 100 / a}') % (target < 5 %)"
  echo "fds at 60 s: $fd60, at end: $fd, max $fdMax (target: no growth)"
fi
exit $fallos
