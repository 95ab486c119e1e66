#!/usr/bin/env bash
# Fuzzes the parsers that read outside input with libFuzzer, one target after another:
#   tramas    the index link's frame reader and results decoder
#   uris      the clipboard's URI-list and copied-files readers
#   registro  the settings-file reader (and its writer, by round trip)
#   idioma    the language-file parser
#   comodin   the filter box's and the search's wildcard matchers
#   indice    the index file the server loads at start (and its save, by round trip)
# Usage: bench/run_fuzz.sh [-t SECONDS] [-r RUNS] [TARGET...]   (default: every target, each for
# 60 s, except indice, which runs 10,000,000 inputs; with both, each target stops at whichever
# limit comes first)
# The targets are built by the project's CMake in its fuzzing configuration (clang, the core
# library instrumented for libFuzzer with the address and undefined-behaviour sanitizers) in the
# folder build-fuzz, so they link the same sources as the program. Each target starts from its
# seeds in bench/corpus/TARGET (kept small in the repository; new inputs go to a temporary
# folder, not back into the repository). Before each target the script waits (up to two minutes)
# while the machine's load is above 4, and fuzzes at a lower priority, so that fuzzing does not
# starve other builds. A finding leaves its input in the work folder, which is then kept, and
# ends the script with an error; turn such an input into a unit test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
segundos=
ejecuciones=
while getopts "t:r:" opcion; do
  case $opcion in
    t) segundos=$OPTARG ;;
    r) ejecuciones=$OPTARG ;;
    *) echo "usage: $0 [-t SECONDS] [-r RUNS] [TARGET...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
Limite() {
  if [ -z "$segundos" ] && [ -z "$ejecuciones" ]; then
    if [ "$1" = indice ]; then echo -runs=10000000; else echo -max_total_time=60; fi
    return
  fi
  [ -n "$segundos" ] && echo -max_total_time="$segundos"
  [ -n "$ejecuciones" ] && echo -runs="$ejecuciones"
  return 0
}

objetivos=("$@")
[ ${#objetivos[@]} -eq 0 ] && objetivos=(tramas uris registro idioma comodin indice)
for t in "${objetivos[@]}"; do
  [ -f "$top/bench/fuzz_$t.cpp" ] || { echo "unknown target $t" >&2; exit 2; }
done

compilacion=$top/build-fuzz
cmake -S "$top" -B "$compilacion" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUIRVEX_FUZZ=ON -DQUIRVEX_CORE_ONLY=ON -DQUIRVEX_TESTS=OFF >/dev/null
nice -n 10 ninja -C "$compilacion" -j2 "${objetivos[@]/#/fuzz_}"

work=$(mktemp -d)
hallazgo=0
trap '[ $hallazgo -eq 0 ] && rm -rf "$work"' EXIT
cd "$work"

EsperarCarga() {
  local esperas=0
  while awk '{exit !($1 > 4)}' /proc/loadavg && [ $esperas -lt 12 ]; do
    [ $esperas -eq 0 ] && echo "load $(cut -d' ' -f1 /proc/loadavg) > 4: waiting"
    sleep 10
    esperas=$((esperas + 1))
  done
}

for t in "${objetivos[@]}"; do
  mkdir -p "nuevo_$t"
  EsperarCarga
  inicio=$(date +%s)
  # shellcheck disable=SC2046
  if nice -n 10 "$compilacion/bench/fuzz_$t" $(Limite "$t") -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
      "nuevo_$t" "$top/bench/corpus/$t" 2>"$t.log"; then
    hechas=$(grep -o 'number_of_executed_units: [0-9]*' "$t.log" | grep -o '[0-9]*$')
    echo "$t: $hechas runs in $(( $(date +%s) - inicio )) s, no finding"
  else
    hallazgo=1
    echo "$t: FINDING (work folder $work kept)"
    tail -40 "$t.log"
    for f in crash-* leak-* timeout-* oom-* slow-unit-*; do
      [ -e "$f" ] && { echo "== $f"; xxd "$f" | head -20; }
    done
    exit 1
  fi
done
