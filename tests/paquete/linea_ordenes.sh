#!/usr/bin/env bash
# Runs the built programs as over SSH, with no display: --help and --version print and exit 0,
# a wrong command line says what is wrong and exits 2, and neither ever reaches for a screen.
# Usage: linea_ordenes.sh BUILD_DIR
set -uo pipefail
build=$1
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run" "$work/config" "$work/cache"

fallos=0
Falla() { echo "FAIL: $*"; fallos=$((fallos + 1)); }

# Runs PROGRAM ARGS... without any display; leaves the exit code in $rc, the output in out/err.
Ejecutar() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/run" \
    XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    timeout 60 "$build/src/$1" "${@:2}" >"$work/out" 2>"$work/err"
  rc=$?
}
# Expects exit code $1 from the run of "${@:2}"; prints what it wrote when it differs.
Espera() {
  local quiere=$1
  shift
  Ejecutar "$@"
  [ "$rc" = "$quiere" ] || { Falla "'$*' exited $rc, not $quiere"; sed 's/^/  | /' "$work/out" "$work/err"; }
}
Dice() { grep -qF -- "$2" "$work/$1" || Falla "$1 of the last run lacks '$2'"; }
Calla() { [ ! -s "$work/$1" ] || { Falla "the last run wrote to $1:"; sed 's/^/  | /' "$work/$1"; }; }

[ -n "$version" ] || Falla "no project version in $build/CMakeCache.txt"

Espera 0 quirvex --help
for t in "quirvex [options] [FOLDER]" "file:// URI" "--screenshot <FILE>" "-debugmode" \
         "--exit-after-first-paint" "--help-all" "--version"; do
  Dice out "$t"
done
grep -qF -- "--debugmode" "$work/out" && Falla "--help shows --debugmode, which is not debug mode"
grep -qF -- "--platform" "$work/out" && Falla "--help lists the Qt options; --help-all is for them"
Calla err
Espera 0 quirvex -h
Dice out "quirvex [options] [FOLDER]"
Espera 0 quirvex --help-all
Dice out "--platform <NAME>"
Dice out "--style <STYLE>"
Espera 0 quirvex --version
[ "$(cat "$work/out")" = "Quirvex $version" ] || Falla "quirvex --version printed '$(cat "$work/out")'"
Calla err
# Help wins over a folder and over the options that would start the window.
Espera 0 quirvex --screenshot "$work/x.png" /tmp --help
Dice out "quirvex [options] [FOLDER]"
[ -e "$work/x.png" ] && Falla "--help with --screenshot wrote a screenshot"

# Wrong command lines: the message names the fault, stdout stays empty, nothing starts.
Espera 2 quirvex --no-such-option
Dice err "Unknown option 'no-such-option'"
Dice err "Try 'quirvex --help'."
Calla out
Espera 2 quirvex -DEBUGMODE
Dice err "Unknown option 'DEBUGMODE'"
Espera 2 quirvex --screenshot
Dice err "Missing value after '--screenshot'"
Espera 2 quirvex /tmp --bogus --help
Dice err "bogus"

Espera 0 kartoserv --version
[ "$(cat "$work/out")" = "kartoserv $version" ] || Falla "kartoserv --version printed '$(cat "$work/out")'"
Calla err
Espera 0 kartoserv --help
Dice out "Usage: kartoserv"
Espera 2 kartoserv --no-such-option
Dice err "unknown option '--no-such-option'"
Calla out
# Nothing above may have started the server.
[ -e "$work/run/MapServiceQx" ] && Falla "a kartoserv run above started listening"

[ $fallos -eq 0 ] && echo "command line without a display: OK"
exit $fallos
