#!/usr/bin/env bash
# Runs every benchmark script beside this one (tools/bench/*.bench.sh, each printing
# markdown table rows for its own section) and writes the whole table to build/bench.md,
# ending with the targets table the scripts filled in bench-targets.md.
# Usage: run_bench.sh <build folder>
set -u
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
out="$build/bench.md"
# Every Windows benchmark runs in the test build's prefix.
export WINEPREFIX="$(cd "$build/windows" && pwd)/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
targets="$build/bench-targets.md"
: > "$targets"
{
  echo "# Dozelite benchmarks"
  echo
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores under Wine $(wine --version 2>/dev/null)."
  echo
  shopt -s nullglob
  for script in "$here"/*.bench.sh; do
    wineserver -k 2>/dev/null
    wineserver -p 60 2>/dev/null
    bash "$script" "$build" || echo "(benchmark $(basename "$script") failed)"
    wineserver -k 2>/dev/null
    echo
  done
  echo "## Targets"
  echo
  echo "Each ratio measured side by side in this run (see the sections above)."
  echo
  echo "| target | goal | measured |"
  echo "|---|---|---|"
  cat "$targets"
} | tee "$out"
echo "written to $out" >&2
