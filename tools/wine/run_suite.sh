#!/usr/bin/env bash
# Runs the Windows test suite with one persistent wineserver bound to the current
# display, and stops that server afterwards whatever the outcome.
# Usage: run_suite.sh <build folder> [ctest args...]
set -u
build="$(cd "$1" && pwd)"
shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/test_server.sh" start "$build"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
cd "$build" && ctest --output-on-failure --timeout 600 "$@"
status=$?
"$here/test_server.sh" stop "$build"
exit $status
