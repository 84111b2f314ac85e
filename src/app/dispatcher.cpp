// DispatchCommand: the one place where a command identifier is carried out, on the main
// thread. Fixed identifiers 40001-40065 go through one switch; the six ranges of 1000
// name a saver of the list or a number of minutes. While a click or corner action is
// being picked, every recordable identifier is also written down for the picker.
#include "app/dispatcher.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/language_choice.h"
#include "build_config.h"
#include "catalog/saver_catalog.h"
#include "diagnose/diagnose.h"
#include "dialogs/paths_dialog.h"
#include "dialogs/splash_dialog.h"
#include "dialogs/timeout_dialog.h"
#include "dialogs/tips_dialog.h"
#include "holdoff/holdoff_state.h"
#include "language/language_tags.h"
#include "language/text.h"
#include "log/log.h"
#include "settings/policy_store.h"
#include "settings/settings_store.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/default_user.h"
#include "system/help.h"
#include "system/saver_operations.h"
#include "system/shell_operations.h"
#include "system/system_saver_settings.h"
#include "tray/holdoff_menu.h"
#include "tray/open_menus.h"
#include "tray/saver_context_menu.h"
#include "tray/tray_icon.h"
#include "tray/tray_menu.h"
#include "triggers/corner_options.h"
#include "triggers/corner_watcher.h"
#include "triggers/hot_keys.h"
#include "triggers/mouse_actions.h"
#include "update/update_check.h"
#include "update/update_scheduler.h"

