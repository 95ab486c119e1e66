#!/usr/bin/env bash
# Fuzzes the parsers that read outside input with libFuzzer, one target after another:
#   tramas    the index link's frame reader and results decoder
#   uris      the clipboard's URI-list and copied-files readers
#   registro  the settings-file reader (and its writer, by round trip)
#   idioma    the language-file parser
#   comodin   the filter box's and the search's wildcard matchers
# Usage: bench/run_fuzz.sh [-t SECONDS] [-r RUNS] [TARGET...]   (default: -t 60, every target;
# with both, each target stops at whichever limit comes first)
# Each target starts from its seeds in bench/corpus/TARGET (kept small in the repository; new
# inputs go to a temporary folder, not back into the repository). Before each target the script
# waits (up to two minutes) while the machine's load is above 4, and fuzzes at a lower priority,
# so that fuzzing does not starve other builds. A finding
# leaves its input in the work folder, which is then kept, and ends the script with an error;
# turn such an input into a unit test.
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
[ -z "$segundos" ] && [ -z "$ejecuciones" ] && segundos=60
limite=()
[ -n "$segundos" ] && limite+=(-max_total_time="$segundos")
[ -n "$ejecuciones" ] && limite+=(-runs="$ejecuciones")
shift $((OPTIND - 1))

declare -A FUENTES=(
  [tramas]="search/protocolo_indice.cpp"
  [uris]="operations/lista_uris.cpp"
  [registro]="settings/almacen_registro.cpp platform/linux/almacen_archivo_linux.cpp"
  [idioma]="settings/idioma.cpp settings/catalogo_en.cpp settings/catalogo_es.cpp"
  [comodin]="folder/filtro.cpp folder/texto.cpp search/busqueda.cpp settings/idioma.cpp
             settings/catalogo_en.cpp settings/catalogo_es.cpp platform/linux/listado_nombres_linux.cpp
             search/consulta_indice.cpp search/enlace_indice.cpp search/protocolo_indice.cpp
             platform/linux/enlace_local_linux.cpp"
)
objetivos=("$@")
[ ${#objetivos[@]} -eq 0 ] && objetivos=(tramas uris registro idioma comodin)

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
  [ -n "${FUENTES[$t]:-}" ] || { echo "unknown target $t" >&2; exit 2; }
  fuentes=()
  for f in ${FUENTES[$t]}; do fuentes+=("$top/src/$f"); done
  # shellcheck disable=SC2046
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$top/src" $(pkg-config --cflags icu-uc) "$top/bench/fuzz_$t.cpp" "${fuentes[@]}" \
    $(pkg-config --libs icu-uc) -o "fuzz_$t"
  mkdir -p "nuevo_$t"
  EsperarCarga
  inicio=$(date +%s)
  if nice -n 10 "./fuzz_$t" "${limite[@]}" -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
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
