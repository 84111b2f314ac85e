// The "Se&ttings" and "&Help" submenus of the tray menu.
#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "settings/settings_store.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "tray/tray_menu.h"
#include "tray/tray_menu_parts.h"

namespace {

HMENU BuildClickMenu() {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdSetLeftClick, "&Left Click");
  AppendItem(menu, kCmdSetLeftDoubleClick, "L&eft Double-Click");
  AppendItem(menu, kCmdSetRightClick, "&Right Click");
  AppendItem(menu, kCmdSetRightDoubleClick, "R&ight Double-Click");
  AppendSeparator(menu);
  AppendItem(menu, kCmdRestoreClickDefaults, "Restore &Defaults");
  return menu;
}

HMENU BuildCornerMenu() {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdToggleCornerActions,
             AppState.corneraction ? "Disable &Corner Actions" : "Enable &Corner Actions");
  AppendSeparator(menu);
  AppendItem(menu, kCmdSetTopLeftCorner, "Top-&Left Corner");
  AppendItem(menu, kCmdSetBottomLeftCorner, "Bottom-L&eft Corner");
  AppendItem(menu, kCmdSetTopRightCorner, "Top-&Right Corner");
  AppendItem(menu, kCmdSetBottomRightCorner, "Bottom-R&ight Corner");
  AppendSeparator(menu);
  AppendCornerOptions(menu);
  AppendSeparator(menu);
  AppendItem(menu, kCmdRestoreCornerDefaults, "Restore &Defaults");
  return menu;
}

HMENU BuildRandomMenu() {
  HMENU menu = CreatePopupMenu();
  char text[128];
  snprintf(text, sizeof(text), "Every %d Minutes (Saver &Timeout)", static_cast<int>(AppState.saverTimeout) / 60);
  AppendSwitch(menu, kCmdToggleRandomOnActivate, text, AppState.randomonactivate != 0);
  snprintf(text, sizeof(text), "When %s &Activates a Saver", kProductName);
  AppendSwitch(menu, kCmdToggleRandomOnClick, text, AppState.randomonclick != 0);
  snprintf(text, sizeof(text), "When %s is &Loaded", kProductName);
  AppendSwitch(menu, kCmdToggleRandomOnLoad, text, AppState.randomonload != 0);
  return menu;
}

HMENU BuildSelectionActionMenu() {
  HMENU menu = CreatePopupMenu();
  int base = AppState.selectionActionMessageBase;
  AppendSwitch(menu, kCmdUnifiedChoose, "&Choose", base == kRangeChooseSaver);
  AppendSwitch(menu, kCmdUnifiedLaunch, "&Launch", base == kRangeLaunchSaver);
  AppendSwitch(menu, kCmdUnifiedConfigure, "Confi&gure", base == kRangeConfigureSaver);
  return menu;
}

HMENU BuildDebugMenu() {
  HMENU menu = CreatePopupMenu();
  char logPath[MAX_PATH] = "";
  GetLogFilePath(logPath);
  AppendItem(menu, kCmdOpenLogFolder, logPath);
  AppendSeparator(menu);
  AppendItem(menu, kCmdDumpSavers, "Dump &Savers Info");
  AppendItem(menu, kCmdDumpLogToDisplay, "Dump Log To &Display");
  AppendItem(menu, kCmdDumpLogToFile, "Dump Log To &File");
  AppendItem(menu, kCmdClearLog, "&Clear Log");
  AppendSeparator(menu);
  AppendSwitch(menu, kCmdToggleAutoLog, "&Auto Log To File", GetAutoLogToFile());
  AppendSwitch(menu, kCmdToggleDebugMessages, "Show Debug &Messages", GetShowDebugMessages());
  return menu;
}

bool ShowsDebugMenu(const MenuContext& context) {
  return GetShowDebugMessages() || (context.flags & kTrayMenuShift);
}

}  // namespace

