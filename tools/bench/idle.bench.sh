#!/usr/bin/env bash
# Idle cost: context switches of every thread of a resident Dozelite (corner actions off,
# then on) over 10 idle seconds, against the smallest tray program in the same run.
# Counts come from /proc/<pid>/task/*/status (voluntary + involuntary switches) of the
# emulator's process for each program. Usage: idle.bench.sh <build folder>
set -u
build="$1"
win="$(cd "$build/windows" && pwd)"
seconds="${IDLE_SECONDS:-10}"
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work="$(mktemp -d)"


# Sum of both switch counters over all threads, and the number of threads.

# Threads that switched at all during the window (per-thread counters before/after).
measure() {
  local pid="$1" before after
  declare -A start
  for status in /proc/"$pid"/task/*/status; do
    local tid
    tid=$(basename "$(dirname "$status")")
    start[$tid]=$(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {s += $2} END {print s + 0}' "$status")
  done
  sleep "$seconds"
  local total=0 woke=0 threads=0
  for status in /proc/"$pid"/task/*/status; do
    local tid now delta
    tid=$(basename "$(dirname "$status")")
    now=$(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {s += $2} END {print s + 0}' "$status")
    delta=$((now - ${start[$tid]:-0}))
    total=$((total + delta))
    threads=$((threads + 1))
    [ "$delta" -gt 0 ] && woke=$((woke + 1))
  done
  echo "$total $woke $threads"
}

row() { # name, "total woke threads"
  set -- "$1" $2
  local per
  per=$(awk -v t="$2" -v s="$seconds" 'BEGIN {printf "%.1f", t / s}')
  echo "| $1 | $4 | $3 | $2 | $per |"
}

wineserver -p 60 >/dev/null 2>&1
TEMP="$(winepath -w "$work" 2>/dev/null)"
export TEMP TMP="$TEMP"
wine cmd /c exit </dev/null >/dev/null 2>&1

# Dozelite with its switches set for an unattended start and corner actions off.
wine "$win/Dozelite.exe" kill nosplash notips corneraction=0 >/dev/null 2>&1
# The emulator runs each program in the process it was started as, so $! is its pid.
wine "$win/Dozelite.exe" >/dev/null 2>&1 &
dozelite=$!
wine "$win/dozelite_ctl.exe" wait 30000 >/dev/null 2>&1
wine "$win/idle_tray.exe" >/dev/null 2>&1 &
tray=$!
sleep 5  # start-up animation, first update check

echo "## Idle cost (context switches in ${seconds} s with nothing to do)"
echo
echo "| program | threads | threads that woke | context switches | per second |"
echo "|---|---|---|---|---|"
if [ ! -d "/proc/$dozelite/task" ] || [ ! -d "/proc/$tray/task" ]; then
  echo "| (a program did not stay resident: Dozelite $dozelite, tray $tray) | | | | |"
else
  # Both measured over the same seconds, side by side.
  measure "$tray" > "$work/tray" &
  side=$!
  measure "$dozelite" > "$work/dozelite"
  wait "$side"
  row "minimal tray program" "$(cat "$work/tray")"
  row "Dozelite, corner actions off" "$(cat "$work/dozelite")"
  wine "$win/dozelite_ctl.exe" command 40038 >/dev/null 2>&1  # corner actions on: the mouse hook
  sleep 1
  row "Dozelite, corner actions on" "$(measure "$dozelite")"
  wine "$win/dozelite_ctl.exe" command 40038 >/dev/null 2>&1
  # One "running" rule, for a program that runs and for one that does not: the process
  # watcher scans every 5 s, nothing else wakes.
  for program in idle_tray.exe absent.exe; do
    wine reg delete 'HKCU\Software\Dozelite\HoldOff' /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Dozelite\HoldOff' /v "$program" /t REG_SZ /d running /f >/dev/null 2>&1
    wine "$win/dozelite_ctl.exe" command 40001 >/dev/null 2>&1  # reload
    sleep 3  # the reload's icon animation
    row "Dozelite, one \"running\" rule ($program)" "$(measure "$dozelite")"
  done
  # Schedules that are not in force now (the emulator's local time is the host's): the one
  # timer is armed for the next start, hours away, and nothing wakes before it.
  wine reg delete 'HKCU\Software\Dozelite\HoldOff' /f >/dev/null 2>&1
  later=$(( (10#$(date +%H) + 2) % 24 ))
  wine reg add 'HKCU\Software\Dozelite\HoldOff\Schedules' /v Work /t REG_SZ \
    /d "daily $(printf '%02d' "$later"):00-$(printf '%02d' "$later"):30" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Dozelite\HoldOff\Schedules' /v Tomorrow /t REG_SZ \
    /d "$(date -d tomorrow +%a | tr 'A-Z' 'a-z') $(printf '%02d' "$later"):30-$(printf '%02d' "$later"):45" /f >/dev/null 2>&1
  wine "$win/dozelite_ctl.exe" command 40001 >/dev/null 2>&1
  sleep 3
  row "Dozelite, schedules present, none in force" "$(measure "$dozelite")"
  wine reg delete 'HKCU\Software\Dozelite\HoldOff' /f >/dev/null 2>&1
  wine "$win/dozelite_ctl.exe" command 40001 >/dev/null 2>&1
  echo
  echo "With corner actions on, the corner watcher waits on a low-level mouse hook: with the mouse still"
  echo "it wakes only for its once-a-minute check of the hook; with them off it has no hook at all."
  echo "The hold-off's full-screen rule (on by default) looks at the window in front once per saver time-out,"
  echo "shortly before the saver would start, and costs nothing else at rest;"
  echo "a \"running\" rule wakes one thread every 5 s for a scan of the process list."
  echo "Schedules arm one timer of the main window for their next start or end and wake nothing before it."
fi

wine "$win/idle_tray.exe" close >/dev/null 2>&1
wine "$win/dozelite_ctl.exe" close 10000 >/dev/null 2>&1
wine "$win/Dozelite.exe" kill corneraction=0 >/dev/null 2>&1
rm -rf "$work"
wineserver -k >/dev/null 2>&1
