#!/usr/bin/env bash
# The index server against plocate on the same generated tree, in one run: full build time
# against `updatedb -U TREE -o FILE`, index size against plocate's database, query latency over
# the link against `plocate -i -l 100` (its process start included), the server's memory, and
# query latency while a rescan lists every folder again against plocate's while updatedb runs.
# updatedb writes a private database with nothing pruned (the system's prune lists name /tmp and
# tmpfs); the system's database is never touched. Every figure has the load average beside it:
# on a shared machine the figures move with it.
# Usage: bench/run_indice.sh [FILES]   (default 1000000)
set -euo pipefail
n=${1:-1000000}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}
export LC_ALL=C.UTF-8
command -v updatedb.plocate >/dev/null || { echo "plocate is missing: run tools/setup.sh" >&2; exit 1; }
carga() { echo "(load $(cut -d' ' -f1-3 /proc/loadavg))"; }
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
  updatedb.plocate -U "$work/tree" -o "$work/plocate.db" -l 0 \
    --prunepaths "" --prunefs "" --prunenames "" --prune-bind-mounts no
  u=$(ms "$t"); cu=$(carga)
  out=$("$bin/bench/bench_indice" construir "$work/tree" "$work/kartoserv.map")
  k=$(echo "$out" | awk '{print $2}')
  k=${k%.*}
  echo "round $ronda: updatedb ${u} ms $cu, kartoserv ${k} ms $(carga)"
  [ -z "$best_u" ] || [ "$u" -lt "$best_u" ] && best_u=$u
  [ -z "$best_k" ] || [ "$k" -lt "$best_k" ] && best_k=$k
done
echo "$out"
awk -v k="$best_k" -v u="$best_u" -v l="$(carga)" 'BEGIN { printf "full build (best of 3): kartoserv %d ms, updatedb %d ms, ratio %.2f (target <= 1.0) %s\n", k, u, k / u, l }'
# plocate's count of paths, beside the names the build line reports: both indexed the same tree.
pn=$(plocate -d "$work/plocate.db" -c /)
ks=$(stat -c %s "$work/kartoserv.map"); ps=$(stat -c %s "$work/plocate.db")
awk -v k="$ks" -v p="$ps" -v n="$pn" -v l="$(carga)" 'BEGIN { printf "index size: kartoserv %d bytes, plocate %d bytes (%d paths), ratio %.3f (target <= 1.0) %s\n", k, p, n, k / p, l }'

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

# The same index served without watches, so a rescan must find every touched folder; at the
# normal priority, as updatedb and plocate run.
"$bin/src/kartoserv" --root "$work/tree" --index "$work/kartoserv.map" --socket "$sock" \
  --log "$work/revision.log" --no-watch --rescan 5 --normal-priority 2>/dev/null &
pid=$!
for _ in $(seq 1200); do grep -q "loaded" "$work/revision.log" 2>/dev/null && break; sleep 0.05; done
sleep 2  # its first look at the folders (none changed) is over
"$bin/bench/bench_indice_revision" "$work/tree" "$sock" "$work/revision.log" "$work/plocate.db" 200
kill -TERM "$pid"
wait "$pid" || true
pid=
