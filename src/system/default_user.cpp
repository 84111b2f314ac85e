// Operations that reach beyond the current user: copying the user's saver settings to
// the default user (the log-on screen), starting an elevated copy of the program for
// that when rights are missing, and starting the registered uninstaller.
#include "system/default_user.h"

#include <windows.h>

#include <cstdio>

#include "log/log.h"
#include "settings/settings_store.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/system_saver_settings.h"

namespace {

constexpr const char* kElevatedParameters = " /kill /setwindowsdefault";
constexpr const char* kUninstallKeyFormat = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s";

bool IsVistaOrLater() { return AppState.osVersion.dwMajorVersion >= 6; }

// Another running instance's main window, never this program's own.
HWND FindRunningInstance() {
  HWND own = AppState.mainWindow;
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, kWindowClassName, kWindowTitle)) != nullptr) {
    if (window != own && IsWindow(window)) return window;
  }
  return nullptr;
}

// One uninstall entry: its command and the folder it installed into (empty if unnamed).
bool ReadUninstallEntry(HKEY root, const char* keyPath, char* command, char* folder, DWORD size) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  command[0] = 0;
  folder[0] = 0;
  LONG status = QueryRegValue(key, "UninstallString", REG_SZ, command, size - 1);
  if (QueryRegValue(key, "InstallLocation", REG_SZ, folder, size - 1) != ERROR_SUCCESS) folder[0] = 0;
  RegCloseKey(key);
  command[size - 1] = 0;
  folder[size - 1] = 0;
  SetTrailingBackslash(folder, false, static_cast<int>(size));
  return status == ERROR_SUCCESS && command[0] != 0;
}

// The registered uninstall command, or false when there is none. An installation for
// everyone registers it for the machine, one just for the current user in that user's
// hive; when both exist, the entry whose folder holds this program names its own
// uninstaller, else the machine's entry is taken.
bool ReadUninstallString(char* command, DWORD size) {
  char keyPath[200];
  snprintf(keyPath, sizeof(keyPath), kUninstallKeyFormat, kProductName);
  char ownFolder[kPathSize];
  char ownPath[kPathSize];
  DWORD length = GetModuleFileNameA(nullptr, ownPath, sizeof(ownPath));
  ownFolder[0] = 0;
  if (length > 0 && length < sizeof(ownPath)) GetDirectory(ownPath, ownFolder, sizeof(ownFolder));
  SetTrailingBackslash(ownFolder, false, sizeof(ownFolder));

  bool found = false;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    char candidate[kPathSize];
    char folder[kPathSize];
    if (!ReadUninstallEntry(root, keyPath, candidate, folder, sizeof(candidate))) continue;
    bool own = ownFolder[0] != 0 && lstrcmpiA(folder, ownFolder) == 0;
    if (!found || own) CopyText(command, candidate, static_cast<int>(size));
    found = true;
    if (own) break;
  }
  return found;
}

}  // namespace

int SaveDefaultUserSettings() {
  LogMessage(kLogLogOnly, "SaveDefaultUserSettings()");
  HKEY defaultUser;
  if (RegOpenKeyExA(HKEY_USERS, ".DEFAULT", 0, KEY_READ, &defaultUser) != ERROR_SUCCESS) {
    LogMessage(kLogError, "Error Saving default user settings");
    return 0;
  }

  // Without write access the work moves to an elevated copy; other failures show up
  // in the writes below.
  HKEY desktop;
  LONG access = RegOpenKeyExA(defaultUser, "Control Panel\\desktop", 0, KEY_WRITE, &desktop);
  if (access == ERROR_SUCCESS) {
    RegCloseKey(desktop);
  } else if (access == ERROR_ACCESS_DENIED && IsVistaOrLater()) {
    RegCloseKey(defaultUser);
    return RunElevated(kElevatedParameters);
  }

  char saver[kPathSize];
  saver[0] = 0;
  if (!GetCurrentSaverPath(saver, sizeof(saver))) saver[0] = 0;
  int result = SetCurrentSaver(saver, defaultUser) != 0 && SaveWindowsSaverSettings(defaultUser) != 0;
  RegCloseKey(defaultUser);
  return result;
}

int RunElevated(const char* parameters) {
  if (IsVistaOrLater()) {
    LogMessage(kLogLogOnly, "Running as admin with params %s", parameters);
    char program[kPathSize];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof(program));
    if (length > 0 && length < sizeof(program)) {
      HINSTANCE started = ShellExecuteEntry(nullptr, "runas", program, parameters, nullptr, SW_SHOWNORMAL);
      if (reinterpret_cast<INT_PTR>(started) > 32) return 1;
    }
  }
  LogMessage(kLogError, "This action requires administrator privileges.");
  return 0;
}

int UninstallDozelite() {
  LogMessage(kLogLogOnly, "UninstallDozelite()");
  if (HWND running = FindRunningInstance()) {
    SetForegroundWindow(running);
    PostMessageA(running, WM_COMMAND, kCmdUninstall, 0);
    return 1;
  }

  char command[kPathSize];
  bool started = false;
  if (ReadUninstallString(command, sizeof(command))) {
    HINSTANCE result = ShellExecuteEntry(GetDesktopWindow(), nullptr, command, nullptr, nullptr, SW_SHOW);
    started = reinterpret_cast<INT_PTR>(result) > 32;
  }
  if (!started)
    LogMessage(kLogDebugError,
               "Error running uninstall. Try using \"Add/Remove Programs\" from the Control Panel.");
  PostMessageA(AppState.mainWindow, WM_COMMAND, kCmdExit, 0);
  return 1;
}
