#!/usr/bin/env bash
# Fuzzes the link's frame reader and results decoder with libFuzzer for a few minutes.
# Usage: bench/run_fuzz.sh [SECONDS]   (default 180). A crash leaves its input in the work folder
# and ends the script with an error; turn such an input into a unit test.
set -euo pipefail
segundos=${1:-180}
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$top/src" "$top/bench/fuzz_tramas.cpp" "$top/src/search/protocolo_indice.cpp" -o "$work/fuzz_tramas"
mkdir -p "$work/corpus"
# Seeds: a valid stream of link frames and a results frame.
printf '\x05\x00\x00\x00\x00\x0c\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00hola!' > "$work/corpus/settext"
printf '\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$work/corpus/vacio"
cd "$work"
if ./fuzz_tramas -max_total_time="$segundos" -max_len=4096 -print_final_stats=1 corpus 2>fuzz.log; then
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" fuzz.log
  echo "fuzzing ${segundos} s: no finding"
else
  tail -40 fuzz.log
  ls crash-* leak-* timeout-* 2>/dev/null | while read -r f; do echo "== $f"; xxd "$f" | head -20; done
  exit 1
fi
