#!/usr/bin/env bash
# Starts Dozelite in a Wine virtual desktop on the current (virtual) display, waits for
# its tray icon, saves a screenshot and closes it. Usage: run_demo.sh <prefix> <build> <shots>
set -u
prefix="$1"
build="$2"
shots="$3"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$shots"
wineserver -k 2>/dev/null
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1

wine explorer /desktop=Dozelite,1280x800 "$build/Dozelite.exe" >/dev/null 2>&1 &
launcher=$!

# The icon is in place once the log says the worker threads may start (after the
# tray add) or, failing that, after the retry line.
temp="$(ls -d "$prefix"/drive_c/users/*/Temp 2>/dev/null | head -n1)"
log="${temp:-$prefix/drive_c/windows/temp}/Dozelite.log"
for _ in $(seq 1 150); do
  if grep -q -e "Tray icon not ready yet" -e "icon sizes" "$log" 2>/dev/null; then break; fi
  sleep 0.2
done
sleep 6  # splash (4 s) and the icon animation
import -window root "$shots/run-desktop-with-tray-icon.png" 2>/dev/null || xwd -root -silent | convert xwd:- "$shots/run-desktop-with-tray-icon.png"
echo "screenshot: $shots/run-desktop-with-tray-icon.png"

# Close the program the way the "Exit" command does: WM_CLOSE to its main window.
wine "$build/dozelite_ctl.exe" close 5000 >/dev/null 2>&1 || true
wineserver -k 2>/dev/null
wait "$launcher" 2>/dev/null
exit 0
