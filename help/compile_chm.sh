#!/usr/bin/env bash
# Compiles the help: compile_chm.sh <output .chm> <sources...>
# chmcmd writes the clock's time into the file and lets the memory layout of its run (the
# address space layout and the path it works in) leak into the index it compresses, so
# two runs never give the same file. It runs here in one fixed folder (taken in turn by
# concurrent builds), without address space randomisation, with its clock and random
# source pinned to SOURCE_DATE_EPOCH (default: the last commit's time) by strace, so the
# same sources always give the same file.
set -euo pipefail
output="$1"
shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || echo 0)}"
work=/tmp/dozelite-chm
exec 9>/tmp/dozelite-chm.lock
flock 9
rm -rf "$work"
mkdir -p "$work"
cp "$@" "$work/"
touch -d "@$epoch" "$work"/*
# Little-endian struct timeval / timespec of the epoch, and eight fixed random bytes.
seconds="$(printf '%016x' "$epoch" | sed 's/../& /g' | awk '{for (i = NF; i >= 1; i--) printf "%s", $i}')"
zero=0000000000000000
(cd "$work" && setarch "$(uname -m)" -R strace -f -o /dev/null -e trace=time,gettimeofday,clock_gettime,getrandom \
   -e inject=time:retval="$epoch" -e inject=gettimeofday:poke_exit=@arg1="$seconds$zero" \
   -e inject=clock_gettime:poke_exit=@arg2="$seconds$zero" -e inject=getrandom:poke_exit=@arg1=0102030405060708 \
   chmcmd --verbosity 1 dozelite.hhp)
cp "$work/Dozelite.chm" "$output"
rm -rf "$work"
