#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full build with the
# window tests on the offscreen platform, then the core again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/setup.sh"

runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

bash "$top/tools/build.sh" "$top/build"
ctest --test-dir "$top/build" --output-on-failure -j2 --timeout 300

bash "$top/tools/build.sh" "$top/build-asan" -DQUIRVEX_CORE_ONLY=ON -DQUIRVEX_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$top/build-asan" --output-on-failure -j2 --timeout 600
