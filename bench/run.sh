#!/usr/bin/env bash
# Builds the benchmarks and runs each bench/run_*.sh (or only the ones named), every one against
# the standard tools on the same data in the same run, printing the ratios with their targets.
# Usage: bash bench/run.sh [NAME...]   e.g. bash bench/run.sh listado
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/setup.sh"
bash "$top/tools/build.sh" "$top/build-bench" -DQUIRVEX_TESTS=OFF >/dev/null
export QUIRVEX_BENCH_BIN="$top/build-bench"
if [ $# -eq 0 ]; then
  set -- $(cd "$top/bench" && ls run_*.sh | sed 's/^run_//; s/\.sh$//')
fi
for name in "$@"; do
  echo "== $name"
  bash "$top/bench/run_$name.sh"
done
