#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it: its name and version, the files it
# carries, that its dependencies name the package of every library the programs link, so that
# apt-get pulls in all they need on a fresh machine, and that lintian finds nothing in it but
# the overrides the package carries.
# Usage: paquete_deb.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
fuente=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
debs=("$work"/quirvex_*.deb)
[ -f "${debs[0]}" ] || { echo "FAIL: no quirvex_*.deb"; ls "$work"; exit 1; }
deb=${debs[0]}
echo "package: ${deb##*/}"

fallos=0
Falla() { echo "FAIL: $*"; fallos=$((fallos + 1)); }

dpkg-deb -I "$deb" >"$work/info"
dpkg-deb -c "$deb" >"$work/contenido"
grep -q '^ Package: quirvex$' "$work/info" || Falla "package name"
grep -q "^ Version: $(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")\$" "$work/info" ||
  Falla "version"
depende=$(sed -n 's/^ Depends: //p' "$work/info")
echo "Depends: $depende"

# The icon theme the program sets for itself is loaded, not linked: only Depends brings it.
tema=$(sed -n 's/.*QIcon::setThemeName("\([^"]*\)").*/\1/p' "$fuente/src/folder/iconos_qt.cpp" | head -1)
[ -n "$tema" ] || Falla "no icon theme found in the program"
[[ ", $depende," == *", ${tema,,}-icon-theme"[,\ ]* ]] || Falla "Depends does not name ${tema,,}-icon-theme"

for f in ./usr/bin/quirvex ./usr/bin/kartoserv ./usr/share/applications/quirvex.desktop \
         ./usr/share/metainfo/io.github.quirvex.Quirvex.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/quirvex.png \
         ./usr/share/icons/hicolor/scalable/apps/quirvex.svg \
         ./usr/share/man/man1/quirvex.1.gz ./usr/share/man/man1/kartoserv.1.gz \
         ./usr/share/doc/quirvex/copyright ./usr/share/doc/quirvex/changelog.gz; do
  grep -q " $f\$" "$work/contenido" || Falla "$f not in the package"
done
# Nothing of the build or the tests travels in the package.
if grep -E '_tests$|/include/|\.a$|bench_' "$work/contenido"; then Falla "build files in the package"; fi

# The package holding a file, asked under the name given and under its real path (the /lib
# and /usr/lib spellings of merged-/usr systems).
PaqueteDe() {
  local r
  for r in "$1" "$(readlink -f "$1")"; do
    # awk reads to the end: a reader that stops early would fail the pipe under pipefail.
    dpkg -S "$r" 2>/dev/null | awk -F: 'NR == 1 {print $1; hallado = 1} END {exit !hallado}' && return 0
  done
  return 0
}

# Every library the packaged programs link must come from a package named in Depends.
mkdir "$work/arbol"
dpkg-deb -x "$deb" "$work/arbol"
for prog in "$work"/arbol/usr/bin/*; do
  for lib in $(objdump -p "$prog" | awk '/NEEDED/ {print $2}'); do
    ruta=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64|x86_64/ && !r {r = $NF} END {print r}')
    [ -n "$ruta" ] || { Falla "$lib of ${prog##*/} not found on this machine"; continue; }
    paquete=$(PaqueteDe "$ruta")
    [ -n "$paquete" ] || { Falla "no package holds $ruta"; continue; }
    [[ ", $depende," == *", $paquete "* || ", $depende," == *", $paquete,"* ]] ||
      Falla "${prog##*/} links $lib from $paquete, which Depends does not name"
  done
done

# The changelog and the metainfo name the version the package is.
version=$(sed -n 's/^ Version: //p' "$work/info")
ultima=$(gzip -dc "$work/arbol/usr/share/doc/quirvex/changelog.gz" | head -1)
[[ "$ultima" == "quirvex ($version) "* ]] || Falla "changelog starts '$ultima', not version $version"
grep -q "<release version=\"$version\"" "$work"/arbol/usr/share/metainfo/*.metainfo.xml ||
  Falla "the metainfo has no release $version"

# lintian judges the package as Debian would. Each tag it may still report is overridden in the
# package with the reason; --show-overrides prints those as "O:" with the reason as "N:".
if ! command -v lintian >/dev/null; then
  Falla "lintian is not installed (bash tools/setup.sh installs it)"
else
  # Tags go to stdout; stderr carries only remarks on how lintian was run (as root, say).
  lintian --fail-on error,warning --show-overrides "$deb" >"$work/lintian" 2>"$work/lintian.err" ||
    { cat "$work/lintian.err"; Falla "lintian failed"; }
  sed 's/^/lintian: /' "$work/lintian"
  if grep -vE '^(O|N): ' "$work/lintian" | grep -q .; then Falla "lintian reported more than overrides"; fi
fi

[ $fallos -eq 0 ] && echo "package contents and dependencies: OK"
exit $fallos
