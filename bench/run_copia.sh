#!/usr/bin/env bash
# The copy engine against cp and rm on the same data, in the same run, each timed into a fresh
# target folder (creating files right after deleting many is several times slower on ext4 for
# a while, so no copy is timed after a delete). Prints four ratios, engine speed / tool speed:
#   one large file against cp (target >= 0.95), a tree of small files against cp -r (>= 0.9),
#   the delete of that tree against rm -r (>= 0.9), and the room a sparse file's copy takes
#   against cp --sparse=always (the same).
# Usage: bench/run_copia.sh [LARGE_MIB] [FOLDERS] [FILES_EACH] [ROUNDS]
set -euo pipefail
mib=${1:-2048}
carpetas=${2:-200}
archivos=${3:-100}
rondas=${4:-3}
bin=${QUIRVEX_BENCH_BIN:?run through bench/run.sh}/bench/bench_copia
data=$(mktemp -d "${TMPDIR:-/tmp}/bench-copia.XXXXXX")
trap 'rm -rf "$data"' EXIT
cd "$data"

reloj() { date +%s.%N; }
# Seconds taken by a command.
tomar() { local a b; a=$(reloj); "$@" >/dev/null; b=$(reloj); awk -v a="$a" -v b="$b" 'BEGIN { printf "%.6f", b - a }'; }
menor() { printf '%s\n' "$@" | sort -g | head -1; }
cociente() { awk -v t="$1" -v q="$2" 'BEGIN { printf "%.2f", t / q }'; }

echo "data in $data ($(df -h --output=avail "$data" | tail -1 | tr -d ' ') free)"

# --- one large file -----------------------------------------------------------------------
"$bin" file big.bin "$mib"
cat big.bin >/dev/null  # both tools read it from the cache
sync
# cp leaves its data in the page cache; the engine puts a large file on disk before renaming it
# into place, so it is also set against cp followed by a sync of that file.
cpsync() { cp big.bin "$1/" && sync "$1/big.bin"; }
q=(); h=(); s=()
for r in $(seq "$rondas"); do
  mkdir "q$r" "c$r" "s$r"
  q+=("$("$bin" copy "$data/big.bin" "$data/q$r")"); sync
  h+=("$(tomar cp big.bin "c$r/")"); sync
  s+=("$(tomar cpsync "s$r")"); sync
  cmp -s big.bin "q$r/big.bin" || { echo "engine copy differs" >&2; exit 1; }
  rm -f "q$r/big.bin" "c$r/big.bin" "s$r/big.bin"; sync
done
tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}"); ts=$(menor "${s[@]}")
echo "large file ($mib MiB): engine ${tq}s, cp ${tc}s  ratio $(cociente "$tc" "$tq") (target >= 0.95)"
echo "  against cp + sync of the file (${ts}s): ratio $(cociente "$ts" "$tq") (for reference)"
rm -f big.bin

# --- a tree of small files, then its delete -------------------------------------------------
n=$((carpetas * archivos))
"$bin" tree tree "$carpetas" "$archivos"
sync
q=(); h=()
for r in $(seq "$rondas"); do
  mkdir "tq$r" "tc$r"
  q+=("$("$bin" copy "$data/tree" "$data/tq$r")"); sync
  h+=("$(tomar cp -r tree "tc$r/")"); sync
done
diff -r tree tq1/tree >/dev/null || { echo "engine tree copy differs" >&2; exit 1; }
tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}")
echo "tree ($n files of 1-16 KiB in $carpetas folders): engine ${tq}s, cp -r ${tc}s  ratio $(cociente "$tc" "$tq") (target >= 0.9)"
if command -v strace >/dev/null; then
  mkdir sq sc
  strace -f -c -o sq.txt "$bin" copy "$data/tree" "$data/sq" >/dev/null
  strace -f -c -o sc.txt cp -r tree sc/
  llamadas() { awk '/total/ { print $(NF-1) == "" ? $3 : ($4 ~ /^[0-9]+$/ ? $4 : $3) }' "$1"; }
  echo "  system calls per file: engine $(awk -v c="$(llamadas sq.txt)" -v n="$n" 'BEGIN { printf "%.1f", c / n }')," \
       "cp -r $(awk -v c="$(llamadas sc.txt)" -v n="$n" 'BEGIN { printf "%.1f", c / n }')"
fi
q=(); h=()
for r in $(seq "$rondas"); do
  q+=("$("$bin" delete "$data/tq$r/tree")")
  h+=("$(tomar rm -r "tc$r/tree")")
done
tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}")
echo "delete of that tree: engine ${tq}s, rm -r ${tc}s  ratio $(cociente "$tc" "$tq") (target >= 0.9)"

# --- a sparse file ------------------------------------------------------------------------
truncate -s 1G sparse.img
printf 'data at the start' | dd of=sparse.img conv=notrunc status=none
head -c 8192 /dev/urandom | dd of=sparse.img bs=1M seek=700 conv=notrunc status=none
mkdir sparse-q sparse-c
tq=$(tomar "$bin" copy "$data/sparse.img" "$data/sparse-q")
tc=$(tomar cp --sparse=always sparse.img sparse-c/)
cmp -s sparse.img sparse-q/sparse.img || { echo "engine sparse copy differs" >&2; exit 1; }
oq=$(( $(stat -c %b sparse-q/sparse.img) * $(stat -c %B sparse-q/sparse.img) ))
oc=$(( $(stat -c %b sparse-c/sparse.img) * $(stat -c %B sparse-c/sparse.img) ))
echo "sparse file (1 GiB, $(( $(stat -c %b sparse.img) * $(stat -c %B sparse.img) )) bytes allocated): engine ${oq} bytes in ${tq}s," \
     "cp --sparse=always ${oc} bytes in ${tc}s  allocated ratio $(cociente "$oq" "$oc") (target 1.00)"
