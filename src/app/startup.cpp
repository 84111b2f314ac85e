// The process from start to exit, in the fixed order of start-up: state, version,
// log, platform, actions, settings, identifier, catalog, system settings, the main
// window, the command line, then one of uninstall, hand-off or resident.
#include "app/startup.h"

#include <shellapi.h>

#include <cstdlib>
#include <ctime>

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/commands.h"
#include "app/dispatcher.h"
#include "app/tray_icon.h"
#include "app/tray_menu.h"
#include "app/window_proc.h"
#include "catalog/saver_catalog.h"
#include "crash/crash_report.h"
#include "dialogs/splash_dialog.h"
#include "dialogs/tips_dialog.h"
#include "holdoff/holdoff_state.h"
#include "log/log.h"
#include "settings/settings_store.h"
#include "shell/help.h"
#include "shell/text_helpers.h"
#include "shell/version_strings.h"
#include "system/default_user.h"
#include "system/elevation.h"
#include "system/saver_operations.h"
#include "system/system_saver_settings.h"
#include "triggers/corner_watcher.h"
#include "triggers/hot_keys.h"
#include "triggers/mouse_actions.h"
#include "triggers/watchers.h"
#include "update/uuid.h"

namespace {

constexpr DWORD kTrayRetryMs = 10000;
constexpr int kSplashStartupMs = 4000;

char logPath[kPathSize];

void OpenLog(const char* commandLine) {
  char folder[kPathSize] = "";
  GetTempPathA(sizeof(folder), folder);
  CopyText(logPath, folder, sizeof(logPath));
  char name[64];
  wsprintfA(name, "%s.log", kProductName);
  JoinPath(logPath, name, sizeof(logPath));
  // The elevated copy keeps its log in memory only.
  InitLog(nullptr, kProductName, IsElevatedHandOff(commandLine) ? "" : logPath);

  char banner[512];
  wsprintfA(banner, "\r\n\r\n%s Version %s\r\n%s\r\nInitializing at ", kProductName, AppState.versionText,
            AppState.legalText);
  char now[128];
  FormatDateTime(now, sizeof(now));
  AppendText(banner, now, sizeof(banner));
  LogMessage(kLogLogOnly, banner);
}

void DetectPlatform() {
  AppState.osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  GetVersionExA(&AppState.osVersion);
  LogMessage(kLogLogOnly, "OS detected: platformID=%d, info=%s", static_cast<int>(AppState.osVersion.dwPlatformId),
             AppState.osVersion.szCSDVersion);
  LogMessage(kLogLogOnly, "OS Version: Major=%d, Minor=%d, Build=%d",
             static_cast<int>(AppState.osVersion.dwMajorVersion), static_cast<int>(AppState.osVersion.dwMinorVersion),
             static_cast<int>(AppState.osVersion.dwBuildNumber));
}

HWND CreateMainWindow() {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = TrayWindowProc;
  windowClass.hInstance = AppState.instance;
  windowClass.hIcon = LoadIconA(AppState.instance, "DOZELITE");
  windowClass.hIconSm = LoadIconA(AppState.instance, "DOZELITE");
  windowClass.lpszClassName = kWindowClassName;
  RegisterClassExA(&windowClass);
  HWND window = CreateWindowExA(0, kWindowClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                0, 0, nullptr, nullptr, AppState.instance, nullptr);
  AppState.mainWindow = window;
  ShowWindow(window, SW_HIDE);
  SetLogWindow(window);
  return window;
}

void ShowStartupSplash() {
  HWND owner = CreateWindowExA(0, "BUTTON", kProductName, 0, 0, 0, 0, 0, nullptr, nullptr, AppState.instance, nullptr);
  ShowSplash(owner, kSplashStartupMs);
  if (owner) DestroyWindow(owner);
}

void HandOff(HWND running) {
  if (AppState.nosplash && !AppState.kill)
    LogMessage(kLogInfo, "%s is already running.\nClick the icon on the system tray (on the taskbar) for help.",
               kProductName);
  if (AppState.help) {
    PostMessageA(running, WM_COMMAND, kCmdHelp, kSourceHandOff);
    AppState.help = 0;
  }
  PostMessageA(running, WM_COMMAND, kCmdReloadSettings, kSourceHandOff);
  AppState.kill = 1;
}

void StartThread(LPTHREAD_START_ROUTINE routine) {
  HANDLE thread = CreateThread(nullptr, 0, routine, nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
}

int RunResident() {
  LoadIcons();
  SetMenuCheckBitmaps(AppState.uncheckedBitmap, AppState.checkedBitmap);
  while (!UpdateTrayIcon(NIM_ADD)) {
    LogMessage(kLogLogOnly, "Tray icon not ready yet - will retry soon");
    Sleep(kTrayRetryMs);
  }
  PostMessageA(AppState.mainWindow, WM_COMMAND, kCmdAnimateIcon, 0);
  StartThread(RegistryWatcherThread);
  StartThread(CornerWatcherThread);
  StartThread(UpdateSchedulerThread);
  StartHoldOff(AppState.mainWindow);
  RegisterHotKeys(AppState.mainWindow);
  if (!AppState.notips) ShowTipsDialog(AppState.mainWindow, -1);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }

  StopHoldOff();
  UnregisterHotKeys(AppState.mainWindow);
  UpdateTrayIcon(NIM_DELETE);
  FreeIcons();
  ShowHelp(nullptr, 0);
  return static_cast<int>(message.wParam);
}

}  // namespace

int RunDozelite(HINSTANCE instance, char* commandLine) {
  InstallCrashReporter();
  ResetAppState(instance);
  srand(static_cast<unsigned>(time(nullptr)));
  GetVersionStrings(AppState.versionText, sizeof(AppState.versionText), AppState.legalText,
                    sizeof(AppState.legalText));
  OpenLog(commandLine);
  DetectPlatform();
  SetMouseAction(kCmdRestoreClickDefaults);
  SetMouseAction(kCmdRestoreCornerDefaults);
  LoadSettings();
  if (AppState.id[0] == 0) {
    GenerateUuid(AppState.id);
    SaveSettings();
    LogMessage(kLogLogOnly, "Generated new UUID");
  }
  LogMessage(kLogLogOnly, "UUID: %s", AppState.id);
  GetSaverEnumeration(&AppState.savers, &AppState.saverCount);
  LoadWindowsSaverSettings();

  HWND running = FindWindowA(kWindowClassName, kWindowTitle);
  CreateMainWindow();
  ParseCommandLine(commandLine);

  int exitCode = 0;
  if (AppState.uninstall) {
    UninstallDozelite();
  } else {
    if (!AppState.nosplash && !AppState.kill && !AppState.help) ShowStartupSplash();
    if (running && IsWindow(running)) HandOff(running);
    if (AppState.randomonload) ChooseRandomSaver();
    if (AppState.randomonactivate) SetRandomSaverOnActivate(true);
    if (AppState.run) LaunchScreenSaver();
    if (AppState.help) {
      ShowHelp(GetDesktopWindow(), 1);
      AppState.kill = 0;
    }
    if (AppState.kill)
      ShowHelp(nullptr, 0);
    else
      exitCode = RunResident();
  }
  CloseLog();
  return exitCode;
}
