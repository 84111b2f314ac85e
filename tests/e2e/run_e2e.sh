#!/usr/bin/env bash
# The end-to-end suite: installs the built setup program silently into a fresh Wine
# prefix, uses the installed Dozelite only from outside, as a person and the shell would
# (the Start menu shortcut, tray callbacks and WM_COMMANDs posted by dozelite_ctl,
# second starts with options, the registry, the log, the sample savers' records of how
# they were started, screenshots), and finally uninstalls it and looks for leftovers.
#
# Run by "./dev e2e" on a private X display. Usage: run_e2e.sh <build folder> <version>
# With DOZELITE_E2E_ALL=1 the pending steps run too, to try features as they land.
# Each step prints PASS, FAIL (with the checks that failed) or SKIP (pending: <what>);
# the last line is "N passed, M failed". The exit code is 0 only when nothing failed.
set -u

build="$(cd "$1" && pwd)"
version="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

setup="$build/Dozelite-$version-setup.exe"
ctl_exe="$build/windows/dozelite_ctl.exe"
shots="$build/screenshots"
work="$build/e2e"
prefix="$work/prefix"

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

install_dir_win='C:\Program Files\Dozelite'
install_dir="$prefix/drive_c/Program Files/Dozelite"
exe_win="$install_dir_win\\Dozelite.exe"
shortcut_win='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Dozelite.lnk'
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Dozelite.lnk"
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Dozelite'
run_key='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\Dozelite'
desktop_key='HKCU\Control Panel\Desktop'
record_win='C:\e2e\saver_record.txt'
# The same installation "Just for me": the user's local application data, Start menu and hive.
user_uninstall_key='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Dozelite'
set_user_paths() {
  local user
  user="$(basename "$(ls -d "$prefix"/drive_c/users/* 2>/dev/null | grep -v '/Public$' | head -n1)")"
  user_dir_win="C:\\users\\$user\\AppData\\Local\\Programs\\Dozelite"
  user_dir="$prefix/drive_c/users/$user/AppData/Local/Programs/Dozelite"
  user_shortcut_win="C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Dozelite.lnk"
  user_shortcut="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Dozelite.lnk"
}
record="$prefix/drive_c/e2e/saver_record.txt"
export DOZELITE_SAVER_RECORD="$record_win"

# ---------------------------------------------------------------- helpers

note() { printf '      %s\n' "$*"; }

# check <description> <command...>: one expectation of the current step.
step_failures=0
check() {
  local description="$1"
  shift
  if "$@" >/dev/null 2>&1; then return 0; fi
  note "not so: $description"
  step_failures=$((step_failures + 1))
  return 1
}

ctl() { wine "$ctl_exe" "$@" </dev/null >/dev/null 2>&1; }

# reg_value <key> <name>: the data of one value, empty when it is missing.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | head -n1
}
reg_key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
reg_value_exists() { wine reg query "$1" /v "$2" </dev/null >/dev/null 2>&1; }
reg_value_is() { [ "$(reg_value "$1" "$2")" = "$3" ]; }

# Processes of this prefix only: other Wine sessions may run on the same machine.
prefix_pids() {
  local pattern="$1" pid
  for pid in $(pgrep -f "$pattern" 2>/dev/null); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$prefix"; then
      echo "$pid"
    fi
  done
}
no_prefix_process() { [ -z "$(prefix_pids "$1")" ]; }
dozelite_count() { prefix_pids 'Dozelite\.exe' | grep -c . ; }
# running_from <windows folder>: one Dozelite runs, started from that folder's program.
running_from() {
  local pid
  pid="$(prefix_pids 'Dozelite\.exe')"
  [ "$(grep -c . <<<"$pid")" -eq 1 ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qiF "$1\\Dozelite.exe"
}
dozelite_running() { [ "$(dozelite_count)" -ge 1 ]; }
no_dozelite_running() { [ "$(dozelite_count)" -eq 0 ]; }
one_dozelite_running() { [ "$(dozelite_count)" -eq 1 ]; }

# wait_until <seconds> <command...>
wait_until() {
  local seconds="$1"
  shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

log_file() {
  local temp
  temp="$(ls -d "$prefix"/drive_c/users/*/Temp 2>/dev/null | grep -v '/Public/' | head -n1)"
  echo "${temp:-$prefix/drive_c/windows/temp}/Dozelite.log"
}
log_has() { grep -qF -- "$1" "$(log_file)" 2>/dev/null; }
log_lines() { wc -l <"$(log_file)" 2>/dev/null || echo 0; }
# log_has_since <line count> <text>: the text appears after the first <count> lines.
log_has_since() { tail -n +"$(($1 + 1))" "$(log_file)" 2>/dev/null | grep -qF -- "$2"; }

shot() {
  local file="$shots/e2e-$1.png"
  import -window root "$file" 2>/dev/null || xwd -root -silent | convert xwd:- "$file"
  note "screenshot: ${file#"$build"/}"
}

# The notification area sits at the right end of the virtual desktop's taskbar.
tray_area() { import -window root -crop 240x30+1040+770 +repage "$1" 2>/dev/null; }
images_differ() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" != 0 ]; }
images_equal() { ! images_differ "$1" "$2"; }
# The bare X screen is black (or a black and white pattern); the desktop paints one
# other colour over it, the notification area's corner included.
desktop_drawn() {
  local area seen
  for area in 64x64+608+368 240x30+1040+770; do
    seen="$(import -window root -crop "$area" +repage -format '%k %[hex:p{0,0}]' info: 2>/dev/null)"
    [ "${seen%% *}" = 1 ] && [ "${seen#* }" != 000000 ] && [ "${seen#* }" != FFFFFF ] || return 1
  done
}

# Right after another copy has ended, the shell's start of the shortcut is now and then
# lost on a busy machine: say so and start once more.
start_dozelite_from_shortcut() {
  wine start "$shortcut_win" </dev/null >/dev/null 2>&1
  ctl wait 20000 && return 0
  echo "      no main window 20 s after starting the shortcut; starting it once more"
  wine start "$shortcut_win" </dev/null >/dev/null 2>&1
  ctl wait 20000
}