namespace {

constexpr int kTrackedUrlSize = 1024;
constexpr const char* kRunValueName = "Dozelite";
// Translators: the body of the mail "Tell a Friend" starts; %s is the program's web address.
constexpr const char* kTellAFriendBody =
    TrNoop("Hi!\n\nI Just thought you should check out this cool screen saver utility called 'Dozelite' at %s ...");

// Identifiers that only serve the picker itself or cannot sensibly be bound to a click
// or corner are never recorded.
bool IsRecordable(int command) {
  switch (command) {
    case kCmdAnimateIcon:
    case kCmdShowTrayMenu:
    case kCmdExit:
    case kCmdRefreshSavers:
    case kCmdToggleLoadAtStartup:
    case kCmdUninstall:
    case kCmdLanguageWindowsDefault:
      return false;
    default:
      if (command >= kRangeLanguage && command < kRangeLanguage + kLanguageRangeSize) return false;
      return !(command >= kCmdSetLeftClick && command <= kCmdRestoreCornerDefaults);
  }
}

void Invert(int* setting) { *setting = *setting ? 0 : 1; }

void BrowseTrackedPage(const char* address) {
  char url[kTrackedUrlSize];
  BuildTrackedUrl(url, sizeof(url), address);
  BrowseWebSite(url);
}

void ShowLogText(HWND window) {
  char* text = ReadLogFile();
  HINSTANCE module = AppState.instance ? AppState.instance : GetModuleHandleA(nullptr);
  DialogBoxParamA(module, "TEXTDIALOG", window, TextDlgProc, reinterpret_cast<LPARAM>(text ? text : ""));
  free(text);
}

void OpenLogFolder() {
  LogFileDump();
  char path[MAX_PATH] = "";
  GetLogFilePath(path);
  char command[MAX_PATH + 32] = "explorer.exe /select,";
  AppendText(command, path, sizeof(command));
  ExecuteFile(command);
}

void StartAnimation() {
  HWND main = AppState.mainWindow;
  KillTimer(main, kTimerAnimation);
  AppState.animationFrame = 0;
  SetTimer(main, kTimerAnimation, kAnimationPeriodMs, nullptr);
}

void DisableForMinutes(int minutes) {
  AppState.disableSeconds = minutes * 60;
  DisableSaverTimeout(minutes * 60);
}

// Carries out a fixed identifier; returns whether the program settings are to be saved.
bool RunFixedCommand(HWND window, int command) {
  switch (command) {
    case kCmdReloadSettings: {
      char language[kLanguageSettingSize];
      CopyText(language, GetLanguageSetting(), sizeof(language));
      LoadSettings();
      // A second start may have chosen another language.
      if (strcmp(language, GetLanguageSetting()) != 0) ApplyLanguageSetting();
      ForgetTrayMenu();  // policies may have greyed or freed items of the kept menu
      StartScheduledUpdateCheckIfStopped(window);
      WakeCornerWatcher();  // the corner switches may have changed with the rest
      // The random saver's timer runs exactly while the reloaded switch is on.
      SetRandomSaverOnActivate(AppState.randomonactivate != 0);
      ReloadHoldOff();
      UpdateTrayIcon(NIM_DELETE);
      UpdateTrayIcon(NIM_ADD);
      PostMessageA(window, WM_COMMAND, kCmdAnimateIcon, 0);
      return false;
    }
    case kCmdAnimateIcon:
      StartAnimation();
      return false;
    case kCmdShowTrayMenu:
      ShowTrayMenu(window, (GetKeyState(VK_SHIFT) & 0x8000) ? kTrayMenuShift : 0);
      return false;
    case kCmdDisplayProperties:
      LogMessage(kLogLogOnly, "OpenControlPanel desktop");
      OpenControlPanel(IsNtPlatform(), "desk.cpl,,1");
      return false;
    case kCmdExit:
      PostMessageA(window, WM_CLOSE, 0, 0);
      return false;
    case kCmdRunSaverNow:
      if (AppState.randomonclick) ChooseRandomSaver();
      LaunchScreenSaver();
      return false;
    case kCmdConfigureCurrentSaver:
      ConfigureScreenSaver(nullptr);
      return false;
    case kCmdToggleSaver:
      EnableSaver(AppState.saverActive == 0);
      return false;
    case kCmdChooseRandomSaver:
      ChooseRandomSaver();
      if (AppState.chooselaunch) LaunchScreenSaver();
      return false;
    case kCmdLaunchRandomSaver: {
      if (AppState.delay > 0) Sleep(static_cast<DWORD>(AppState.delay));
      RunSaverFile(GetRandomScreenSaver(), "/S");
      return false;
    }
    case kCmdRefreshSavers:
      if (!DeferSaverListRebuild()) RefreshSaverList();
      return false;
    case kCmdChooseNoSaver:
      LogMessage(kLogLogOnly, "Chosen saver: (None)");
      SetCurrentSaver(nullptr);
      return false;
    case kCmdTogglePassword:
      EnablePassword(AppState.passwordActive == 0);
      return false;
    case kCmdChangePassword:
      ChangePassword(nullptr);
      return false;
    case kCmdPowerOn:
      SetPowerMode(-1);
      return false;
    case kCmdPowerOff:
      SetPowerMode(2);
      return false;
    case kCmdPowerSuspend:
      SetPowerMode(1);
      return false;
    case kCmdPowerStandby:
      SetPowerMode(0);
      return false;
    case kCmdPowerOptions:
      LogMessage(kLogLogOnly, "OpenControlPanel power");
      OpenControlPanel(IsNtPlatform(), "powercfg.cpl");
      return false;
    case kCmdToggleLoadAtStartup: {
      bool on = !GetLoadAtStartup(kRunValueName);
      LogMessage(kLogLogOnly, "LoadAtStartup: %d", on ? 1 : 0);
      SetLoadAtStartup(kRunValueName, on);
      return false;
    }
    case kCmdToggleRandomOnClick:
      Invert(&AppState.randomonclick);
      return true;
    case kCmdToggleRandomOnLoad:
      Invert(&AppState.randomonload);
      return true;
    case kCmdToggleRandomOnActivate:
      Invert(&AppState.randomonactivate);
      SetRandomSaverOnActivate(AppState.randomonactivate != 0);
      return true;
    case kCmdSetLeftClick:
    case kCmdSetLeftDoubleClick:
    case kCmdSetRightClick:
    case kCmdSetRightDoubleClick:
    case kCmdRestoreClickDefaults:
    case kCmdSetTopLeftCorner:
    case kCmdSetBottomLeftCorner:
    case kCmdSetTopRightCorner:
    case kCmdSetBottomRightCorner:
    case kCmdRestoreCornerDefaults:
      SetMouseAction(command);
      return true;
    case kCmdSetWindowsDefault:
      SaveDefaultUserSettings();
      return false;
    case kCmdUninstall:
      UninstallDozelite();
      return false;
    case kCmdToggleSplash:
      Invert(&AppState.nosplash);
      return true;
    case kCmdEditSaverPaths:
      ShowPathsDialog(window);
      return false;
    case kCmdToggleCornerActions:
      AppState.corneraction = AppState.corneraction ? 0 : 1;
      // Saved before the watcher wakes, so it never acts on a switch that is not stored.
      SaveSettings();
      WakeCornerWatcher();
      return false;
    case kCmdOtherTimeout:
      SetSaverTimeout(ShowTimeOutDialog(window, AppState.saverTimeout));
      return false;
    case kCmdOtherDisablePeriod: {
      int seconds = ShowTimeOutDialog(window, AppState.disableSeconds);
      if (seconds > 0) DisableSaverTimeout(seconds);
      return false;
    }
    case kCmdDumpLogToFile:
      LogFileDump();
      return false;
    case kCmdDumpLogToDisplay:
      ShowLogText(window);
      return false;
    case kCmdOpenLogFolder:
      OpenLogFolder();
      return false;
    case kCmdDumpSavers:
      DumpSavers();
      return false;
    case kCmdClearLog:
      ClearLog();
      return false;
    case kCmdToggleAutoLog:
      SetAutoLogToFile(!GetAutoLogToFile());
      return true;
    case kCmdToggleDebugMessages:
      SetShowDebugMessages(!GetShowDebugMessages());
      return true;
    case kCmdToggleSplitList:
      Invert(&AppState.splitlist);
      return true;
    case kCmdToggleChooseLaunch:
      Invert(&AppState.chooselaunch);
      return true;
    case kCmdToggleUnifiedList:
      Invert(&AppState.unifiedlist);
      return true;
    case kCmdUnifiedChoose:
      AppState.selectionActionMessageBase = kRangeChooseSaver;
      return true;
    case kCmdUnifiedLaunch:
      AppState.selectionActionMessageBase = kRangeLaunchSaver;
      return true;
    case kCmdUnifiedConfigure:
      AppState.selectionActionMessageBase = kRangeConfigureSaver;
      return true;
    case kCmdHelp:
      ShowHelp(window, 0);
      return false;
    case kCmdActivationHotKey:
      ShowHotKeyDialog(window, &AppState.hotKeys[0]);
      return true;
    case kCmdPowerOffHotKey:
      ShowHotKeyDialog(window, &AppState.hotKeys[1]);
      return true;
    case kCmdToggleTips:
      Invert(&AppState.notips);
      return true;
    case kCmdTipOfTheDay:
      ShowTipsDialog(window, -1);
      return false;
    case kCmdBrowseWebsite:
      BrowseTrackedPage(DOZELITE_WEB_URL);
      return false;
    case kCmdCheckForUpdates:
      StartUpdateCheck(window);
      return false;
    case kCmdDonate:
      BrowseTrackedPage(DOZELITE_DONATE_URL);
      return false;
    case kCmdFeedback:
      SendMail(DOZELITE_SUPPORT_EMAIL, nullptr, nullptr);
      return false;
    case kCmdTellAFriend: {
      char body[512];
      snprintf(body, sizeof(body), Tr(kTellAFriendBody), DOZELITE_WEB_URL);
      SendMail(nullptr, nullptr, body);
      return false;
    }
    case kCmdAbout:
      ShowSplash(AppState.mainWindow, 0);
      return false;
    default:  // 40050 has no command
      return false;
  }
}

// The four saver ranges: base + index into the saver list. Indexes past the list are
// ignored without a word; a record without a path is named in the log and left alone.
void RunSaverCommand(int base, int index) {
  if (index < 0 || index >= AppState.saverCount || !AppState.savers) return;
  SaverInfo* saver = &AppState.savers[index];
  const char* name = saver->displayName ? saver->displayName : "";
  const char* path = saver->fullPath;
  switch (base) {
    case kRangeChooseSaver:
      LogMessage(kLogLogOnly, "Chosen saver: %s", name);
      if (IsEmptyText(path)) return;
      SetCurrentSaver(path);
      if (AppState.chooselaunch) LaunchScreenSaver();
      break;
    case kRangeLaunchSaver:
      LogMessage(kLogLogOnly, "Launching saver: %s", name);
      if (IsEmptyText(path)) return;
      if (AppState.delay > 0) Sleep(static_cast<DWORD>(AppState.delay));
      RunSaverFile(path, "/S");
      break;
    case kRangeConfigureSaver:
      LogMessage(kLogLogOnly, "Configuring saver: %s", name);
      if (IsEmptyText(path)) return;
      ConfigureScreenSaver(path);
      break;
    case kRangeSaverProperties:
      LogMessage(kLogLogOnly, "Properties of saver: %s", name);
      if (IsEmptyText(path)) return;
      ShowSaverProperties(saver);
      break;
    default:
      break;
  }
}

}  // namespace

