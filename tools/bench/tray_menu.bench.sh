#!/usr/bin/env bash
# The tray menu build against the bare menu calls it is made of. Usage: <build folder>
set -u
build="$1"
export WINEPREFIX="$build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine "$build/windows/tray_menu_bench.exe" | tr -d '\r'
