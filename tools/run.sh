#!/usr/bin/env bash
# Installs what is missing, builds and starts Quirvex. Without a display it says so and writes
# a screenshot of the window instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/setup.sh"
bash "$top/tools/build.sh" "$top/build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: writing a screenshot to $top/quirvex-screenshot.png instead."
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
  QT_QPA_PLATFORM=offscreen "$top/build/src/quirvex" --screenshot "$top/quirvex-screenshot.png" "$@"
  exit 0
fi
exec "$top/build/src/quirvex" "$@"
