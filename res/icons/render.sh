#!/usr/bin/env bash
# Renders zvreader.svg into the PNG sizes the desktop and the window use
# and the Windows icon file. Needs ImageMagick; run it after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  mkdir -p "${size}x${size}"
  convert -background none zvreader.svg -resize "${size}x${size}" -strip "PNG32:${size}x${size}/zvreader.png"
done
convert 16x16/zvreader.png 32x32/zvreader.png 48x48/zvreader.png 256x256/zvreader.png zvreader.ico
