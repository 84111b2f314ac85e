#!/usr/bin/env bash
# Leaks: a resident Dozelite with the sample savers on its search path goes through 1,000
# saver-list refreshes (command 40011) and then 300 reloads (40001), each handled before the
# next is sent. After a warm-up and after every batch its private memory (RssAnon of the
# emulator's process for it) and its kernel handle count (leak_probe) are read: both should
# stay flat after the warm-up. Usage: leak.bench.sh <build folder>
set -u
build="$1"
win="$(cd "$build/windows" && pwd)"
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work="$(mktemp -d)"
settings='HKCU\Software\Dozelite'

wineserver -p 60 >/dev/null 2>&1
TEMP="$(winepath -w "$work" 2>/dev/null)"
export TEMP TMP="$TEMP"
wine cmd /c exit </dev/null >/dev/null 2>&1
wine "$win/Dozelite.exe" kill nosplash notips corneraction=0 </dev/null >/dev/null 2>&1
wine reg add "$settings" /v saverpath0 /t REG_SZ /d "$(winepath -w "$win/savers")" /f </dev/null >/dev/null 2>&1
# The emulator runs each program in the process it was started as, so $! is its pid.
wine "$win/Dozelite.exe" </dev/null >/dev/null 2>&1 &
dozelite=$!
wine "$win/dozelite_ctl.exe" wait 30000 </dev/null >/dev/null 2>&1
sleep 3  # start-up animation, first update check

rss() { awk '/^RssAnon/ {print $2}' "/proc/$dozelite/status" 2>/dev/null; }
# batch <command> <times>: sends them and prints "<RssAnon KiB> <handles>".
batch() {
  local handles
  handles="$(wine "$win/leak_probe.exe" "$1" "$2" </dev/null 2>/dev/null | tr -d '\r')"
  echo "$(rss) ${handles:--}"
}

echo "## Leak check (1,000 saver-list refreshes, 300 reloads)"
echo
echo "One resident Dozelite, $(ls "$win"/savers/*.scr 2>/dev/null | wc -l) sample savers on its search path."
echo "Private memory is RssAnon of its process; handles are its kernel handles. Warm-up rows first."
echo
echo "| after | private memory (KiB) | handles |"
echo "|---|---|---|"
if [ ! -d "/proc/$dozelite" ]; then
  echo "| (Dozelite did not stay resident) | | |"
else
  declare -A first last
  run() {  # run <label> <command> <warm-up> <batches> <per batch>
    local label="$1" command="$2" done=0 result
    result="$(batch "$command" "$3")"
    done=$3
    echo "| $done $label (warm-up) | ${result% *} | ${result#* } |"
    first[$label]="$result"
    for _ in $(seq 1 "$4"); do
      result="$(batch "$command" "$5")"
      done=$((done + $5))
      echo "| $done $label | ${result% *} | ${result#* } |"
    done
    last[$label]="$result"
  }
  start="$(batch 40011 0)"
  echo "| start, no command yet | ${start% *} | ${start#* } |"
  run refreshes 40011 100 9 100
  run reloads 40001 30 9 30
  echo
  for label in refreshes reloads; do
    set -- ${first[$label]} ${last[$label]}
    echo "- $label after the warm-up: private memory $(( $3 - $1 )) KiB, handles $(( ${4/-/0} - ${2/-/0} ))."
  done
fi

wine "$win/dozelite_ctl.exe" close 10000 </dev/null >/dev/null 2>&1
wine "$win/Dozelite.exe" kill corneraction=0 </dev/null >/dev/null 2>&1
wine reg delete "$settings" /v saverpath0 /f </dev/null >/dev/null 2>&1
rm -rf "$work"
wineserver -k >/dev/null 2>&1
