// The process from start to exit, in the fixed order of start-up: state, version,
// log, platform, actions, settings, identifier, catalog, system settings, the main
// window, the command line, then one of uninstall, hand-off or resident.
#include "app/startup.h"

#include <shellapi.h>

#include <cstdlib>
#include <ctime>

#include "app/command_line.h"
#include "app/dispatcher.h"
#include "app/language_choice.h"
#include "app/window_proc.h"
#include "catalog/catalog_loader.h"
#include "catalog/saver_catalog.h"
#include "crash/crash_report.h"
#include "dialogs/splash_dialog.h"
#include "dialogs/tips_dialog.h"
#include "holdoff/holdoff_state.h"
#include "language/text.h"
#include "log/log.h"
#include "settings/settings_store.h"
#include "shell/text_helpers.h"
#include "shell/version_strings.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/default_user.h"
#include "system/elevation.h"
#include "system/help.h"
#include "system/saver_operations.h"
#include "system/system_saver_settings.h"
#include "tray/tray_icon.h"
#include "tray/tray_images.h"
#include "tray/tray_menu.h"
#include "triggers/hot_keys.h"
#include "triggers/mouse_actions.h"
#include "triggers/watcher_thread.h"
#include "update/update_scheduler.h"
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

// The program asks for the UTF-8 code page in its manifest. A system older than Windows 10
// version 1903 ignores that (setup refuses such systems, a portable copy may still run
// there): every path or name outside the ANSI code page then reaches the program garbled.
void CheckCodePage() {
  UINT codePage = GetACP();
  if (codePage != CP_UTF8)
    LogMessage(kLogLogOnly,
               "The UTF-8 code page is not in effect (code page %d): paths and names outside it may be wrong",
               static_cast<int>(codePage));
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

// A process that ends gives up its window before its last steps, so that no other start
// takes it for the running copy meanwhile.
void DestroyMainWindow() {
  HWND window = AppState.mainWindow;
  AppState.mainWindow = nullptr;
  SetLogWindow(nullptr);
  if (window && IsWindow(window)) DestroyWindow(window);
}

void ShowStartupSplash() {
  HWND owner = CreateWindowExA(0, "BUTTON", kProductName, 0, 0, 0, 0, 0, nullptr, nullptr, AppState.instance, nullptr);
  ShowSplash(owner, kSplashStartupMs);
  if (owner) DestroyWindow(owner);
}

void HandOff(HWND running) {
  if (AppState.nosplash && !AppState.kill)
    // Translators: %s is the program's name.
    LogMessage(kLogInfo, TrNoop("%s is already running.\nClick the icon on the system tray (on the taskbar) for help."),
               kProductName);
  if (AppState.help) {
    PostMessageA(running, WM_COMMAND, kCmdHelp, kSourceHandOff);
    AppState.help = 0;
  }
  PostMessageA(running, WM_COMMAND, kCmdReloadSettings, kSourceHandOff);
  AppState.kill = 1;
}

// The workers keep small stacks: under the emulator the whole reserve of a thread's
// stack would stay resident.
constexpr SIZE_T kWorkerStackReserve = 256 * 1024;

void StartThread(LPTHREAD_START_ROUTINE routine) {
  HANDLE thread =
      CreateThread(nullptr, kWorkerStackReserve, routine, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread) CloseHandle(thread);
}

int RunResident() {
  LoadIcons();
  SetMenuCheckBitmaps(AppState.uncheckedBitmap, AppState.checkedBitmap);
  while (!UpdateTrayIcon(NIM_ADD)) {
    LogMessage(kLogLogOnly, "Tray icon not ready yet - will retry soon");
    Sleep(kTrayRetryMs);
  }
  OnSaverCatalogLoaded(AppState.mainWindow);  // launches the worker, or takes a list that is ready
  PostMessageA(AppState.mainWindow, WM_COMMAND, kCmdAnimateIcon, 0);
  StartThread(WatcherThread);  // the registry and the screen corners
  StartScheduledUpdateCheck(AppState.mainWindow);
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
  ForgetTrayMenu();
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
  CheckCodePage();
  SetMouseAction(kCmdRestoreClickDefaults);
  SetMouseAction(kCmdRestoreCornerDefaults);
  LoadSettings();
  // Before the first window or box: every text from here on is in the user's language.
  ApplyLanguageSetting();
  if (AppState.id[0] == 0) {
    GenerateUuid(AppState.id);
    SaveSettings();
    LogMessage(kLogLogOnly, "Generated new UUID");
  }
  LogMessage(kLogLogOnly, "UUID: %s", AppState.id);
  StartSaverCatalogLoad();
  LoadWindowsSaverSettings();

  HWND running = FindWindowA(kWindowClassName, kWindowTitle);
  CreateMainWindow();
  ParseCommandLine(commandLine);

  int exitCode = 0;
  if (AppState.uninstall) {
    // This start only hands the request on or starts the uninstaller. Its window goes
    // first: the running copy must never take it for another running copy and hand the
    // request back to a process that is about to end.
    if (running && IsWindow(running)) DestroyMainWindow();
    UninstallDozelite();
  } else {
    bool handsOff = running && IsWindow(running);
    if (!AppState.nosplash && !AppState.kill && !AppState.help) {
      // The list is built while the splash is up, unless this start only hands over.
      if (!handsOff) LaunchSaverCatalogLoad();
      ShowStartupSplash();
    }
    if (handsOff) HandOff(running);
    // A process that stays resident shows its icon first: the steps that need the saver
    // list run, in this order, once it has arrived. One that ends waits for the list.
    bool staysResident = !AppState.kill || AppState.help;
    if (AppState.randomonload) {
      if (staysResident)
        AfterSaverCatalog([] { ChooseRandomSaver(); });
      else
        ChooseRandomSaver();
    }
    if (AppState.randomonactivate) SetRandomSaverOnActivate(true);
    if (AppState.run) {
      if (staysResident)
        AfterSaverCatalog([] { LaunchScreenSaver(); });
      else
        LaunchScreenSaver();
    }
    if (AppState.help) {
      ShowHelp(GetDesktopWindow(), 1);
      AppState.kill = 0;
    }
    if (AppState.kill)
      ShowHelp(nullptr, 0);
    else
      exitCode = RunResident();
  }
  // A run that ends without having needed the list never builds it. One whose worker
  // started lets it finish (and write the cache) rather than cutting it off in the middle
  // of a file; its window goes first, so that no other start takes this ending process for
  // the running copy meanwhile.
  if (!DropSaverCatalogLoad()) {
    DestroyMainWindow();
    FinishSaverCatalogLoad(kCatalogWaitMs);
  }
  CloseLog();
  return exitCode;
}