void DispatchCommand(HWND window, int command) {
  if (AppState.recordedCommand != 0 && IsRecordable(command)) AppState.recordedCommand = command;
  // A hot key, a corner or a click may still ask for what the greyed item no longer offers.
  if (RefuseLockedCommand(command)) return;

  if (command >= kFirstFixedCommand && command <= kLastFixedCommand) {
    if (RunFixedCommand(window, command)) SaveSettings();
    return;
  }
  if (command == kCmdToggleNotifications) {
    Invert(&AppState.notifications);
    SaveSettings();
    return;
  }
  if (IsCornerOptionCommand(command)) {
    RunCornerOptionCommand(command);
    return;
  }
  if (RunHoldOffCommand(window, command)) return;
  if (command == kCmdDisableOneDay) {
    DisableForMinutes(kOneDayMinutes);
    return;
  }
  if (command == kCmdDiagnose) {
    ShowDiagnoseDialog(window);
    return;
  }
  if (command == kCmdLanguageWindowsDefault) {
    ChooseLanguage(-1);
    return;
  }
  if (command >= kRangeLanguage && command < kRangeLanguage + kLanguageRangeSize) {
    int count = 0;
    Languages(&count);
    if (command - kRangeLanguage < count) ChooseLanguage(command - kRangeLanguage);
    return;
  }
  const int ranges[] = {kRangeChooseSaver, kRangeLaunchSaver, kRangeConfigureSaver, kRangeSaverProperties};
  for (int base : ranges) {
    if (command >= base && command < base + kRangeSize) {
      RunSaverCommand(base, command - base);
      return;
    }
  }
  if (command >= kRangeSetTimeout && command < kRangeSetTimeout + kRangeSize) {
    SetSaverTimeout((command - kRangeSetTimeout) * 60);
    return;
  }
  if (command >= kRangeDisableMinutes && command < kRangeDisableMinutes + kRangeSize) {
    DisableForMinutes(command - kRangeDisableMinutes);
    return;
  }
}
