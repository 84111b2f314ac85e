#!/usr/bin/env bash
# An opening of the tray menu against the bare menu calls it is made of; adds the target row of
# 100 savers to $build/bench-targets.md. Usage: <build folder>
set -u
build="$1"
export WINEPREFIX="$build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
out=$(wine "$build/windows/tray_menu_bench.exe" | tr -d '\r')
echo "$out"
echo "$out" | awk -F'|' '$2 ~ /^ *100 *$/ { gsub(/ /, "", $6); gsub(/ /, "", $9);
  printf "| Tray menu, 100 savers, an opening against the bare AppendMenuA + SetMenuItemBitmaps calls (medians) | at most 1.5x | %s (first opening: %s) |\n", $6, $9 }' \
  >> "$build/bench-targets.md"
