#!/usr/bin/env bash
# File search against `find -iname` on the same tree. Usage: bench/run_busqueda.sh [FILES]
set -euo pipefail
n=${1:-500000}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
echo "creating $n files in $data"
"$bin/bench/bench_busqueda" --crear "$data" "$n"
"$bin/bench/bench_busqueda" "$data" 5
