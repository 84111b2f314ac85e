#!/usr/bin/env bash
# What holds the private memory of a resident Dozelite (100 savers, warm catalog cache)
# against the minimal tray program: the resident anonymous pages (what Wine reports as
# private bytes) of each mapping of the emulator's process, from /proc/<pid>/smaps,
# grouped by the file mapped (copied-on-write pages of a program or library) or as
# unnamed memory (heaps, stacks, the emulator's own). Usage: memory.bench.sh <build folder>
set -u
build="$1"
win="$(cd "$build/windows" && pwd)"
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work="$(mktemp -d)"
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

mkdir -p "$work/savers"
savers=("$win"/savers/*.scr)
for i in $(seq 1 100); do
  cp "${savers[$(( (i - 1) % ${#savers[@]} ))]}" "$work/savers/bench$(printf '%03d' "$i").scr"
done
wineserver -p 60 >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
settings='HKCU\Software\Dozelite'
wine reg delete "$settings" /f </dev/null >/dev/null 2>&1
wine "$win/Dozelite.exe" kill nosplash notips corneraction=0 </dev/null >/dev/null 2>&1
wine reg add "$settings" /v saverpath0 /t REG_SZ /d "$(winepath -w "$work/savers")" /f </dev/null >/dev/null 2>&1
# One start to write the catalog cache, then the measured one.
wine "$win/Dozelite.exe" >/dev/null 2>&1 &
wine "$win/dozelite_ctl.exe" wait 30000 >/dev/null 2>&1
sleep 3
wine "$win/dozelite_ctl.exe" close 10000 >/dev/null 2>&1
wait

wine "$win/Dozelite.exe" >/dev/null 2>&1 &
dozelite=$!
wine "$win/dozelite_ctl.exe" wait 30000 >/dev/null 2>&1
wine "$win/idle_tray.exe" >/dev/null 2>&1 &
tray=$!
sleep 4  # the start-up animation and the first update check are over

# "<KiB><tab><name>" per group, largest first.
holders() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "") ? "(unnamed memory)" : $6; sub(/.*\//, "", name); next }
       /^Anonymous:/ { sum[name] += $2 }
       END { for (n in sum) if (sum[n] > 0) printf "%d\t%s\n", sum[n], n }' "/proc/$1/smaps" | sort -rn
}
echo "## What holds the private memory"
echo
if [ ! -r "/proc/$dozelite/smaps" ] || [ ! -r "/proc/$tray/smaps" ]; then
  echo "(a program did not stay resident)"
else
  holders "$dozelite" > "$work/d"
  holders "$tray" > "$work/t"
  echo "Resident anonymous KiB per mapping, the largest holders of Dozelite (100 savers, warm cache) beside"
  echo "the same mapping in the minimal tray program."
  echo
  echo "| mapping | Dozelite KiB | minimal tray program KiB |"
  echo "|---|---|---|"
  head -n "${MEMORY_ROWS:-14}" "$work/d" | while IFS=$'\t' read -r kib name; do
    other=$(awk -F'\t' -v n="$name" '$2 == n { print $1 }' "$work/t")
    echo "| $name | $kib | ${other:-0} |"
  done
  echo "| total | $(awk '{ s += $1 } END { print s }' "$work/d") | $(awk '{ s += $1 } END { print s }' "$work/t") |"
  echo
  echo "Threads: Dozelite $(ls /proc/$dozelite/task | wc -l), minimal $(ls /proc/$tray/task | wc -l) (the emulator's own included)."
fi
wine "$win/idle_tray.exe" close >/dev/null 2>&1
wine "$win/dozelite_ctl.exe" close 10000 >/dev/null 2>&1
wine reg delete "$settings" /f </dev/null >/dev/null 2>&1
