#!/usr/bin/env bash
# The search tab, driven as the user drives it, against `find -iname` on the same trees: one
# with few hits and one with many. Usage: bench/run_busqueda_qt.sh [FILES]
set -euo pipefail
n=${1:-200000}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$data}
for aciertos in 2000 40000; do
  objetivo=$([ "$aciertos" -le 2000 ] && echo 1.2 || echo 1.5)
  echo "creating $n files, $aciertos hits, in $data/$aciertos"
  "$bin/bench/bench_busqueda_qt" --crear "$data/$aciertos" "$n" "$aciertos"
  QT_QPA_PLATFORM=offscreen "$bin/bench/bench_busqueda_qt" "$data/$aciertos" "$objetivo" 3
done
