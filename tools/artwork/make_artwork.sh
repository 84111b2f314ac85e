#!/usr/bin/env bash
# Draws Dozelite's icons and the menu check-mark bitmap with ImageMagick and writes them
# into src/resources/art/. The results are committed; run this again after a change.
#
# The glyph: a golden crescent moon on a deep-blue disc with a "z" drifting away from it.
# The nine animation frames move the "z" up and out and bring it back; the crossed set
# adds a red diagonal mark; the disabled icon is a grey moon with a small pause sign.
set -euo pipefail
cd "$(dirname "$0")/../.."
OUT=src/resources/art
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"

S=256  # drawing size; every image is scaled down to each icon size below
ICON_SIZES=(16 20 24 32 40 48 64 256)  # 100% to 400% of the small and large icon
CHECK_SIZES=(12 16 20 26 32 40 48)     # the menu check mark at the common scales
# The shapes are laid out on a 128-pixel grid and drawn at twice that size.
GRID="affine 2,0,0,2,0,0"

# A "Z" drawn as a stroked path (no font needed): top-left corner (x, y), size z.
z_path() {
  local x=$1 y=$2 z=$3
  echo "path 'M $x,$y L $((x + z)),$y L $x,$((y + z)) L $((x + z)),$((y + z))'"
}

# base <out> <disc colour> <moon colour>
base() {
  convert -size ${S}x${S} xc:none \
    -fill "$2" -stroke "#0b1630" -strokewidth 4 -draw "$GRID circle 64,64 64,4" \
    \( -size ${S}x${S} xc:none -fill "$3" -draw "$GRID circle 58,70 58,24" \
       \( -size ${S}x${S} xc:none -fill black -draw "$GRID circle 80,56 80,16" \) \
       -compose DstOut -composite \) \
    -compose Over -composite "$1"
}

# frame <out> <base> <z offset step 0..8>
frame() {
  local t=$3
  # The z rises for four steps, floats, and settles back: offsets in pixels.
  local dx=(0 4 8 12 16 12 8 4 0)
  local dy=(0 -6 -12 -18 -24 -18 -12 -6 0)
  local size=(30 28 26 24 22 24 26 28 30)
  local x=$((78 + ${dx[$t]})) y=$((30 + ${dy[$t]})) z=${size[$t]}
  convert "$2" -fill none -stroke white -strokewidth 9 \
    -draw "$GRID stroke-linecap round stroke-linejoin round $(z_path $x $y $z)" "$1"
}

cross() {
  convert "$2" -stroke "#d11a1a" -strokewidth 16 -draw "$GRID stroke-linecap round line 22,22 106,106" "$1"
}

# Every size is drawn down from the full picture (never from a smaller one); the small
# ones get a touch of sharpening so the moon's edge survives.
to_ico() {
  local images=()
  for size in "${ICON_SIZES[@]}"; do
    local sharpen=()
    [ "$size" -le 24 ] && sharpen=(-unsharp 0x0.6)
    convert "$2" -filter Lanczos -resize ${size}x${size} "${sharpen[@]}" "$WORK/i$size.png"
    images+=("$WORK/i$size.png")
  done
  convert "${images[@]}" "$1"
}

base "$WORK/base.png" "#1d3b78" "#ffd54a"
base "$WORK/grey.png" "#5d6470" "#c9ccd1"

frame "$WORK/main.png" "$WORK/base.png" 0
to_ico "$OUT/dozelite.ico" "$WORK/main.png"

for n in 1 2 3 4 5 6 7 8 9; do
  frame "$WORK/f$n.png" "$WORK/base.png" $((n - 1))
  to_ico "$OUT/dlanim$n.ico" "$WORK/f$n.png"
  cross "$WORK/x$n.png" "$WORK/f$n.png"
  to_ico "$OUT/dlanimx$n.ico" "$WORK/x$n.png"
done

# Disabled for a while: grey moon, pause bars in a small orange badge.
convert "$WORK/grey.png" -fill "#f08a00" -stroke "#0b1630" -strokewidth 4 -draw "$GRID circle 92,92 92,60" \
  -fill white -stroke none -draw "$GRID rectangle 80,78 88,106" -draw "$GRID rectangle 96,78 104,106" "$WORK/xc.png"
to_ico "$OUT/dozelitexc.ico" "$WORK/xc.png"

# The menu check mark: a dark tick on white (menus mask it as a monochrome-style image),
# one bitmap per size; the program picks the one that fits the menu's check size.
convert -size 64x64 xc:white -fill none -stroke black -strokewidth 10 \
  -draw "stroke-linecap round stroke-linejoin round path 'M 12,34 L 26,48 L 52,16'" "$WORK/check.png"
for size in "${CHECK_SIZES[@]}"; do
  convert "$WORK/check.png" -filter Lanczos -resize ${size}x${size} -type TrueColor "BMP3:$OUT/checked$size.bmp"
done

# A preview sheet for review (not used by the build).
montage "$WORK/main.png" "$WORK/f3.png" "$WORK/f5.png" "$WORK/x1.png" "$WORK/xc.png" -tile 5x1 -geometry 64x64+4+4 \
  -background "#dfe3ea" "$OUT/preview.png" 2>/dev/null || true
echo "artwork written to $OUT"
