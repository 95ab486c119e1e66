#!/usr/bin/env bash
# The systemd user units of the index server, as installed but pointing at the built program,
# pass systemd's own checker.
# Usage: unidades_kartoserv.sh KARTOSERV_BINARY SOURCE_DIR
set -euo pipefail
programa=$1
fuente=$2
command -v systemd-analyze >/dev/null || { echo "SKIPPED: no systemd-analyze"; exit 0; }
raiz=$(mktemp -d)
trap 'rm -rf "$raiz"' EXIT
mkdir -p "$raiz/unidades" "$raiz/runtime"
chmod 700 "$raiz/runtime"
for u in kartoserv.socket kartoserv.service; do
  sed "s|@QUIRVEX_KARTOSERV@|$programa|" "$fuente/resources/systemd/$u" > "$raiz/unidades/$u"
done
grep -q '^ListenStream=%t/MapServiceQx$' "$raiz/unidades/kartoserv.socket" || { echo "FAIL: socket path"; exit 1; }
XDG_RUNTIME_DIR=$raiz/runtime systemd-analyze --user verify --man=no \
  "$raiz/unidades/kartoserv.socket" "$raiz/unidades/kartoserv.service"
desktop-file-validate "$fuente/resources/systemd/kartoserv-autostart.desktop"
echo "ok: units and autostart entry verified"
