#!/usr/bin/env bash
# The index server against plocate on the same generated tree, in one run: full build time
# against `updatedb -U TREE -o FILE`, index size against plocate's database, query latency over
# the link against `plocate -i -l 100` (its process start included), and the server's memory.
# Usage: bench/run_indice.sh [FILES]   (default 1000000)
set -euo pipefail
n=${1:-1000000}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}
export LC_ALL=C.UTF-8
if ! command -v updatedb.plocate >/dev/null; then
  echo "installing plocate for the comparison"
  if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends plocate >/dev/null
fi
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/tree" "$work/run"
chmod 700 "$work/run"
echo "free space: $(df -h --output=avail "$work" | tail -1)"
echo "generating $n files in $work/tree"
"$bin/bench/bench_indice" generar "$work/tree" "$n"
find "$work/tree" >/dev/null  # both tools start from a warm cache

ms() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
best_u=; best_k=
for ronda in 1 2 3; do
  t=$(date +%s%N)
  updatedb.plocate -U "$work/tree" -o "$work/plocate.db" -l 0
  u=$(ms "$t")
  out=$("$bin/bench/bench_indice" construir "$work/tree" "$work/kartoserv.map")
  k=$(echo "$out" | awk '{print $2}')
  k=${k%.*}
  echo "round $ronda: updatedb ${u} ms, kartoserv ${k} ms"
  [ -z "$best_u" ] || [ "$u" -lt "$best_u" ] && best_u=$u
  [ -z "$best_k" ] || [ "$k" -lt "$best_k" ] && best_k=$k
done
echo "$out"
awk -v k="$best_k" -v u="$best_u" 'BEGIN { printf "full build (best of 3): kartoserv %d ms, updatedb %d ms, ratio %.2f (target <= 1.0)\n", k, u, k / u }'
ks=$(stat -c %s "$work/kartoserv.map"); ps=$(stat -c %s "$work/plocate.db")
awk -v k="$ks" -v p="$ps" 'BEGIN { printf "index size: kartoserv %d bytes, plocate %d bytes, ratio %.2f (target <= 1.0)\n", k, p, k / p }'

"$bin/bench/bench_indice" cargar "$work/kartoserv.map"
"$bin/bench/bench_indice" servidor "$bin/src/kartoserv" "$work/tree" "$work/run"

sock="$work/run/MapServiceQx"
t=$(date +%s%N)
"$bin/src/kartoserv" --root "$work/tree" --index "$work/kartoserv.map" --socket "$sock" \
  --log "$work/kartoserv.log" 2>/dev/null &
pid=$!
for _ in $(seq 1200); do grep -q watching "$work/kartoserv.log" 2>/dev/null && break; sleep 0.05; done
echo "server ready (index loaded, looked over, folders watched) after $(ms "$t") ms"
grep -E "loaded|watching" "$work/kartoserv.log" || true
"$bin/bench/bench_indice" consultas "$work/kartoserv.map" "$sock" "$pid" "$work/plocate.db" 1000
kill -TERM "$pid"
wait "$pid" || true
pid=
tail -2 "$work/kartoserv.log"