# The uninstaller copies itself to the temporary folder and returns at once: wait
# until the copy has finished, seen by its key, its folder and its process.
wait_for_uninstaller() {
  wait_until 60 uninstaller_done
}
uninstaller_done() { uninstaller_done_for "$uninstall_key" "$install_dir"; }
# uninstaller_done_for <uninstall key> <install folder>
uninstaller_done_for() {
  ! reg_key_exists "$1" && [ ! -e "$2/uninstall.exe" ] && no_prefix_process "$uninstaller_copy"
}
# The uninstaller's copy of itself: ...\Temp\~nsuN.tmp\Un.exe
uninstaller_copy='nsu[^ ]*\.tmp.Un[^ ]*\.exe'

kill_prefix_processes() {
  local pid
  for pid in $(prefix_pids "$1"); do kill "$pid" 2>/dev/null; done
  wait_until 10 no_prefix_process "$1" || true
}

# ---------------------------------------------------------------- steps

step_setup_built() {
  check "the setup program exists" test -s "$setup"
  check "it is a 64-bit Windows program" sh -c "file -b '$setup' | grep -q 'PE32+.*x86-64'"
}

step_fresh_prefix() {
  wineserver -k 2>/dev/null
  rm -rf "$work"
  mkdir -p "$work" "$shots"
  rm -f "$shots"/e2e-*.png
  check "the Windows build's prefix exists" test -f "$build/windows/wineprefix/system.reg" || return
  cp -a "$build/windows/wineprefix" "$prefix"
  # The unit tests share that prefix: start the user with an empty temporary folder and
  # no Dozelite settings, as on a machine that never ran it.
  rm -rf "$prefix"/drive_c/users/*/Temp/* "$prefix"/drive_c/windows/temp/*
  # A virtual desktop gives windows their captions and a taskbar with the tray. Written
  # into the registry file before any program runs, so the first desktop is already it.
  printf '\n[Software\\\\Wine\\\\Explorer] %s\n"Desktop"="Default"\n' "$(date +%s)" >>"$prefix/user.reg"
  printf '\n[Software\\\\Wine\\\\Explorer\\\\Desktops] %s\n"Default"="1280x800"\n' "$(date +%s)" >>"$prefix/user.reg"
  # No menu builder: it would copy the Start menu entry into this machine's own desktop
  # menus, outside the prefix.
  printf '\n[Software\\\\Wine\\\\DllOverrides] %s\n"winemenubuilder.exe"=""\n' "$(date +%s)" >>"$prefix/user.reg"
  # The emulator says Windows 7 unless told otherwise; setup needs Windows 10 version 1903.
  printf '\n[Software\\\\Wine] %s\n"Version"="win10"\n' "$(date +%s)" >>"$prefix/user.reg"
  wineserver -p
  # The desktop lives as long as a program has a window: a hidden one holds it open from
  # the start, so the notification area can be compared before, during and after Dozelite.
  wine "$ctl_exe" hold 3600000 </dev/null >/dev/null 2>&1 &
  wine cmd /c exit </dev/null >/dev/null 2>&1
  wine reg delete "$settings_key" /f </dev/null >/dev/null 2>&1
  check "the virtual desktop is drawn" wait_until 20 desktop_drawn
  sleep 1
  check "and stays" desktop_drawn
  check "no Dozelite in the new prefix" test ! -e "$install_dir"
  check "no uninstall key in the new prefix" sh -c "! wine reg query '$uninstall_key'"
  mkdir -p "$(dirname "$record")"
  "$root/tools/wine/install_demo.sh" "$prefix" "$build/windows"
  note "sample savers: $(ls "$build"/windows/savers/*.scr 2>/dev/null | wc -l)"
  tray_area "$work/tray-before.png"
}

# The wizard a person meets, page by page as far as the components; then it is ended
# without installing anything.
step_setup_wizard() {
  wine "$setup" </dev/null >/dev/null 2>&1 &
  # It first offers the program's languages, the system's preselected (English here).
  check "setup asks for its language" ctl find "Installer Language" 20000
  shot setup-language
  xdotool key Return 2>/dev/null
  check "the setup wizard opens" ctl find "Dozelite $version Setup" 20000 || return
  sleep 1
  shot setup-welcome
  xdotool key Return 2>/dev/null
  sleep 1
  shot setup-install-mode
  xdotool key alt+j 2>/dev/null # "Just for me": the folder page that follows offers the user's own folder
  sleep 0.5
  xdotool key Return 2>/dev/null
  sleep 1
  shot setup-components
  xdotool key Return 2>/dev/null
  sleep 1
  shot setup-folder-just-for-me
  kill_prefix_processes "Dozelite-$version-setup\.exe"
  set_user_paths
  check "leaving the wizard installs nothing" test ! -e "$install_dir" -a ! -e "$user_dir"
}

# Setup refuses a Windows older than 10 version 1903, which would not give the program the
# UTF-8 code page it asks for: silently, with ERROR_OLD_WIN_VERSION, installing nothing.
step_old_windows_refused() {
  wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win81 /f </dev/null >/dev/null 2>&1
  wine "$setup" /S </dev/null >/dev/null 2>&1
  local code=$?
  wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f </dev/null >/dev/null 2>&1
  # The emulator hands the Linux side the exit code's low byte: 1150 arrives as 126.
  check "setup /S on Windows 8.1 ends with exit code 1150 (low byte $code)" test "$code" -eq $((1150 % 256))
  check "and installs nothing" test ! -e "$install_dir" -a ! -e "$user_dir"
  check "nor registers an uninstaller" sh -c "! wine reg query '$uninstall_key' </dev/null >/dev/null 2>&1"
}

step_silent_install() {
  check "setup /S ends with exit code 0" wine "$setup" /S
  # The first registry read right after the installer once came back without the value:
  # read only once no copy of the installer is left, and let the read repeat briefly.
  check "the installer has ended" wait_until 30 no_prefix_process "Dozelite-$version-setup\.exe"
  check "Dozelite.exe is installed" cmp "$build/windows/Dozelite.exe" "$install_dir/Dozelite.exe"
  check "Dozelite.chm is installed" cmp "$build/windows/Dozelite.chm" "$install_dir/Dozelite.chm"
  check "the uninstaller is installed" test -s "$install_dir/uninstall.exe"
  check "the licence and the third-party notices are installed" \
    test -s "$install_dir/LICENSE.txt" -a -s "$install_dir/THIRD-PARTY-NOTICES.txt"
  check "the Start menu shortcut exists" test -s "$shortcut"
  if ! wait_until 10 reg_value_is "$uninstall_key" UninstallString "\"$install_dir_win\\uninstall.exe\""; then
    check "UninstallString names the installed uninstaller (read: '$(reg_value "$uninstall_key" UninstallString)')" false
  fi
  check "DisplayName is Dozelite" reg_value_is "$uninstall_key" DisplayName Dozelite
  check "DisplayVersion is $version" reg_value_is "$uninstall_key" DisplayVersion "$version"
  check "Publisher is set" test -n "$(reg_value "$uninstall_key" Publisher)"
  check "DisplayIcon is the program" reg_value_is "$uninstall_key" DisplayIcon "$exe_win,0"
  local size
  size="$(reg_value "$uninstall_key" EstimatedSize)"
  check "EstimatedSize is a size in KB ($size)" test "$((size))" -gt 100
  check "the log-on Run entry is the quoted program path" reg_value_is "$run_key" Dozelite "\"$exe_win\""
  check "a fresh silent install starts nothing" no_dozelite_running
}

# The uninstaller as a person uses it: confirm, tick "Keep my Dozelite settings" (its
# access key), uninstall, close. Then a silent install puts Dozelite back.
step_uninstall_wizard_keeping_settings() {
  wine reg add "$settings_key" /v e2emarker /d wizard /f </dev/null >/dev/null 2>&1
  wine "$install_dir_win\\uninstall.exe" </dev/null >/dev/null 2>&1 &
  check "the uninstaller opens" ctl find "Dozelite $version Uninstall" 20000 || return
  sleep 1
  shot uninstaller-confirm
  xdotool key Return 2>/dev/null
  sleep 1
  xdotool key alt+k 2>/dev/null
  sleep 0.5
  shot uninstaller-keep-settings
  xdotool key Return 2>/dev/null
  check "the program is removed" wait_until 30 sh -c "[ ! -e '$install_dir' ] && ! wine reg query '$uninstall_key'"
  sleep 1
  xdotool key Return 2>/dev/null # Close
  check "the uninstaller ends" wait_until 20 no_prefix_process "$uninstaller_copy"
  kill_prefix_processes "$uninstaller_copy"
  check "the ticked box kept the settings" reg_value_is "$settings_key" e2emarker wizard
  wine reg delete "$settings_key" /f </dev/null >/dev/null 2>&1
  check "a silent install puts Dozelite back" wine "$setup" /S
}

step_first_start() {
  local start=$SECONDS
  check "the main window appears after a start from the Start menu" start_dozelite_from_shortcut
  check "exactly one Dozelite runs" one_dozelite_running
  check "the log begins with the banner" wait_until 10 log_has "Dozelite Version $version"
  check "a new installation identifier is made" log_has "Generated new UUID"
  note "main window after $((SECONDS - start)) s"
}

step_splash_and_tip() {
  check "the splash screen shows" ctl find "Dozelite (splash)" 8000
  shot first-start-splash
  check "the tip of the day follows" ctl find "Dozelite Tip of the Day" 15000
  shot first-start-tip-of-the-day
  check "the tip closes" ctl dismiss "Dozelite Tip of the Day" 5000
}

step_tray_icon() {
  check "the icon is added (log)" wait_until 20 log_has "icon sizes:"
  check "the shell took the icon at once" sh -c "! grep -q 'Tray icon not ready yet' '$(log_file)'"
  ctl dismiss "Dozelite Tip of the Day" 3000 # in case the splash step did not get to it
  sleep 2                                    # the icon animation
  tray_area "$work/tray-running.png"
  check "the icon is drawn in the notification area" images_differ "$work/tray-before.png" "$work/tray-running.png"
  shot tray-icon
}

step_second_start_hands_off() {
  local lines
  lines="$(log_lines)"
  check "a second start ends with exit code 0" timeout 60 wine "$exe_win"
  check "it wrote its own banner" log_has_since "$lines" "Dozelite Version $version"
  check "the first instance keeps running alone" one_dozelite_running
  check "its main window is still there" ctl wait 1000
}

step_tray_menu() {
  ctl tray 0x0204 && ctl tray 0x0205 # right button down and up: the default opens the menu
  check "the tray menu opens on a right click" ctl findclass "#32768" 5000
  shot tray-menu
  ctl post 0x001F 0 0 # WM_CANCELMODE closes it
}

step_help_file() {
  wine hh.exe "$install_dir_win\\Dozelite.chm" </dev/null >/dev/null 2>&1 &
  check "the installed help opens in a window titled from the file" ctl find "Dozelite Help" 20000
  sleep 1
  shot help-file
  check "the help window closes" ctl dismiss "Dozelite Help" 5000
}

step_help_command() {
  ctl command 40055
  check "Help... opens the help" ctl find "Dozelite Help" 20000
  shot help-command
  check "the help window closes" ctl dismiss "Dozelite Help" 5000
  timeout 60 wine "$exe_win" help </dev/null >/dev/null 2>&1
  check "a second start with \"help\" opens it in the running instance" ctl find "Dozelite Help" 20000
  ctl dismiss "Dozelite Help" 5000
}

first_saver_index=0
step_choose_and_launch_saver() {
  check "sample savers are installed" sh -c "ls '$prefix'/drive_c/windows/system32/*.scr" || return
  ctl command $((41000 + first_saver_index))
  check "choosing saver 0 sets the system's saver" \
    wait_until 5 sh -c "wine reg query '$desktop_key' /v SCRNSAVE.EXE | grep -qi '\\.scr'"
  rm -f "$record"
  ctl command $((44000 + first_saver_index))
  check "launching saver 0 starts it with /S" wait_until 10 grep -qi ' /s' "$record"
  rm -f "$record"
  ctl command $((45000 + first_saver_index))
  check "configuring saver 0 starts it with /C" wait_until 10 grep -qi ' /c' "$record"
  shot saver-chosen
}

# value_changes <key> <name> <old value>: waits up to 5 s for the value to differ.
value_changes() { wait_until 5 value_differs "$@"; }
value_differs() { [ "$(reg_value "$1" "$2")" != "$3" ]; }

step_toggles() {
  local before after
  before="$(reg_value "$desktop_key" ScreenSaveActive)"
  ctl command 40008
  check "Enable/Disable Screen Saver changes ScreenSaveActive" value_changes "$desktop_key" ScreenSaveActive "$before"
  after="$(reg_value "$desktop_key" ScreenSaveActive)"
  ctl command 40008
  check "and changes it back" value_changes "$desktop_key" ScreenSaveActive "$after"
  before="$(reg_value "$desktop_key" ScreenSaverIsSecure)"
  ctl command 40013
  check "Enable/Disable Saver Password changes ScreenSaverIsSecure" \
    value_changes "$desktop_key" ScreenSaverIsSecure "$before"
  after="$(reg_value "$desktop_key" ScreenSaverIsSecure)"
  ctl command 40013
  check "and changes it back" value_changes "$desktop_key" ScreenSaverIsSecure "$after"
}

step_timeout() {
  ctl command 42005
  check "5 Minutes sets ScreenSaveTimeOut to 300" wait_until 5 reg_value_is "$desktop_key" ScreenSaveTimeOut 300
  ctl command 42000
  check "0 minutes changes nothing" reg_value_is "$desktop_key" ScreenSaveTimeOut 300
  timeout 60 wine "$exe_win" kill timeout=600 </dev/null >/dev/null 2>&1
  check "a second start with timeout=600 sets ten minutes" reg_value_is "$desktop_key" ScreenSaveTimeOut 600
  check "and leaves the first instance running alone" one_dozelite_running
}

step_disable_five_minutes() {
  ctl command 43005
  check "Disable Saver During Next 5 Minutes switches the saver off" \
    wait_until 5 reg_value_is "$desktop_key" ScreenSaveActive 0
  xdotool mousemove 1268 789 2>/dev/null # rest on the icon: the tooltip counts down
  sleep 2
  shot disable-5-minutes-tooltip
  xdotool mousemove 640 400 2>/dev/null
  ctl command 43000
  check "Abort Current Timeout switches it on again" wait_until 5 reg_value_is "$desktop_key" ScreenSaveActive 1
}

step_random_saver() {
  rm -f "$record"
  ctl command 40010
  check "Launch Random Saver starts a saver with /S" wait_until 10 grep -qi ' /s' "$record"
  ctl command 40009
  check "Choose Random Saver sets a saver" \
    wait_until 5 sh -c "wine reg query '$desktop_key' /v SCRNSAVE.EXE | grep -qi '\\.scr'"
  ctl command 40021
  check "When Dozelite Activates a Saver is saved" wait_until 5 reg_value_is "$settings_key" randomonclick 0x1
  ctl command 40021
}

step_corner_action() {
  ctl command 40038
  check "Enable Corner Actions is saved" wait_until 5 reg_value_is "$settings_key" corneraction 0x1
  local lines
  lines="$(log_lines)"
  xdotool mousemove 0 0 2>/dev/null # the top-left corner starts the saver by default
  check "the top-left corner runs the saver" wait_until 5 log_has_since "$lines" "LaunchScreenSaver"
  xdotool mousemove 640 400 2>/dev/null
  ctl command 40038
}

# Ctrl+Shift+F12 as keyboard input of Wine's desktop (SendInput from a program on it), so
# the press does not depend on which X window holds the focus.
press_hot_key() {
  ctl keys 123 6
}

step_hot_key() {
  # Ctrl+Shift+F12 (VK_F12 123, MOD_CONTROL | MOD_SHIFT) as the activation hot key; hot
  # keys are registered at start-up. (Xvfb's Alt does not reach Wine as MOD_ALT.)
  # Closed first: a command still queued in the running copy saves all settings and
  # would write its own (empty) hot key over the one set here.
  ctl close 10000
  wine reg add "$settings_key" /v hotkey /t REG_DWORD /d 123 /f </dev/null >/dev/null 2>&1
  wine reg add "$settings_key" /v hotkeymodifiers /t REG_DWORD /d 6 /f </dev/null >/dev/null 2>&1
  check "Dozelite starts again" start_dozelite_from_shortcut
  # The tip of the day comes after the splash, once the hot keys are registered.
  check "its tip of the day shows" ctl find "Dozelite Tip of the Day" 20000
  ctl dismiss "Dozelite Tip of the Day" 5000
  local lines
  lines="$(log_lines)"
  press_hot_key
  if ! wait_until 5 log_has_since "$lines" "Hot key pressed"; then
    echo "      the first key press was not seen; pressing again"
    press_hot_key
  fi
  check "the hot key runs the saver" wait_until 5 log_has_since "$lines" "Hot key pressed"
  check "the hot key is told in a balloon" wait_until 5 log_has_since "$lines" "Notification: Screen saver started"
  ctl command 40056
  check "Saver Activation HotKey... opens its dialog" ctl find "Dozelite Hotkey Setting" 5000
  shot hot-key-dialog
  ctl dismiss "Dozelite Hotkey Setting" 5000
}

step_search_paths() {
  ctl command 40037
  check "Edit Saver Paths... opens its dialog" ctl find "Screen Saver Search Paths" 5000
  shot search-paths
  check "the dialog closes" ctl dismiss "Screen Saver Search Paths" 5000
  check "the search paths are saved" reg_value_exists "$settings_key" saverpath0
}

step_update_check() {
  ctl command 40061
  check "Check for Updates reports its result" ctl find "Dozelite Update" 30000
  shot update-check
  ctl dismiss "Dozelite Update" 5000
}

step_uninstall_command() {
  ctl command 40035
  check "Uninstall starts the registered uninstaller" ctl find "Dozelite $version Uninstall" 20000
  check "and Dozelite ends" wait_until 10 no_dozelite_running
  shot uninstall-command
  kill_prefix_processes "$uninstaller_copy"
  check "the installation is still there" test -s "$install_dir/Dozelite.exe"
}

step_exit() {
  dozelite_running || start_dozelite_from_shortcut
  check "Exit closes the main window" sh -c "wine '$ctl_exe' command 40005 && wine '$ctl_exe' gone Dozelite 10000"
  check "the process ends" wait_until 10 no_dozelite_running
  check "the log is closed" log_has "Closing log file."
  sleep 1
  tray_area "$work/tray-after.png"
  check "the icon leaves the notification area" images_equal "$work/tray-before.png" "$work/tray-after.png"
  shot after-exit
}

# po_text <language> <English text>: what the program shows for that text in that language.
po_text() {
  python3 - "$root/tools/po" "$root/po/$1.po" "$2" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
import po_file
for entry in po_file.read(sys.argv[2]):
    if entry.msgid == sys.argv[3] and entry.translated:
        print(entry.msgstr[0])
PY
}

# dialog_shows <text>: the open dialog of the running copy shows this text (title or control).
dialog_shows() { wine "$ctl_exe" texts 5000 </dev/null 2>/dev/null | tr -d '\r' | grep -qxF -- "$1"; }

# Dozelite in the user's language: German from the Windows display language (Wine takes
# it from the C library's locale when the server starts), then Japanese and English again
# chosen with the language option while it runs; the timeout dialog shows each.
step_languages() {
  dozelite_running && ctl close 10000
  wineserver -k 2>/dev/null
  local lines
  lines="$(log_lines)"
  # No splash and no tip: the only dialog is the one each check opens.
  wine reg add "$settings_key" /v nosplash /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
  wine reg add "$settings_key" /v notips /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
  LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 wine start "$shortcut_win" </dev/null >/dev/null 2>&1
  check "Dozelite starts under German Windows" ctl wait 20000
  check "the log says the language came from Windows" wait_until 10 log_has_since "$lines" "Language: de-DE (from Windows)"
  ctl command 40039
  check "the timeout dialog's Cancel is German" dialog_shows "$(po_text de Cancel)"
  check "its field label is German" dialog_shows "$(po_text de '&minutes')"
  shot language-de-timeout
  check "the dialog closes with Cancel" ctl canceldialog 5000
  for language in ja en; do
    LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 timeout 60 wine "$exe_win" kill language=$language </dev/null >/dev/null 2>&1
    check "language=$language is saved" test "$(reg_value "$settings_key" language)" = "$language"
    ctl command 40039
    local cancel=Cancel
    [ "$language" = en ] || cancel="$(po_text "$language" Cancel)"
    check "the timeout dialog's Cancel follows language=$language" dialog_shows "$cancel"
    shot "language-$language-timeout"
    check "the dialog closes with Cancel" ctl canceldialog 5000
  done
  check "the log names the chosen language" log_has_since "$lines" "Language: en (chosen)"
  ctl close 10000  # it saves its settings as it ends: the test's values go after
  for value in language nosplash notips; do
    wine reg delete "$settings_key" /v $value /f </dev/null >/dev/null 2>&1
  done
  wineserver -k 2>/dev/null
}

# The portable copy beside the installation for everyone: its "Uninstall" asks, then
# removes its settings and its own log-on entry, and never runs the installed uninstaller.
step_portable_uninstall() {
  local folder="$prefix/drive_c/portable"
  rm -rf "$folder" && mkdir -p "$folder"
  check "the portable zip unpacks" unzip -q "$build/Dozelite-$version-portable.zip" -d "$folder" || return
  wine reg add "$run_key" /v Dozelite /d '"C:\portable\Dozelite.exe"' /f </dev/null >/dev/null 2>&1
  wine reg add "$settings_key" /v e2emarker /d portable /f </dev/null >/dev/null 2>&1
  wine 'C:\portable\Dozelite.exe' </dev/null >/dev/null 2>&1 &
  check "the portable copy starts" ctl wait 20000 || return
  ctl dismiss "Dozelite Tip of the Day" 10000
  ctl command 40035
  check "Uninstall asks first" ctl find Dozelite 10000
  shot portable-uninstall-question
  ctl postto Dozelite 0x0111 6 0 # IDYES
  check "the portable copy ends" wait_until 15 no_dozelite_running
  check "no uninstaller was started" sh -c "! wine '$ctl_exe' find 'Dozelite $version Uninstall' 3000"
  check "its settings are gone" sh -c "! wine reg query '$settings_key'"
  check "its log-on entry is gone" sh -c "! wine reg query '$run_key' /v Dozelite"
  check "the installation is untouched" test -s "$install_dir/Dozelite.exe" -a -s "$install_dir/uninstall.exe"
  check "so is its uninstall entry" reg_key_exists "$uninstall_key"
  kill_prefix_processes "$uninstaller_copy"
  rm -rf "$folder"
  wine reg add "$run_key" /v Dozelite /d "\"$exe_win\"" /f </dev/null >/dev/null 2>&1
}

# A silent update, as package managers run it, ends the running copy and starts it again.
step_update_over_running_copy() {
  check "Dozelite runs before the update" start_dozelite_from_shortcut
  local lines
  lines="$(log_lines)"
  check "setup /S over a running copy ends with exit code 0" wine "$setup" /S
  check "the running copy was ended" log_has_since "$lines" "Closing log file."
  check "the program is in place" cmp "$build/windows/Dozelite.exe" "$install_dir/Dozelite.exe"
  check "Dozelite runs again, the installed copy" wait_until 20 running_from "$install_dir_win"
  check "and it is up (main window)" ctl wait 20000
  check "the log-on entry is kept" reg_value_is "$run_key" Dozelite "\"$exe_win\""
  check "the uninstall key is kept" reg_key_exists "$uninstall_key"
}

# A crash report as the program writes it beside its log.
plant_crash_dump() { echo "crash" >"$(dirname "$(log_file)")/Dozelite-20260101-120000.dmp"; }
crash_dump_exists() { test -e "$(dirname "$(log_file)")/Dozelite-20260101-120000.dmp"; }

step_uninstall_keeping_settings() {
  wine reg add "$settings_key" /v e2emarker /d kept /f </dev/null >/dev/null 2>&1
  check "Dozelite runs before the uninstall" start_dozelite_from_shortcut
  plant_crash_dump
  wine "$install_dir_win\\uninstall.exe" /S /KEEPSETTINGS </dev/null >/dev/null 2>&1
  check "the uninstaller finishes" wait_for_uninstaller
  check "the running copy was ended" no_dozelite_running
  check "the program folder is gone" test ! -e "$install_dir"
  check "the shortcut is gone" test ! -e "$shortcut"
  check "the log-on entry is gone" sh -c "! wine reg query '$run_key' /v Dozelite"
  check "the settings are kept (/KEEPSETTINGS)" reg_value_is "$settings_key" e2emarker kept
  check "the log is kept with the settings" test -f "$(log_file)"
  check "so are the crash reports" crash_dump_exists
}

step_install_without_startup() {
  check "setup /S /NOSTARTUP ends with exit code 0" wine "$setup" /S /NOSTARTUP
  check "the program is installed" test -s "$install_dir/Dozelite.exe"
  check "no log-on entry" sh -c "! wine reg query '$run_key' /v Dozelite"
}

step_uninstall_leaves_nothing() {
  check "Dozelite runs before the uninstall" start_dozelite_from_shortcut
  plant_crash_dump
  wine "$install_dir_win\\uninstall.exe" /S </dev/null >/dev/null 2>&1
  check "the uninstaller finishes" wait_for_uninstaller
  check "the running copy was ended" wait_until 10 no_dozelite_running
  check "no uninstall key" sh -c "! wine reg query '$uninstall_key'"
  check "no program folder" test ! -e "$install_dir"
  check "no Start menu shortcut" test ! -e "$shortcut"
  check "no log-on entry" sh -c "! wine reg query '$run_key' /v Dozelite"
  check "no settings key" sh -c "! wine reg query '$settings_key'"
  check "no log file" test ! -e "$(log_file)"
  check "no crash report" sh -c "! ls '$(dirname "$(log_file)")'/Dozelite-*.dmp"
  local left
  left="$(find "$prefix/drive_c" -iname '*dozelite*' 2>/dev/null)"
  check "no file named Dozelite anywhere on C: ${left:+($left)}" test -z "$left"
  shot after-uninstall
}

# "Just for me": no elevation asked, everything in the user's own profile and hive, and
# nothing of the installation for everyone touched.
step_install_just_for_me() {
  set_user_paths
  check "the setup program asks for no elevation" grep -qa 'level="asInvoker"' "$setup"
  check "/ALLUSERS with /CURRENTUSER is refused" sh -c "wine '$setup' /S /ALLUSERS /CURRENTUSER; [ \$? -eq 2 ]"
  check "and installs nothing" test ! -e "$user_dir" -a ! -e "$install_dir"
  check "setup /S /CURRENTUSER ends with exit code 0" wine "$setup" /S /CURRENTUSER
  check "Dozelite.exe is in the user's programs folder" cmp "$build/windows/Dozelite.exe" "$user_dir/Dozelite.exe"
  check "Dozelite.chm too" cmp "$build/windows/Dozelite.chm" "$user_dir/Dozelite.chm"
  check "the user's Start menu has the shortcut" test -s "$user_shortcut"
  check "the user's uninstall entry names the uninstaller" \
    reg_value_is "$user_uninstall_key" UninstallString "\"$user_dir_win\\uninstall.exe\""
  check "and the folder" reg_value_is "$user_uninstall_key" InstallLocation "$user_dir_win"
  check "DisplayVersion is $version" reg_value_is "$user_uninstall_key" DisplayVersion "$version"
  check "no uninstall entry for the machine" sh -c "! wine reg query '$uninstall_key'"
  check "nothing in the program files folder" test ! -e "$install_dir"
  check "no shortcut in everyone's Start menu" test ! -e "$shortcut"
  check "the log-on entry starts this copy" reg_value_is "$run_key" Dozelite "\"$user_dir_win\\Dozelite.exe\""
}

# The way winget upgrades a per-user installation: the copy that ran runs again after.
step_just_for_me_silent_update() {
  wine start "$user_shortcut_win" </dev/null >/dev/null 2>&1
  check "the user's shortcut starts Dozelite" ctl wait 20000 || return
  ctl dismiss "Dozelite Tip of the Day" 10000
  check "setup /S /CURRENTUSER over it ends with exit code 0" wine "$setup" /S /CURRENTUSER
  check "a running copy is left, the user's" wait_until 20 running_from "$user_dir_win"
  check "with its main window" ctl wait 20000
  check "nothing went into the program files folder" test ! -e "$install_dir"
  # The next step starts it afresh: a second start racing the restarted copy could take
  # the command meant for the copy that stays.
  ctl close 10000
  wait_until 10 no_dozelite_running
}

# The program's own "Uninstall" finds the uninstaller of the copy that runs.
step_just_for_me_runs_and_finds_its_uninstaller() {
  wine start "$user_shortcut_win" </dev/null >/dev/null 2>&1
  check "the user's shortcut starts Dozelite" ctl wait 20000 || return
  ctl dismiss "Dozelite Tip of the Day" 10000
  ctl command 40035
  check "Uninstall starts the user's uninstaller" ctl find "Dozelite $version Uninstall" 20000
  check "and Dozelite ends" wait_until 10 no_dozelite_running
  kill_prefix_processes "$uninstaller_copy"
  check "the installation is still there" test -s "$user_dir/Dozelite.exe"
}

# Both modes side by side: each uninstaller removes its own installation only.
step_both_modes_side_by_side() {
  check "setup /S /ALLUSERS ends with exit code 0" wine "$setup" /S /ALLUSERS
  check "the program files copy is installed" cmp "$build/windows/Dozelite.exe" "$install_dir/Dozelite.exe"
  check "with the machine's uninstall entry" \
    reg_value_is "$uninstall_key" UninstallString "\"$install_dir_win\\uninstall.exe\""
  check "the user's copy is still there" test -s "$user_dir/Dozelite.exe"
  wine "$user_dir_win\\uninstall.exe" /S /KEEPSETTINGS </dev/null >/dev/null 2>&1
  check "the user's uninstaller finishes" wait_until 60 uninstaller_done_for "$user_uninstall_key" "$user_dir"
  check "the user's folder is gone" test ! -e "$user_dir"
  check "the user's shortcut is gone" test ! -e "$user_shortcut"
  check "the installation for everyone is untouched" test -s "$install_dir/Dozelite.exe" -a -s "$install_dir/uninstall.exe"
  check "its uninstall entry too" reg_key_exists "$uninstall_key"
  check "its shortcut too" test -s "$shortcut"
  check "its log-on entry too" reg_value_is "$run_key" Dozelite "\"$exe_win\""
  wine "$install_dir_win\\uninstall.exe" /S </dev/null >/dev/null 2>&1
  check "the uninstaller for everyone finishes" wait_for_uninstaller
  check "no uninstall entry of either kind" sh -c "! wine reg query '$uninstall_key' && ! wine reg query '$user_uninstall_key'"
  check "no log-on entry" sh -c "! wine reg query '$run_key' /v Dozelite"
  local left
  left="$(find "$prefix/drive_c" -iname '*dozelite*' 2>/dev/null)"
  check "no file named Dozelite anywhere on C: ${left:+($left)}" test -z "$left"
}

# ---------------------------------------------------------------- the MSI

msi="$build/Dozelite-$version-x64.msi"
old_msi="$work/Dozelite-older-x64.msi"
older_version=2.9
# The program's own copy of the shipped files, as the release put them into the MSI.
msi_files="$build/package"
# msi_property <msi> <name>
msi_property() { msiinfo export "$1" Property 2>/dev/null | tr -d '\r' | sed -n "s/^$2\t//p"; }
# msi_exit <arguments...>: msiexec's exit code, printed.
msi_exit() { wine msiexec "$@" </dev/null >/dev/null 2>&1; echo $?; }
msi_start_menu_shortcut() {
  # Windows Installer puts it into everyone's Start menu (ALLUSERS=1); Wine's takes the
  # user's Start menu for ProgramMenuFolder whatever ALLUSERS says: either place counts.
  [ -s "$shortcut" ] || [ -s "$user_shortcut" ]
}
msiexec_removal_runs() { ! no_prefix_process '[Mm]siexec.exe.* /x'; }
no_msi_shortcut() { [ ! -e "$shortcut" ] && [ ! -e "$user_shortcut" ]; }

# An older build of the same package (same files, version 2.9), then this one over it.
step_msi_install_older() {
  set_user_paths
  check "the MSI is built" test -s "$msi" || return
  check "an older MSI can be built" \
    "$root/tools/package/build_msi.sh" "$older_version" "$msi_files" "$old_msi" https://www.dozelite.invalid || return
  check "nothing of Dozelite is installed" test ! -e "$install_dir" -a ! -e "$user_dir"
  local code
  code="$(msi_exit /i "$old_msi" /qn)"
  check "msiexec /i (older build) /qn ends with exit code 0 (got $code)" test "$code" = 0
  check "the program is installed for everyone" cmp "$build/windows/Dozelite.exe" "$install_dir/Dozelite.exe"
  check "with its help, licence and notices" \
    test -s "$install_dir/Dozelite.chm" -a -s "$install_dir/LICENSE.txt" -a -s "$install_dir/THIRD-PARTY-NOTICES.txt"
  check "the Start menu shortcut exists" msi_start_menu_shortcut
  check "the Apps & Features entry shows version $older_version" \
    reg_value_is "$uninstall_key" DisplayVersion "$older_version"
  check "and names the install folder" reg_value_is "$uninstall_key" InstallLocation "$install_dir_win\\"
  check "and the icon" reg_value_is "$uninstall_key" DisplayIcon "$exe_win,0"
  check "and the help link" test -n "$(reg_value "$uninstall_key" HelpLink)"
  check "and the uninstall command of this package" \
    reg_value_is "$uninstall_key" UninstallString "\"C:\\windows\\system32\\msiexec.exe\" /x $(msi_property "$old_msi" ProductCode)"
}

step_msi_upgrade() {
  local code
  code="$(msi_exit /i "$msi" /qn)"
  check "msiexec /i (this build) /qn over the older one ends with exit code 0 (got $code)" test "$code" = 0
  check "the entry shows version $version" reg_value_is "$uninstall_key" DisplayVersion "$version"
  check "and this package's uninstall command" \
    reg_value_is "$uninstall_key" UninstallString "\"C:\\windows\\system32\\msiexec.exe\" /x $(msi_property "$msi" ProductCode)"
  check "the older product is gone" sh -c "! wine reg query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(msi_property "$old_msi" ProductCode)'"
  check "the program is in place" cmp "$build/windows/Dozelite.exe" "$install_dir/Dozelite.exe"
  code="$(msi_exit /i "$old_msi" /qn)"
  check "the older package over this one is refused (exit code $code)" test "$code" != 0
  check "and changes nothing" reg_value_is "$uninstall_key" DisplayVersion "$version"
}

# The program installed by the MSI finds the package's uninstaller (a quoted command with
# arguments) through its own folder. (Wine's msiexec removes at once where Windows asks.)
step_msi_program_uninstall() {
  wine start "$exe_win" </dev/null >/dev/null 2>&1
  check "the installed program starts" ctl wait 20000 || return
  ctl dismiss "Dozelite Tip of the Day" 10000
  ctl command 40035
  check "its Uninstall starts msiexec /x" wait_until 20 msiexec_removal_runs
  check "and Dozelite ends" wait_until 10 no_dozelite_running
  check "msiexec ends" wait_until 60 no_prefix_process '[Mm]siexec'
  check "the package was removed" test ! -e "$install_dir/Dozelite.exe"
  check "with its entry" sh -c "! wine reg query '$uninstall_key'"
}

# Installed again, then removed silently. What each user's Dozelite wrote for that user
# (settings, the saver list cache, the log) is that user's: a removal for the machine
# leaves it, and it is cleared here before looking for leftovers.
step_msi_remove() {
  local code
  code="$(msi_exit /i "$msi" /qn)"
  check "msiexec /i /qn installs it again (exit code $code)" test "$code" = 0
  check "the program is in place" test -s "$install_dir/Dozelite.exe"
  code="$(msi_exit /x "$msi" /qn)"
  check "msiexec /x /qn ends with exit code 0 (got $code)" test "$code" = 0
  check "no program folder" test ! -e "$install_dir"
  check "no Start menu shortcut" no_msi_shortcut
  check "no Apps & Features entry" sh -c "! wine reg query '$uninstall_key'"
  check "no Windows Installer entry" \
    sh -c "! wine reg query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(msi_property "$msi" ProductCode)'"
  wine reg delete "$settings_key" /f </dev/null >/dev/null 2>&1
  rm -rf "$(log_file)" "$prefix"/drive_c/users/*/AppData/Local/Dozelite
  local left
  left="$(find "$prefix/drive_c" -iname '*dozelite*' 2>/dev/null)"
  check "no file named Dozelite anywhere on C: ${left:+($left)}" test -z "$left"
}

