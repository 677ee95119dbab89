#!/usr/bin/env bash
# Renders the PNG sizes of the two icons from their SVG drawings (rsvg-convert, package
# librsvg2-bin). Run it after changing an SVG and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  for kind in apps:tyxplumet mimetypes:application-x-tyxplumet-project; do
    folder="hicolor/${size}x${size}/${kind%%:*}"
    name="${kind#*:}"
    mkdir -p "$folder"
    rsvg-convert -w "$size" -h "$size" "$name.svg" -o "$folder/$name.png"
  done
done
