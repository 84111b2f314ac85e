#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's private prefix: the emulator of the
# Windows test suite. Usage: wine_exec.sh <prefix> <program.exe> [args...]
set -u
prefix="$1"
shift
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
