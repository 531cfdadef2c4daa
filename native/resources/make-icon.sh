#!/bin/sh
# Regenerates vantrel.ico from vantrel-icon.svg: eight 32-bit images with
# alpha (16 to 128 pixels) and a 256-pixel PNG image. Needs rsvg-convert
# (librsvg2-bin) and icotool (icoutils). The build uses the committed .ico.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

images=""
for size in 16 24 32 48 64 72 96 128; do
  rsvg-convert -w "$size" -h "$size" -o "$work/$size.png" vantrel-icon.svg
  images="$images $work/$size.png"
done
rsvg-convert -w 256 -h 256 -o "$work/256.png" vantrel-icon.svg

# shellcheck disable=SC2086 # the list is meant to split
icotool -c -b 32 -o vantrel.ico $images --raw="$work/256.png"
icotool -l vantrel.ico
