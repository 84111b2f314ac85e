#!/usr/bin/env bash
# Starts or stops the one persistent wineserver that a Windows test run shares, bound to
# the current display, in the build's private prefix.
# Usage: test_server.sh start|stop <build folder>
set -u
action="$1"
build="$(cd "$2" && pwd)"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null
[ "$action" = stop ] && exit 0
wineserver -p
# Wine's background services start on the first program; let them settle before the
# tests hold output pipes.
wine cmd /c exit </dev/null >/dev/null 2>&1
# With no window manager on Xvfb, Wine waits about 2 s whenever a managed (captioned)
# window closes; the tests' windows are unmanaged from the first run of a fresh prefix.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
# A test program that crashes ends at once and fails its test: the debugger starts on its
# own, prints a backtrace into the test's output and ends the process, with no crash
# dialog to wait on. The copies of this prefix (end-to-end, benchmarks) inherit it.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f \
  </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
exit 0
