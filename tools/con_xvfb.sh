#!/usr/bin/env bash
# Runs a command on a private X server: tools/con_xvfb.sh COMMAND [ARGS...]
# Starts Xvfb on a free display, runs the command with DISPLAY and QT_QPA_PLATFORM=xcb, then
# stops the server. When Xvfb cannot start, the command still runs, without DISPLAY and with
# QUIRVEX_SIN_X saying why, so its tests report themselves skipped instead of passing.
set -u
carpeta=$(mktemp -d)
servidor=
terminar() {
  [ -n "$servidor" ] && kill "$servidor" 2>/dev/null && wait "$servidor" 2>/dev/null
  rm -rf "$carpeta"
}
trap terminar EXIT

motivo=
if ! command -v Xvfb >/dev/null 2>&1; then
  motivo="Xvfb is not installed (tools/setup.sh installs it)"
else
  # -displayfd: the server picks a free display and writes its number once it accepts clients.
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$carpeta/pantalla" \
    2>"$carpeta/xvfb.log" &
  servidor=$!
  for _ in $(seq 1 200); do
    [ -s "$carpeta/pantalla" ] && break
    kill -0 "$servidor" 2>/dev/null || break
    sleep 0.05
  done
  if [ -s "$carpeta/pantalla" ]; then
    export DISPLAY=":$(head -n1 "$carpeta/pantalla")"
  else
    motivo="Xvfb did not start: $(tail -n 3 "$carpeta/xvfb.log" | tr '\n' ' ')"
    kill "$servidor" 2>/dev/null
    servidor=
  fi
fi

if [ -n "$motivo" ]; then
  unset DISPLAY
  export QUIRVEX_SIN_X="$motivo"
  echo "$motivo" >&2
else
  export QT_QPA_PLATFORM=xcb
fi
"$@"
