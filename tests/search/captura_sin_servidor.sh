#!/usr/bin/env bash
# A screenshot run on a fresh account (a first run) writes its picture and starts no index
# server: the program is run from a private folder beside a stand-in kartoserv that would leave
# a mark if it were ever started.
# Usage: captura_sin_servidor.sh QUIRVEX_BINARY
set -euo pipefail
programa=$1
raiz=$(mktemp -d)
trap 'rm -rf "$raiz"' EXIT
mkdir -p "$raiz/bin" "$raiz/config" "$raiz/runtime" "$raiz/cache"
chmod 700 "$raiz/runtime"
cp "$programa" "$raiz/bin/quirvex"
cat > "$raiz/bin/kartoserv" <<FIN
#!/bin/sh
touch "$raiz/arrancado"
FIN
chmod +x "$raiz/bin/kartoserv"

XDG_CONFIG_HOME=$raiz/config XDG_RUNTIME_DIR=$raiz/runtime XDG_CACHE_HOME=$raiz/cache \
  QT_QPA_PLATFORM=offscreen "$raiz/bin/quirvex" --screenshot "$raiz/captura.png" "$raiz" >/dev/null 2>&1
[ -s "$raiz/captura.png" ] || { echo "FAIL: no screenshot written"; exit 1; }
# A detached start would have run by now; give a slow machine a bounded while to show it.
for _ in $(seq 1 20); do
  [ -e "$raiz/arrancado" ] && { echo "FAIL: the screenshot run started the index server"; exit 1; }
  sleep 0.1
done
echo "ok: screenshot written, no index server started"
