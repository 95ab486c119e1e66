#!/usr/bin/env bash
# The copy engine against cp and rm on the same data, in the same run, each timed into a fresh
# target folder (creating files right after deleting many is several times slower on ext4 for
# a while, so no copy is timed after a delete). Prints these ratios, tool time / engine time:
#   one large file against cp (target >= 0.95; the engine's time includes the file system sync
#   it ends a copy with, so it is also set against cp followed by sync), a tree of 20,000 small
#   files against cp -r (>= 0.95), a move of that tree to a tmpfs (another drive) against mv
#   (>= 0.9), the delete of the tree against rm -r (>= 0.9), a tree with extended attributes,
#   ACLs and hard links copied keeping them against cp -a (>= 0.9, with getfattr, getfacl and
#   the link counts compared on both sides), and the room a sparse file's copy takes against
#   cp --sparse=always (the same).
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

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores (a shared machine: ratios are from one run)"
echo "data in $data ($(df -h --output=avail "$data" | tail -1 | tr -d ' ') free)"

# --- one large file -----------------------------------------------------------------------
"$bin" file big.bin "$mib"
cat big.bin >/dev/null  # both tools read it from the cache
sync
# cp leaves its data in the page cache; the engine ends a copy with a sync of the target's file
# system, so it is also set against cp followed by that sync.
cpsync() { cp big.bin "$1/" && sync -f "$1/big.bin"; }
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
cprsync() { cp -r tree "$1/" && sync -f "$1"; }
q=(); h=(); s=()
for r in $(seq "$rondas"); do
  mkdir "tq$r" "tc$r" "ts$r"
  q+=("$("$bin" copy "$data/tree" "$data/tq$r")"); sync
  h+=("$(tomar cp -r tree "tc$r/")"); sync
  s+=("$(tomar cprsync "ts$r")"); sync
done
diff -r tree tq1/tree >/dev/null || { echo "engine tree copy differs" >&2; exit 1; }
tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}"); ts=$(menor "${s[@]}")
echo "tree ($n files of 1-16 KiB in $carpetas folders): engine ${tq}s, cp -r ${tc}s  ratio $(cociente "$tc" "$tq") (target >= 0.95)"
echo "  against cp -r + sync of the file system (${ts}s): ratio $(cociente "$ts" "$tq") (for reference)"
if command -v strace >/dev/null; then
  mkdir sq sc
  strace -f -c -o sq.txt "$bin" copy "$data/tree" "$data/sq" >/dev/null
  strace -f -c -o sc.txt cp -r tree sc/
  llamadas() { awk '/total/ { print $(NF-1) == "" ? $3 : ($4 ~ /^[0-9]+$/ ? $4 : $3) }' "$1"; }
  echo "  system calls per file: engine $(awk -v c="$(llamadas sq.txt)" -v n="$n" 'BEGIN { printf "%.1f", c / n }')," \
       "cp -r $(awk -v c="$(llamadas sc.txt)" -v n="$n" 'BEGIN { printf "%.1f", c / n }')"
fi
# --- that tree moved to another drive (a tmpfs) -----------------------------------------------
shm=$(mktemp -d /dev/shm/bench-copia.XXXXXX)
trap 'rm -rf "$data" "$shm"' EXIT
if [ "$(stat -f -c %T "$shm")" = tmpfs ]; then
  q=(); h=()
  for r in $(seq "$rondas"); do
    cp -r tree "mq$r"; cp -r tree "mc$r"; sync
    mkdir "$shm/q" "$shm/c"
    q+=("$("$bin" move "$data/mq$r" "$shm/q")")
    h+=("$(tomar mv "mc$r" "$shm/c/")")
    diff -r tree "$shm/q/mq$r" >/dev/null || { echo "engine move differs" >&2; exit 1; }
    [ ! -e "mq$r" ] || { echo "engine move left its source" >&2; exit 1; }
    rm -rf "$shm/q" "$shm/c"
  done
  tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}")
  echo "move of that tree to a tmpfs: engine ${tq}s, mv ${tc}s  ratio $(cociente "$tc" "$tq") (target >= 0.9)"
else
  echo "move to a tmpfs: /dev/shm is not a tmpfs here, not measured"
fi

q=(); h=()
for r in $(seq "$rondas"); do
  q+=("$("$bin" delete "$data/tq$r/tree")")
  h+=("$(tomar rm -r "tc$r/tree")")
done
tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}")
echo "delete of that tree: engine ${tq}s, rm -r ${tc}s  ratio $(cociente "$tc" "$tq") (target >= 0.9)"

# --- a tree with extended attributes, ACLs and hard links, copied keeping them ----------------
if command -v setfattr >/dev/null && command -v setfacl >/dev/null; then
  mkdir meta
  for c in $(seq 20); do
    mkdir "meta/d$c"
    for a in $(seq 100); do printf 'file %s %s' "$c" "$a" > "meta/d$c/f$a"; done
    ln "meta/d$c/f1" "meta/d$c/link1"
    [ "$c" -gt 1 ] && ln "meta/d1/f2" "meta/d$c/shared"
  done
  find meta -type f -name 'f*' -exec setfattr -n user.origin -v bench {} +
  find meta -type f -name 'f1*' -exec setfacl -m u:4242:rw- {} +
  setfacl -R -d -m u:4242:rwx meta
  sync
  q=(); h=()
  for r in $(seq "$rondas"); do
    mkdir "aq$r" "ac$r"
    q+=("$("$bin" copy "$data/meta" "$data/aq$r")"); sync
    h+=("$(tomar cp -a meta "ac$r/")"); sync
  done
  tq=$(menor "${q[@]}"); tc=$(menor "${h[@]}")
  vista() { (cd "$1" && getfattr -R -d -m - . 2>/dev/null | sort; getfacl -R -p . 2>/dev/null | sort;
             find . -type f -exec stat -c '%n %h %a' {} + | sort); }
  if [ "$(vista aq1/meta | md5sum)" = "$(vista ac1/meta | md5sum)" ]; then same="equal"; else same="DIFFERENT"; fi
  echo "tree with xattrs, ACLs and hard links (2,000 files): engine ${tq}s, cp -a ${tc}s  ratio $(cociente "$tc" "$tq")" \
       "(target >= 0.9); getfattr, getfacl and link counts: $same"
else
  echo "metadata tree: setfattr/setfacl missing (Debian attr, acl), not measured"
fi

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
