#!/usr/bin/env bash
# The pane's painting, the picture previews and start-up against their yardsticks (the bare
# folder load, an empty Qt window, the preview pool alone), in one run.
# Usage: bench/run_visor.sh [ENTRIES] [PHOTOS]
set -euo pipefail
n=${1:-100000}
fotos=${2:-300}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
mkdir -p "$data/grande" "$data/vacia" "$data/config" "$data/runtime" "$data/cache"
chmod 700 "$data/runtime"
export XDG_CONFIG_HOME="$data/config" XDG_RUNTIME_DIR="$data/runtime" XDG_CACHE_HOME="$data/cache"
export QT_QPA_PLATFORM=offscreen
export LC_ALL=${LC_ALL:-C.UTF-8}
echo "creating $n files and $fotos photos in $data"
( cd "$data/grande" && seq -f "file-%06g.txt" 1 "$n" | xargs touch )
"$bin/bench/bench_visor_qt" fotos "$data/fotos" "$fotos"
"$bin/bench/bench_visor_qt" medir "$data/grande" "$data/vacia" "$data/fotos" \
  "$bin/src/quirvex" "$bin/bench/ventana_vacia"
