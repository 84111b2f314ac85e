#!/usr/bin/env bash
# Installs the sample savers built with the program into a Wine prefix's System folder,
# so the demo's tray menu is populated. Usage: install_demo.sh <prefix> <windows build>
set -eu
prefix="$1"
build="$2"
system="$prefix/drive_c/windows/system32"
mkdir -p "$system"
shopt -s nullglob
for saver in "$build"/savers/*.scr; do
  cp -f "$saver" "$system/"
done
