#!/usr/bin/env bash
# Runs every benchmark script beside this one (tools/bench/*.bench.sh, each printing
# markdown table rows for its own section) and writes the whole table to build/bench.md.
# Usage: run_bench.sh <build folder>
set -u
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
out="$build/bench.md"
{
  echo "# Dozelite benchmarks"
  echo
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores under Wine $(wine --version 2>/dev/null)."
  echo
  shopt -s nullglob
  for script in "$here"/*.bench.sh; do
    bash "$script" "$build" || echo "(benchmark $(basename "$script") failed)"
    echo
  done
} | tee "$out"
echo "written to $out" >&2
