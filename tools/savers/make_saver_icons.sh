#!/usr/bin/env bash
# Draws the sample savers' icons with ImageMagick into tools/savers/art/. The results
# are committed; run this again after a change.
set -euo pipefail
cd "$(dirname "$0")"
OUT=art
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"

to_ico() {
  convert "$2" -filter Lanczos -resize 32x32 "$WORK/i32.png"
  convert "$2" -filter Lanczos -resize 16x16 -unsharp 0x0.6 "$WORK/i16.png"
  convert "$WORK/i16.png" "$WORK/i32.png" "$1"
}

# Starlight: white and pale-blue stars streaking out of a night-blue rounded square.
convert -size 128x128 xc:none -fill "#0a1030" -draw "roundrectangle 4,4 124,124 22,22" \
  -stroke "#9fc4ff" -strokewidth 5 -draw "stroke-linecap round line 64,64 104,30" \
  -draw "stroke-linecap round line 64,64 24,36" -draw "stroke-linecap round line 64,64 96,104" \
  -stroke "#ffffff" -strokewidth 4 -draw "stroke-linecap round line 64,64 34,100" \
  -draw "stroke-linecap round line 64,64 66,18" \
  -stroke none -fill "#ffffff" -draw "circle 64,64 64,55" \
  -fill "#ffe9a8" -draw "circle 104,30 104,24" -draw "circle 24,36 24,31" -draw "circle 96,104 96,98" \
  "$WORK/starlight.png"
to_ico "$OUT/starlight.ico" "$WORK/starlight.png"

# Aurora: green and violet ribbons over a dark teal sky.
convert -size 128x128 xc:none -fill "#062a2e" -draw "roundrectangle 4,4 124,124 22,22" \
  -fill none -stroke "#3df29a" -strokewidth 12 -draw "path 'M 10,70 C 40,30 70,100 118,50'" \
  -stroke "#b45cff" -strokewidth 9 -draw "path 'M 10,95 C 45,60 80,120 118,80'" \
  -stroke "#9effd0" -strokewidth 4 -draw "path 'M 12,48 C 40,20 80,70 116,28'" \
  "$WORK/aurora.png"
to_ico "$OUT/aurora.ico" "$WORK/aurora.png"

# Bubbles: three glossy soap bubbles.
convert -size 128x128 xc:none -stroke "#ffffff" -strokewidth 3 \
  -fill "#4fb3ffaa" -draw "circle 50,70 50,30" -fill "#ff7ad9aa" -draw "circle 92,42 92,16" \
  -fill "#7dffb3aa" -draw "circle 96,98 96,78" -stroke none -fill "#ffffffd0" \
  -draw "circle 37,57 37,49" -draw "circle 83,33 83,28" -draw "circle 90,92 90,88" \
  "$WORK/bubbles.png"
to_ico "$OUT/bubbles.ico" "$WORK/bubbles.png"

# Lanterns (the saver without a name resource): warm paper lanterns.
convert -size 128x128 xc:none -fill "#1b0f2e" -draw "roundrectangle 4,4 124,124 22,22" \
  -fill "#ff9a2e" -draw "ellipse 44,60 22,30 0,360" -fill "#ffcf5a" -draw "ellipse 90,80 18,24 0,360" \
  -fill "#5a2a00" -draw "rectangle 36,28 52,32" -draw "rectangle 36,88 52,92" \
  -draw "rectangle 83,54 97,57" -draw "rectangle 83,103 97,106" \
  "$WORK/lanterns.png"
to_ico "$OUT/lanterns.ico" "$WORK/lanterns.png"

montage "$WORK/starlight.png" "$WORK/aurora.png" "$WORK/bubbles.png" "$WORK/lanterns.png" -tile 4x1 \
  -geometry 64x64+4+4 -background "#dfe3ea" "$OUT/preview.png" 2>/dev/null || true
echo "saver icons written to $(pwd)/$OUT"