# ---------------------------------------------------------------- runner

passed=0
failed=0
pending_count=0
number=0

step() {
  local function="$1" title="$2"
  number=$((number + 1))
  step_failures=0
  local start=$SECONDS
  "$function"
  local took=$((SECONDS - start))
  if [ "$step_failures" -eq 0 ]; then
    printf 'PASS %02d %s (%d s)\n' "$number" "$title" "$took"
    passed=$((passed + 1))
  else
    printf 'FAIL %02d %s (%d s)\n' "$number" "$title" "$took"
    failed=$((failed + 1))
  fi
}

# A step whose feature has not landed yet: written, listed, not run, unless
# DOZELITE_E2E_ALL=1 asks to try every step.
pending() {
  local title="$2" what="$3"
  if [ "${DOZELITE_E2E_ALL:-0}" = 1 ]; then
    step "$1" "$title [pending: $what]"
    return
  fi
  number=$((number + 1))
  printf 'SKIP %02d %s (pending: %s)\n' "$number" "$title" "$what"
  pending_count=$((pending_count + 1))
}

finish() {
  ctl close 5000
  wineserver -k 2>/dev/null
}
trap finish EXIT

started=$SECONDS
echo "Dozelite $version end-to-end suite ($prefix)"
step step_setup_built "the setup program is built"
step step_fresh_prefix "a fresh Wine prefix"
step step_setup_wizard "the setup wizard"
step step_old_windows_refused "setup refuses Windows 8.1"
step step_silent_install "silent install"
step step_uninstall_wizard_keeping_settings "the uninstall wizard, keeping the settings"
step step_first_start "first start from the Start menu"
step step_splash_and_tip "splash screen and tip of the day"
step step_tray_icon "tray icon"
step step_second_start_hands_off "a second start hands over and ends"
step step_tray_menu "tray menu on a right click"
step step_help_file "the installed help file"
step step_help_command "Help... and the \"help\" option"
step step_choose_and_launch_saver "choose, launch and configure a saver"
step step_toggles "toggle the saver and the password"
step step_timeout "set the timeout"
step step_disable_five_minutes "disable for 5 minutes"
step step_random_saver "random saver"
step step_corner_action "corner action"
step step_hot_key "hot key"
step step_search_paths "edit the search paths"
step step_update_check "check for updates"
step step_uninstall_command "Uninstall from the menu"
step step_exit "Exit"
step step_languages "the user's language: from Windows, then chosen"
step step_portable_uninstall "the portable copy's Uninstall removes only its own settings"
step step_update_over_running_copy "setup over a running copy"
step step_uninstall_keeping_settings "uninstall keeping the settings"
step step_install_without_startup "install without the log-on entry"
step step_uninstall_leaves_nothing "uninstall leaves nothing behind"
step step_install_just_for_me "install just for me"
step step_just_for_me_silent_update "a silent update just for me restarts the running copy"
step step_just_for_me_runs_and_finds_its_uninstaller "the copy just for me runs and finds its uninstaller"
step step_both_modes_side_by_side "both modes side by side, each uninstaller removes its own"

step step_msi_install_older "MSI: an older build installs silently"
step step_msi_upgrade "MSI: this build upgrades it"
step step_msi_program_uninstall "MSI: the program's Uninstall starts the package's uninstaller"
step step_msi_remove "MSI: installed again, msiexec /x /qn removes it and leaves nothing"

echo "$pending_count pending, $((SECONDS - started)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
