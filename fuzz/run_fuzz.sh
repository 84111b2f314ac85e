#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on every object) and runs each for the given number of seconds, starting from the
# committed seed corpus; new inputs are kept in the build folder, findings as crash-* files.
# Usage: run_fuzz.sh <build folder> <seconds per target>
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
seconds="${2:-60}"
# FUZZ_TARGETS (words) picks some of the targets; all of them by default.
targets=(fuzz_http_response fuzz_parse_url fuzz_form_encoding fuzz_compare_versions fuzz_command_line
         fuzz_module_description fuzz_exe_header fuzz_holdoff_rule fuzz_catalog_cache fuzz_hold_schedule
         fuzz_translation)
if [ -n "${FUZZ_TARGETS:-}" ]; then read -r -a targets <<< "$FUZZ_TARGETS"; fi

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDOZELITE_FUZZ=ON -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

status=0
summary="$build/fuzz_summary.md"
printf '| target | seconds | executions | result |\n|---|---|---|---|\n' > "$summary"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  log="$build/$target.log"
  echo "fuzzing $target for $seconds s" >&2
  result=clean
  # The cache target's inputs must hold records with the largest image the reader takes
  # (64 by 64 pixels, 16 KiB each): room for several of them.
  max_len=65536
  [ "$target" = fuzz_catalog_cache ] && max_len=262144
  if ! (cd "$findings" && "$build/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 \
          -rss_limit_mb=2048 -print_final_stats=1 "$corpus" "$ROOT/fuzz/corpus/$target") >"$log" 2>&1; then
    result="FINDING (see $findings and $log)"
    status=1
  fi
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n1)"
  printf '| %s | %s | %s | %s |\n' "$target" "$seconds" "${runs:-?}" "$result" >> "$summary"
done
cat "$summary"
exit $status
