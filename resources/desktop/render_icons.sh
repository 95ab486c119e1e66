#!/usr/bin/env bash
# Renders the program's icon (quirvex.svg) to the PNG sizes the desktop's hicolor theme looks
# for. The PNGs are committed; run this again only after changing the drawing.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for s in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$s" -h "$s" quirvex.svg -o "quirvex_$s.png"
done
