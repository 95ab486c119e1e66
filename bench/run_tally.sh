#!/usr/bin/env bash
# Folder tally against `du -s --apparent-size` on a tree of FOLDERS folders holding FILES files
# in all, and the properties window's answer to key presses during the tally.
# Usage: bench/run_tally.sh [FOLDERS] [FILES]
set -euo pipefail
carpetas=${1:-5000}
archivos=${2:-500000}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
echo "creating $archivos files in $carpetas folders in $data"
"$bin/bench/bench_tally_qt" --crear "$data/t" "$carpetas" $((archivos / carpetas))
echo "find: $(find "$data/t" -type f | wc -l) files, $(find "$data/t" -mindepth 1 -type d | wc -l) folders"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$data}
QT_QPA_PLATFORM=offscreen "$bin/bench/bench_tally_qt" "$data/t" 5
