#!/usr/bin/env bash
# Folder loading against a bare readdir + statx loop (and `ls -l`) on the same folder, in one
# run, each ratio printed with its target. Usage: bench/run_listado.sh [ENTRIES] [ROUNDS]
set -euo pipefail
n=${1:-100000}
rondas=${2:-5}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
mkdir "$data/files"
echo "creating $n files in $data/files"
( cd "$data/files" && seq -f "file-%06g.txt" 1 "$n" | xargs touch )
"$bin/bench/bench_listado" "$data/files" "$rondas"
