// Operations that reach beyond the current user: copying the user's saver settings to
// the default user (the log-on screen), starting an elevated copy of the program for
// that when rights are missing, and starting the registered uninstaller.
#include "system/default_user.h"

#include <windows.h>

#include <cstdio>

#include "language/text.h"
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

// Paths here are read under the UTF-8 code page: 260 characters may take 780 bytes.
constexpr int kCommandSize = 800;

// Whether an uninstall entry installed the program in `ownFolder`: its InstallLocation,
// or for an entry without one, the folder of the uninstaller it names.
bool EntryInstalledHere(const char* command, const char* location, const char* ownFolder) {
  char folder[kCommandSize];
  if (location[0]) {
    CopyText(folder, location, sizeof(folder));
  } else {
    char program[kCommandSize];
    SplitProgramCommand(command, program, sizeof(program));
    GetDirectory(program, folder, sizeof(folder));
  }
  SetTrailingBackslash(folder, false, sizeof(folder));
  return ownFolder[0] != 0 && lstrcmpiA(folder, ownFolder) == 0;
}

// The uninstall command of the installation this program belongs to: an installation for
// everyone registers it for the machine, one just for the current user in that user's
// hive. False when no entry names this program's folder: a copy that was unzipped, not
// installed, has no uninstaller of its own and never starts another copy's.
bool ReadOwnUninstallString(const char* ownFolder, char* command, int size) {
  char keyPath[200];
  snprintf(keyPath, sizeof(keyPath), kUninstallKeyFormat, kProductName);
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    char candidate[kCommandSize] = "";
    char location[kCommandSize] = "";
    LONG status = QueryRegValue(key, "UninstallString", REG_SZ, candidate, sizeof(candidate) - 1);
    if (QueryRegValue(key, "InstallLocation", REG_SZ, location, sizeof(location) - 1) != ERROR_SUCCESS)
      location[0] = 0;
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || candidate[0] == 0) continue;
    if (EntryInstalledHere(candidate, location, ownFolder)) {
      CopyText(command, candidate, size);
      return true;
    }
  }
  return false;
}

// Starts the registered command: a quoted path with its arguments, or a bare path.
bool StartUninstaller(const char* command) {
  char program[kCommandSize];
  const char* arguments = SplitProgramCommand(command, program, sizeof(program));
  HINSTANCE result =
      ShellExecuteEntry(GetDesktopWindow(), nullptr, program, arguments[0] ? arguments : nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

// A copy that is not installed removes what it put on this computer itself, once the user
// has agreed: its settings and a log-on entry that starts this very copy. Another copy's
// log-on entry and any installation stay. False when the user said no.
bool RemoveUninstalledCopy(const char* ownPath) {
  char question[2400];  // a translated question and a path of up to 780 bytes
  // Translators: the first two %s are the product name, the last the program's path.
  snprintf(question, sizeof(question),
           Tr("This copy of %s is not installed, so there is no uninstaller to run.\n\n"
              "Remove its settings and its log-on entry from this computer? Its folder stays: delete it "
              "yourself once %s has ended.\n\n%s"),
           kProductName, kProductName, ownPath);
  if (MessageBoxEntry(AppState.mainWindow, question, kProductName, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
    LogMessage(kLogLogOnly, "UninstallDozelite: not installed; the settings are kept");
    return false;
  }
  char keyPath[200];
  snprintf(keyPath, sizeof(keyPath), "Software\\%s", kProductName);
  LONG removed = RegDeleteTreeA(HKEY_CURRENT_USER, keyPath);
  if (removed == ERROR_SUCCESS) RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
  if (LoadAtStartupStarts(kProductName, ownPath)) SetLoadAtStartup(kProductName, false);
  LogMessage(kLogLogOnly, "UninstallDozelite: not installed; removed the settings (%d) and the log-on entry",
             static_cast<int>(removed));
  return true;
}

}  // namespace

int SaveDefaultUserSettings() {
  LogMessage(kLogLogOnly, "SaveDefaultUserSettings()");
  HKEY defaultUser;
  if (RegOpenKeyExA(HKEY_USERS, ".DEFAULT", 0, KEY_READ, &defaultUser) != ERROR_SUCCESS) {
    LogMessage(kLogError, TrNoop("Error Saving default user settings"));
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
  LogMessage(kLogError, TrNoop("This action requires administrator privileges."));
  return 0;
}

int UninstallDozelite() {
  LogMessage(kLogLogOnly, "UninstallDozelite()");
  if (HWND running = FindRunningInstance()) {
    SetForegroundWindow(running);
    PostMessageA(running, WM_COMMAND, kCmdUninstall, 0);
    return 1;
  }

  char ownPath[kCommandSize] = "";
  char ownFolder[kCommandSize] = "";
  DWORD length = GetModuleFileNameA(nullptr, ownPath, sizeof(ownPath));
  if (length > 0 && length < sizeof(ownPath)) GetDirectory(ownPath, ownFolder, sizeof(ownFolder));
  SetTrailingBackslash(ownFolder, false, sizeof(ownFolder));

  char command[kCommandSize];
  if (!ReadOwnUninstallString(ownFolder, command, sizeof(command))) {
    if (!RemoveUninstalledCopy(ownPath)) return 1;
  } else if (!StartUninstaller(command)) {
    LogMessage(kLogDebugError,
               "Error running uninstall. Try using \"Add/Remove Programs\" from the Control Panel.");
  }
  PostMessageA(AppState.mainWindow, WM_COMMAND, kCmdExit, 0);
  return 1;
}
