#!/usr/bin/env bash
# Folder load against `ls -l` on the same folder. Usage: bench/run_listado.sh [ENTRIES]
set -euo pipefail
n=${1:-100000}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
echo "creating $n files in $data"
( cd "$data" && seq -f "file-%06g.txt" 1 "$n" | xargs touch )
"$bin/bench/bench_listado" "$data" 5