HMENU BuildSettingsMenu(const MenuContext& context) {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdActivationHotKey, "Saver Activation &HotKey...");
  AppendItem(menu, kCmdPowerOffHotKey, "Mo&nitor Power Off HotKey...");
  AppendSubmenu(menu, BuildClickMenu(), "&Mouse Click Action");
  AppendSubmenu(menu, BuildCornerMenu(), "Screen &Corner Action");
  AppendSeparator(menu);
  AppendSubmenu(menu, BuildRandomMenu(), "Set &Random Saver");
  AppendItem(menu, kCmdSetWindowsDefault, "Set Current as Windows &Default");
  AppendItem(menu, kCmdEditSaverPaths, "Edit Saver &Paths...");
  AppendSeparator(menu);
  AppendSwitch(menu, kCmdToggleChooseLaunch, "Launch Saver &When Chosen", AppState.chooselaunch != 0);
  AppendSwitch(menu, kCmdToggleSplitList, "Split Lon&g Saver List", AppState.splitlist != 0);
  if (!IsLegacyWindows()) {
    AppendSwitch(menu, kCmdToggleUnifiedList, "Use &Unified Saver List", AppState.unifiedlist != 0);
    AppendSubmenu(menu, BuildSelectionActionMenu(), "Unified List Selection &Action", AppState.unifiedlist == 0);
  }
  AppendSeparator(menu);
  AppendSwitch(menu, kCmdToggleLoadAtStartup, "Run When W&indows Starts", KnownLoadAtStartup(kProductName));
  AppendSwitch(menu, kCmdToggleTips, "Show &Tips at Startup", AppState.notips == 0);
  AppendSwitch(menu, kCmdToggleSplash, "Hide &Splash Screen", AppState.nosplash != 0);
  AppendSwitch(menu, kCmdToggleNotifications, "Show &Notifications", AppState.notifications != 0);
  if (ShowsDebugMenu(context)) {
    AppendSeparator(menu);
    AppendSubmenu(menu, BuildDebugMenu(), "Debug");
  }
  AppendSeparator(menu);
  AppendItem(menu, kCmdUninstall, "Uninstall");
  return menu;
}

HMENU BuildHelpMenu(const MenuContext&) {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdHelp, "&Help...");
  AppendItem(menu, kCmdTipOfTheDay, "&Tip of the Day");
  AppendItem(menu, kCmdDiagnose, "&Why Isn't My Saver Starting?...");
  AppendSeparator(menu);
  AppendItem(menu, kCmdDonate, "&Donate");
  AppendSeparator(menu);
  AppendItem(menu, kCmdBrowseWebsite, "Browse &Website");
  AppendItem(menu, kCmdFeedback, "&Feedback && Support");
  AppendItem(menu, kCmdTellAFriend, "T&ell a Friend");
  AppendSeparator(menu);
  AppendItem(menu, kCmdCheckForUpdates, "Check for &Updates");
  AppendSeparator(menu);
  AppendItem(menu, kCmdAbout, "&About");
  return menu;
}

void SettingsPartKey(const MenuContext& context, char* key, int size) {
  char logPath[MAX_PATH] = "";
  bool debug = ShowsDebugMenu(context);
  if (debug) GetLogFilePath(logPath);
  snprintf(key, static_cast<size_t>(size), "%d%d%d%d %d %d%d%d %d %d%d%d%d%d%d%d%d%d %d%d%d %d %s",
           AppState.corneraction != 0, AppState.cornerscope != 0, AppState.cornersfullscreen != 0,
           IsLegacyWindows(), static_cast<int>(AppState.cornerdelay), AppState.randomonactivate != 0,
           AppState.randomonclick != 0, AppState.randomonload != 0, static_cast<int>(AppState.saverTimeout) / 60,
           AppState.selectionActionMessageBase == kRangeChooseSaver,
           AppState.selectionActionMessageBase == kRangeLaunchSaver,
           AppState.selectionActionMessageBase == kRangeConfigureSaver, AppState.chooselaunch != 0,
           AppState.splitlist != 0, AppState.unifiedlist != 0, KnownLoadAtStartup(kProductName),
           AppState.notips == 0, AppState.nosplash != 0, AppState.notifications != 0, GetAutoLogToFile(),
           GetShowDebugMessages(), debug, logPath);
}

// Nothing in it changes.
void HelpPartKey(const MenuContext&, char* key, int size) { CopyText(key, "", size); }
