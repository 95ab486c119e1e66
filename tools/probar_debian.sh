#!/usr/bin/env bash
# Installs the Debian package on a freshly made Debian 12 system and starts the installed programs
# there: what a user gets from `apt-get install ./quirvex_*.deb` on a new machine, with nothing of
# this machine's libraries, fonts or plugins to hide a missing dependency.
# Usage (as root; downloads a minimal Debian 12 from the network, so it is not part of the tests):
#   bash tools/probar_debian.sh [BUILD_DIR]
# Without BUILD_DIR the programs are built in build-release (Release, no tests); with it, the
# programs of that tree are packaged. Recommended packages are not installed: Depends alone must
# be enough. The system is made in a temporary folder under /var/tmp and removed at the end, after
# everything mounted into it is unmounted; with -k it is kept (and still unmounted).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
guardar=0
if [ "${1:-}" = "-k" ]; then guardar=1; shift; fi
[ "$(id -u)" -eq 0 ] || { echo "run as root: making the system and chroot need it" >&2; exit 2; }
command -v debootstrap >/dev/null ||
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; }

if [ $# -ge 1 ]; then
  build=$(cd "$1" && pwd)
else
  build=$top/build-release
  [ -f "$build/build.ninja" ] ||
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIRVEX_TESTS=OFF
fi
ninja -C "$build" -j2 quirvex kartoserv

work=$(mktemp -d /var/tmp/quirvex-debian.XXXXXX)
raiz=$work/raiz

# Every mount under the new system, deepest first.
Montajes() { findmnt -rn -o TARGET | awk -v r="$raiz" 'index($0, r "/") == 1 || $0 == r' | sort -r; }

# Processes living in the new system: the program starts its index server, which outlives it.
EnElSistema() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$raiz" ] && echo "${p#/proc/}"
  done
  return 0
}

TerminarProcesos() {
  local p esperas=0
  for p in $(EnElSistema); do kill "$p" 2>/dev/null || true; done
  while [ -n "$(EnElSistema)" ] && [ $esperas -lt 20 ]; do sleep 0.5; esperas=$((esperas + 1)); done
  for p in $(EnElSistema); do kill -9 "$p" 2>/dev/null || true; done
}

Limpiar() {
  local m
  TerminarProcesos
  for m in $(Montajes); do umount "$m" 2>/dev/null || umount -l "$m" || true; done
  if [ -n "$(Montajes)" ]; then
    # Removing a tree with /proc or /dev still bound into it would remove the host's own files.
    echo "still mounted, $work left in place:" >&2
    Montajes >&2
    return
  fi
  # --one-file-system: even a mount missed above is never descended into.
  if [ $guardar -eq 1 ]; then echo "system kept in $raiz"; else rm -rf --one-file-system "$work"; fi
}
trap Limpiar EXIT

echo "== package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/paquete" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
debs=("$work"/paquete/quirvex_*.deb)
[ -f "${debs[0]}" ] || { echo "FAIL: cpack made no quirvex_*.deb" >&2; exit 1; }
deb=${debs[0]}
echo "${deb##*/}: $(dpkg-deb -f "$deb" Depends)"

echo "== fresh Debian 12 in $raiz"
debootstrap --variant=minbase bookworm "$raiz" http://deb.debian.org/debian >"$work/debootstrap.log" 2>&1 ||
  { tail -30 "$work/debootstrap.log"; exit 1; }
# A newly installed system follows the point releases and the security archive.
cat >"$raiz/etc/apt/sources.list" <<'EOF'
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
EOF
cp /etc/resolv.conf "$raiz/etc/resolv.conf"
# debootstrap made the few device nodes a system needs; the host's /dev is not bound in, so that
# nothing done in the chroot (or a failed clean-up) can reach the host's devices.
for d in null zero random urandom; do
  [ -c "$raiz/dev/$d" ] || { echo "FAIL: debootstrap made no /dev/$d" >&2; exit 1; }
done
mount -t proc proc "$raiz/proc"
mount -t sysfs -o ro sysfs "$raiz/sys"
mkdir -p "$raiz/dev/shm"
mount -t tmpfs -o mode=1777 tmpfs "$raiz/dev/shm"

EnRaiz() { chroot "$raiz" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

echo "== apt-get install ./${deb##*/}"
cp "$deb" "$raiz/tmp/"
EnRaiz apt-get update -qq
EnRaiz sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y -o APT::Install-Recommends=false ./${deb##*/}" \
  >"$work/apt.log" 2>&1 || { tail -40 "$work/apt.log"; exit 1; }
grep -E '^(Setting up|The following NEW)' "$work/apt.log" | wc -l | xargs echo "packages set up:"

fallos=0
Falla() { echo "FAIL: $*"; fallos=$((fallos + 1)); }

# A user of the new system starts the installed program, as from a desktop.
EnRaiz useradd -m -u 4321 usuario
EnRaiz mkdir -p -m 700 /run/user/4321
EnRaiz chown usuario /run/user/4321
ComoUsuario() {
  chroot --userspec=4321:4321 "$raiz" env -i PATH=/usr/bin:/bin HOME=/home/usuario LANG=C.UTF-8 \
    XDG_RUNTIME_DIR=/run/user/4321 QT_QPA_PLATFORM=offscreen "$@"
}

# As started from the menu, then as the desktop offers it for a folder (Exec=quirvex %U).
Captura() {
  local nombre=$1
  shift
  echo "== /usr/bin/quirvex --screenshot /tmp/$nombre.png $*"
  if ComoUsuario /usr/bin/quirvex --screenshot "/tmp/$nombre.png" "$@" >"$work/$nombre.log" 2>&1; then
    cat "$work/$nombre.log"
  else
    cat "$work/$nombre.log"; Falla "quirvex --screenshot ended with an error"
  fi
  # Qt says so when a font or a plugin it needs is missing, and then draws what it can.
  if grep -Ei 'cannot find font|could not (load|find)|plugin|no such file' "$work/$nombre.log" |
     grep -v 'does not support propagateSizeHints'; then
    Falla "Qt reports something missing"
  fi
  local png=$raiz/tmp/$nombre.png
  if [ -f "$png" ]; then
    cp "$png" "$work/$nombre.png"
    python3 "$top/tools/comprobar_png.py" "$png" || Falla "the screenshot is not a window"
  else
    Falla "no screenshot written"
  fi
}
Captura x
Captura carpeta file:///usr/share/doc
EnRaiz fc-list >"$work/fuentes" 2>&1 || true
echo "fonts on the new system: $(grep -c . "$work/fuentes")"
[ -s "$work/fuentes" ] && ! grep -q 'not found' "$work/fuentes" || Falla "no font on the new system"

# Without the theme the program draws from, tabs and the address bar show no icons (Qt says nothing).
tema=$(sed -n 's/.*QIcon::setThemeName("\([^"]*\)").*/\1/p' "$top/src/folder/iconos_qt.cpp" | head -1)
[ -f "$raiz/usr/share/icons/$tema/index.theme" ] || Falla "icon theme $tema not on the new system"

echo "== /usr/bin/kartoserv --help"
if ComoUsuario /usr/bin/kartoserv --help >"$work/kartoserv.log" 2>&1; then
  head -1 "$work/kartoserv.log"
  grep -q '^Usage: kartoserv' "$work/kartoserv.log" || Falla "kartoserv --help says no usage"
else
  cat "$work/kartoserv.log"; Falla "kartoserv --help ended with an error"
fi

for f in x carpeta; do
  [ -f "$work/$f.png" ] && cp "$work/$f.png" "${TMPDIR:-/tmp}/quirvex-debian12-$f.png"
done
[ $fallos -eq 0 ] && echo "installs and starts on a fresh Debian 12: OK (screenshots ${TMPDIR:-/tmp}/quirvex-debian12-*.png)"
exit $fallos
