#!/usr/bin/env bash
# Start to tray icon and resident memory: Dozelite with 100 savers on its search path,
# with no catalog cache (cold) and with one (warm), against the minimal tray program, in
# the same run and the same Wine server. Also adds its target rows to $build/bench-targets.md.
# With STARTUP_BASELINE set to another build's Dozelite.exe, that program is started in
# every round too (warm), for a before-and-after comparison measured side by side.
# Usage: startup.bench.sh <build folder>
set -u
build="$1"
win="$(cd "$build/windows" && pwd)"
runs="${STARTUP_RUNS:-7}"
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

cache='%LOCALAPPDATA%\Dozelite\savers.cache'
bench() { wine "$win/startup_bench.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
dozelite="$(winepath -w "$win/Dozelite.exe")"
idle="$(winepath -w "$win/idle_tray.exe")"
# The three are started in turn, one start each per round, so that whatever else the
# machine does weighs on all three alike; each column's median is taken at the end.
for round in $(seq 1 "$runs"); do
  bench --delete "$cache" 1 DozeliteTrayIconClass "$dozelite" >> "$work/cold"
  bench 1 DozeliteIdleTrayClass "$idle" >> "$work/minimal"
  bench 1 DozeliteTrayIconClass "$dozelite" >> "$work/warm"
  if [ -n "${STARTUP_BASELINE:-}" ]; then
    bench 1 DozeliteTrayIconClass "$(winepath -w "$STARTUP_BASELINE")" >> "$work/baseline"
  fi
done
# "<median ms> <min ms> <median private KiB> <median working set KiB>" of one file's rounds.
medians() {
  [ -s "$1" ] || return 0
  for column in 1 3 4; do sort -n -k"$column","$column" "$1" | awk -v c="$column" '{ v[NR] = $c } END { printf "%s ", v[int(NR / 2) + 1] }'; done |
    awk -v least="$(sort -n -k1,1 "$1" | head -n1 | cut -d' ' -f1)" '{ print $1, least, $2, $3 }'
}
cold=$(medians "$work/cold")
minimal=$(medians "$work/minimal")
warm=$(medians "$work/warm")
baseline=$(medians "$work/baseline")
count=$(cat "$WINEPREFIX"/drive_c/users/*/Temp/Dozelite.log 2>/dev/null | grep -ao "processed [0-9]* savers ([0-9]* ms), [0-9]* from the cache" | tail -n1)
wine reg delete "$settings" /f </dev/null >/dev/null 2>&1

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
set -- $minimal
m_med=${1:-0} m_min=${2:-0} m_priv=${3:-0} m_ws=${4:-0}
set -- $cold
c_med=${1:-0} c_min=${2:-0} c_priv=${3:-0} c_ws=${4:-0}
set -- $warm
w_med=${1:-0} w_min=${2:-0} w_priv=${3:-0} w_ws=${4:-0}
echo "## Start-up and memory"
echo
echo "Median of $runs starts each, taken in turn (cold, minimal, warm in every round), from CreateProcess until the"
echo "icon is in the notification area;"
echo "memory read with GetProcessMemoryInfo 1.5 s after the icon appeared. Cold: the catalog cache is deleted"
echo "before every start. Last warm start: ${count:-(catalog line not found)}."
echo
echo "| program | start to tray icon, median (min) | ratio | private bytes | ratio | working set | ratio |"
echo "|---|---|---|---|---|---|---|"
echo "| minimal tray program | ${m_med} ms (${m_min}) | 1.00 | ${m_priv} KiB | 1.00 | ${m_ws} KiB | 1.00 |"
echo "| Dozelite, 100 savers, cold cache | ${c_med} ms (${c_min}) | $(ratio "$c_med" "$m_med") | ${c_priv} KiB | $(ratio "$c_priv" "$m_priv") | ${c_ws} KiB | $(ratio "$c_ws" "$m_ws") |"
echo "| Dozelite, 100 savers, warm cache | ${w_med} ms (${w_min}) | $(ratio "$w_med" "$m_med") | ${w_priv} KiB | $(ratio "$w_priv" "$m_priv") | ${w_ws} KiB | $(ratio "$w_ws" "$m_ws") |"
if [ -n "$baseline" ]; then
  set -- $baseline
  b_med=${1:-0} b_min=${2:-0} b_priv=${3:-0} b_ws=${4:-0}
  echo "| baseline Dozelite ($(basename "$(dirname "$(dirname "$STARTUP_BASELINE")")")), 100 savers, warm cache | ${b_med} ms (${b_min}) | $(ratio "$b_med" "$m_med") | ${b_priv} KiB | $(ratio "$b_priv" "$m_priv") | ${b_ws} KiB | $(ratio "$b_ws" "$m_ws") |"
  echo
  echo "This build against the baseline (warm): start $(ratio "$w_med" "$b_med")x, private bytes $(ratio "$w_priv" "$b_priv")x;"
  echo "program file $(stat -c %s "$win/Dozelite.exe") bytes against $(stat -c %s "$STARTUP_BASELINE") bytes."
fi
{
  echo "| Start to tray icon, 100 savers, cold cache, against the minimal tray program | at most 1.3x | $(ratio "$c_med" "$m_med")x |"
  echo "| Start to tray icon, 100 savers, warm cache, against the minimal tray program | at most 1.3x | $(ratio "$w_med" "$m_med")x |"
  echo "| Private memory, 100 savers (warm start), against the minimal tray program | at most 2x | $(ratio "$w_priv" "$m_priv")x |"
} >> "$build/bench-targets.md"
