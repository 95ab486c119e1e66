#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what the desktop will read from it:
# the programs, the desktop entry and the AppStream metainfo (through the desktop's own
# validators), the icon at every hicolor size, each PNG really of its size, and the manual pages
# and copyright as the repository keeps them.
# Usage: instalacion.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
fuente=$2
raiz=$(mktemp -d)
trap 'rm -rf "$raiz"' EXIT
cmake --install "$build" --prefix "$raiz/usr" >/dev/null

fallos=0
Falla() { echo "FAIL: $*"; fallos=$((fallos + 1)); }

for p in quirvex kartoserv; do
  [ -x "$raiz/usr/bin/$p" ] || Falla "usr/bin/$p not installed"
done

escritorio=$raiz/usr/share/applications/quirvex.desktop
metainfo=$raiz/usr/share/metainfo/io.github.quirvex.Quirvex.metainfo.xml
[ -f "$escritorio" ] && [ -f "$metainfo" ] || { Falla "desktop entry or metainfo missing"; exit 1; }
desktop-file-validate "$escritorio" || Falla "desktop-file-validate"
appstreamcli validate --no-net --no-color "$metainfo" || Falla "appstreamcli validate"

Clave() { sed -n "s/^$1=//p" "$escritorio"; }
[ "$(Clave Exec)" = "quirvex %U" ] || Falla "Exec is '$(Clave Exec)'"
[ "$(Clave GenericName)" = "File Manager" ] || Falla "GenericName is '$(Clave GenericName)'"
[[ ";$(Clave MimeType)" == *";inode/directory;"* ]] || Falla "MimeType lacks inode/directory"
icono=$(Clave Icon)
grep -q "<launchable type=\"desktop-id\">quirvex.desktop</launchable>" "$metainfo" ||
  Falla "metainfo does not launch quirvex.desktop"
# The project has no web address of its own yet, and AppStream takes only absolute ones for
# the homepage and the screenshots: any address there would be made up.
if grep -nE 'https?://' "$metainfo"; then Falla "the metainfo names a web address"; fi

# No licence has been chosen: the copyright file, the metainfo and the README say so in the
# same words, so that a choice later is made in all three at once.
licencia=$(sed -n 's/^License: //p' "$fuente/docs/copyright")
aviso=$(sed -n '/^License: /{n;s/^ //p}' "$fuente/docs/copyright")
[ "$licencia" = LicenseRef-proprietary ] && [ -n "$aviso" ] || Falla "docs/copyright: '$licencia' '$aviso'"
grep -qF "<project_license>$licencia</project_license>" "$metainfo" || Falla "metainfo licence is not $licencia"
grep -qF "<!-- $aviso -->" "$metainfo" || Falla "metainfo does not say '$aviso'"
grep -qxF "$aviso" "$fuente/README.md" || Falla "README does not say '$aviso'"
cmp -s "$fuente/docs/copyright" "$raiz/usr/share/doc/quirvex/copyright" || Falla "copyright not installed"

for lado in 16 22 24 32 48 64 128 256; do
  png=$raiz/usr/share/icons/hicolor/${lado}x${lado}/apps/$icono.png
  if [ ! -f "$png" ]; then Falla "no $lado px icon"; continue; fi
  # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
  medida=$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')
  [ "$medida" = "$(printf '%08x%08x' "$lado" "$lado")" ] || Falla "$lado px icon is $medida"
done
svg=$raiz/usr/share/icons/hicolor/scalable/apps/$icono.svg
[ -f "$svg" ] && grep -q "<svg" "$svg" || Falla "no scalable icon"

for p in quirvex kartoserv; do
  pagina=$raiz/usr/share/man/man1/$p.1.gz
  [ -f "$pagina" ] && gzip -dc "$pagina" | cmp -s - "$fuente/docs/$p.1" || Falla "manual page $p.1 not installed"
done

[ $fallos -eq 0 ] && echo "install tree, desktop entry, metainfo and icons: OK"
exit $fallos
