#!/usr/bin/env bash
# Builds the benchmarks and runs them against the standard tools on the same data.
# Usage: bench/run.sh [ENTRIES]   (default 100000)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
n=${1:-100000}
bash "$top/tools/build.sh" "$top/build-bench" -DQUIRVEX_TESTS=OFF -DQUIRVEX_CORE_ONLY=ON
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
echo "creating $n files in $data"
( cd "$data" && seq -f "file-%06g.txt" 1 "$n" | xargs touch )
"$top/build-bench/bench/bench_listado" "$data" 5
