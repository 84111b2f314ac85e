// What the user asks of the savers and the monitor: start a saver file, run the current
// saver now, configure, change the password, switch the saver or its password, disable
// the saver for a while, pick a random saver every timeout, and set the monitor power.
#include "system/saver_operations.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "catalog/saver_catalog.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/announce.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/shell_operations.h"
#include "system/system_saver_settings.h"

namespace {

constexpr int kCommandLineSize = 400;
constexpr int kWindowsFolderSize = 300;

// The "delay" setting comes from the registry; a negative value must not become an
// endless Sleep.
void WaitDelay() {
  int delay = AppState.delay;
  if (delay > 0) Sleep(static_cast<DWORD>(delay));
}

}  // namespace

// Starts the saver file (the current saver for a null path) with one argument text, in
// the Windows folder, and lets it run on its own. The path is quoted: unquoted, a folder
// name with a space makes the system try the shorter prefixes as programs first. A path
// that does not fit the command line starts nothing: cut, it would name another file.
// The current saver is read into the command line's size, so a stored path too long for
// it arrives cut only when it could not fit anyway. Returns 0 without a path or when the
// line does not fit; a process that cannot be created is not reported.
int RunSaverFile(const char* path, const char* arguments) {
  char folder[kWindowsFolderSize] = "";
  GetWindowsDirectoryA(folder, sizeof(folder));

  char currentPath[kCommandLineSize];
  if (!path) {
    if (!GetCurrentSaverPath(currentPath, sizeof(currentPath))) return 0;
    path = currentPath;
  }
  if (IsEmptyText(path)) return 0;

  char commandLine[kCommandLineSize] = "\"";
  bool fits = AppendText(commandLine, path, sizeof(commandLine)) && AppendText(commandLine, "\" ", sizeof(commandLine));
  if (fits && arguments) fits = AppendText(commandLine, arguments, sizeof(commandLine));
  if (!fits) {
    // A cut command line could name another program: start nothing.
    LogMessage(kLogLogOnly, "RunSaverFile: command line too long for %s", path);
    return 0;
  }

  LaunchDetached(commandLine, folder);
  return 1;
}

// Asks the system to start the current saver now. A disabled saver is enabled for the
// start and disabled again after the delay, so the user's setting stays as it was.
int LaunchScreenSaver() {
  LogMessage(kLogLogOnly, "LaunchScreenSaver");
  WaitDelay();
  SaverSettingsValues values = CurrentSaverSettings();
  bool wasInactive = values.saverActive == 0;
  if (wasInactive) {
    values.saverActive = 1;
    StoreWindowsSaverSettings(values);
  }
  DefWindowProcA(GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
  if (wasInactive) {
    WaitDelay();
    values = CurrentSaverSettings();
    values.saverActive = 0;
    StoreWindowsSaverSettings(values);
  }
  return 0;
}

int ConfigureScreenSaver(const char* path) {
  LogMessage(kLogLogOnly, "ConfigureScreenSaver");
  char arguments[100];
  HWND window = AppState.mainWindow;
  snprintf(arguments, sizeof(arguments), "/C:%d", static_cast<int>(reinterpret_cast<INT_PTR>(window)));
  return RunSaverFile(path, arguments);
}

int ChangePassword(const char* path) {
  LogMessage(kLogLogOnly, "ChangePassword");
  return RunSaverFile(path, "/A");
}

int EnableSaver(bool enable) {
  LogMessage(kLogLogOnly, "EnableSaver: Enable = %d", enable ? 1 : 0);
  if (AppState.disableSeconds != 0 && enable) DisableSaverTimeout(0);
  SaverSettingsValues values = CurrentSaverSettings();
  bool changed = (enable ? 1 : 0) != (values.saverActive != 0 ? 1 : 0);
  values.saverActive = enable ? 1 : 0;
  ApplyWindowsSaverSettings(values);
  if (changed) AnnounceChange(kChangedSaverSettings);
  return SaveWindowsSaverSettings(HKEY_CURRENT_USER, values);
}

int EnablePassword(bool enable) {
  LogMessage(kLogLogOnly, "EnablePassword: Enable = %d", enable ? 1 : 0);
  SaverSettingsValues values = CurrentSaverSettings();
  values.passwordActive = enable ? 1 : 0;
  return StoreWindowsSaverSettings(values);
}

// Starts a temporary-disable period of the given length, or ends the running one for 0
// or less. Timer 776 is stopped first, so a new request replaces the running period.
int DisableSaverTimeout(int seconds) {
  LogMessage(kLogLogOnly, "DisableSaverTimeout: %d", seconds);
  HWND window = AppState.mainWindow;
  // Above this the period in milliseconds would not fit the timer's 32 bits.
  constexpr int kLongestSeconds = 0x7FFFFFFF / 1000;
  if (seconds > kLongestSeconds) seconds = kLongestSeconds;
  AppState.disableSeconds = seconds > 0 ? seconds : 0;
  KillTimer(window, kTimerDisablePeriod);
  if (seconds > 0) {
    EnableSaver(false);
    AppState.disableStartTick = GetTickCount();
    SetTimer(window, kTimerDisablePeriod, static_cast<UINT>(seconds) * 1000u, nullptr);
  } else {
    EnableSaver(true);
  }
  return 1;
}

// Timer 345 fires once per saver timeout while random savers are wanted every period.
// A timeout of 0 (no timeout set) starts no timer: a zero period would fire constantly.
int SetRandomSaverOnActivate(bool enable) {
  LogMessage(kLogLogOnly, "SetRandomSaverOnActivate: Enable = %d", enable ? 1 : 0);
  HWND window = AppState.mainWindow;
  if (enable) {
    LoadWindowsSaverSettings();
    int timeout = AppState.saverTimeout;
    if (timeout > 0 && timeout <= 0x7FFFFFFF / 1000) {
      SetTimer(window, kTimerRandomSaver, static_cast<UINT>(timeout) * 1000u, nullptr);
    } else {
      KillTimer(window, kTimerRandomSaver);
      LogMessage(kLogLogOnly, "SetRandomSaverOnActivate: no usable saver timeout (%d)", timeout);
    }
  } else {
    KillTimer(window, kTimerRandomSaver);
  }
  return 1;
}

int SetPowerMode(int mode) {
  LogMessage(kLogLogOnly, "SetPowerMode: %d", mode);
  WaitDelay();
  if (mode == -1) return 0;
  WaitDelay();
  SendMessageA(AppState.mainWindow, WM_SYSCOMMAND, SC_MONITORPOWER, mode);
  return 1;
}

bool ChooseRandomSaver() {
  const char* path = GetRandomScreenSaver();
  return path && SetCurrentSaver(path) != 0;
}

void SetSaverTimeout(int seconds) {
  if (seconds <= 0) return;
  SaverSettingsValues values = CurrentSaverSettings();
  values.saverTimeout = seconds;
  StoreWindowsSaverSettings(values);
}
