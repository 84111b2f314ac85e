#!/usr/bin/env bash
# Cold start to tray icon and resident memory: Dozelite with 100 savers on its search
# path against the minimal tray program, in the same run and the same Wine server.
# Usage: startup.bench.sh <build folder>
set -u
build="$1"
win="$(cd "$build/windows" && pwd)"
runs="${STARTUP_RUNS:-5}"
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work="$(mktemp -d)"
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

# 100 savers: copies of the sample savers under distinct names.
mkdir -p "$work/savers"
savers=("$win"/savers/*.scr)
for i in $(seq 1 100); do
  source="${savers[$(( (i - 1) % ${#savers[@]} ))]}"
  cp "$source" "$work/savers/bench$(printf '%03d' "$i").scr"
done

wineserver -k 2>/dev/null
wineserver -p 60 >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
settings='HKCU\Software\Dozelite'
wine reg delete "$settings" /f </dev/null >/dev/null 2>&1
wine "$win/Dozelite.exe" kill nosplash notips corneraction=0 </dev/null >/dev/null 2>&1
wine reg add "$settings" /v saverpath0 /t REG_SZ /d "$(winepath -w "$work/savers")" /f </dev/null >/dev/null 2>&1

dozelite=$(wine "$win/startup_bench.exe" "$runs" DozeliteTrayIconClass "$(winepath -w "$win/Dozelite.exe")" </dev/null 2>/dev/null | tr -d '\r')
minimal=$(wine "$win/startup_bench.exe" "$runs" DozeliteIdleTrayClass "$(winepath -w "$win/idle_tray.exe")" </dev/null 2>/dev/null | tr -d '\r')
count=$(cat "$WINEPREFIX"/drive_c/users/*/Temp/Dozelite.log 2>/dev/null | grep -ao "processed [0-9]* savers" | tail -n1)
wine reg delete "$settings" /f </dev/null >/dev/null 2>&1

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
set -- $dozelite
d_med=${1:-0} d_min=${2:-0} d_priv=${3:-0} d_ws=${4:-0}
set -- $minimal
m_med=${1:-0} m_min=${2:-0} m_priv=${3:-0} m_ws=${4:-0}
echo "## Start-up and memory"
echo
echo "Median of $runs starts each, from CreateProcess until the icon is in the notification area;"
echo "memory read with GetProcessMemoryInfo 1.5 s after the icon appeared. Dozelite ${count:-(catalog line not found)}."
echo
echo "| program | start to tray icon, median (min) | private bytes | working set |"
echo "|---|---|---|---|"
echo "| minimal tray program | ${m_med} ms (${m_min}) | ${m_priv} KiB | ${m_ws} KiB |"
echo "| Dozelite, 100 savers | ${d_med} ms (${d_min}) | ${d_priv} KiB | ${d_ws} KiB |"
echo "| ratio | $(ratio "$d_med" "$m_med") | $(ratio "$d_priv" "$m_priv") | $(ratio "$d_ws" "$m_ws") |"
