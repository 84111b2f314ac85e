#!/usr/bin/env bash
# The saver catalog build over 10, 100, 1000 and 4096 savers, cold and from the cache of a
# repeat start, against the bare system calls of a cold build, measured side by side in
# one Wine run. Adds its target rows to $build/bench-targets.md. Usage: catalog.bench.sh <build>
set -u
build="$1"
export WINEPREFIX="$build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "## Saver catalog build"
echo
echo "Catalog: \`GetSaverEnumeration\` over one folder of copies of the sample savers. Bare calls: one directory"
echo "listing, then per file \`LoadLibraryExA\` as data + \`LoadStringA(1)\`, \`ExtractAssociatedIconA\` and one"
echo "\`DrawIconEx\`. Best of three each, milliseconds per saver; target ratio at most 1.3, flat over the counts."
echo
echo "| savers | catalog ms/saver | bare calls ms/saver | ratio |"
echo "|---|---|---|---|"
out=$(wine "$build/windows/catalog_bench.exe" "$(winepath -w "$build/windows/savers" 2>/dev/null)" \
        ${DOZELITE_BENCH_COUNTS:-10 100 1000 4096} 2>/dev/null | tr -d '\r')
echo "$out"
echo "$out" | sed -n '/from the cache/,$p' | awk -F'|' '$2 ~ /^ *(100|1000) *$/ {
  gsub(/ /, "", $2); gsub(/ /, "", $5);
  printf "| Repeat start, catalog of %s savers from the cache, against the bare calls of a cold build | at most 0.1x | %sx |\n", $2, $5 }' \
  >> "$build/bench-targets.md"
