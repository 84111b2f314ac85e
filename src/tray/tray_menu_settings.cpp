// The "Se&ttings" and "&Help" submenus of the tray menu.
#include <cstdio>
#include <cstring>

#include "language/language_tags.h"
#include "language/text.h"
#include "language/translate.h"
#include "log/log.h"
#include "settings/policy_store.h"
#include "settings/settings_store.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "tray/tray_menu.h"
#include "tray/tray_menu_parts.h"

namespace {

HMENU BuildClickMenu() {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdSetLeftClick, Tr("&Left Click"));
  AppendItem(menu, kCmdSetLeftDoubleClick, Tr("L&eft Double-Click"));
  AppendItem(menu, kCmdSetRightClick, Tr("&Right Click"));
  AppendItem(menu, kCmdSetRightDoubleClick, Tr("R&ight Double-Click"));
  AppendSeparator(menu);
  AppendItem(menu, kCmdRestoreClickDefaults, Tr("Restore &Defaults"));
  return menu;
}

HMENU BuildCornerMenu() {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdToggleCornerActions,
             AppState.corneraction ? Tr("Disable &Corner Actions") : Tr("Enable &Corner Actions"));
  AppendSeparator(menu);
  AppendItem(menu, kCmdSetTopLeftCorner, Tr("Top-&Left Corner"));
  AppendItem(menu, kCmdSetBottomLeftCorner, Tr("Bottom-L&eft Corner"));
  AppendItem(menu, kCmdSetTopRightCorner, Tr("Top-&Right Corner"));
  AppendItem(menu, kCmdSetBottomRightCorner, Tr("Bottom-R&ight Corner"));
  AppendSeparator(menu);
  AppendCornerOptions(menu);
  AppendSeparator(menu);
  AppendItem(menu, kCmdRestoreCornerDefaults, Tr("Restore &Defaults"));
  return menu;
}

HMENU BuildRandomMenu() {
  HMENU menu = CreatePopupMenu();
  char text[256];
  int minutes = static_cast<int>(AppState.saverTimeout) / 60;
  snprintf(text, sizeof(text),
           TrN("Every %d Minute (Saver &Timeout)", "Every %d Minutes (Saver &Timeout)", static_cast<uint64_t>(minutes)),
           minutes);
  AppendSwitch(menu, kCmdToggleRandomOnActivate, text, AppState.randomonactivate != 0);
  // Translators: %s is the program's name.
  snprintf(text, sizeof(text), Tr("When %s &Activates a Saver"), kProductName);
  AppendSwitch(menu, kCmdToggleRandomOnClick, text, AppState.randomonclick != 0);
  // Translators: %s is the program's name.
  snprintf(text, sizeof(text), Tr("When %s is &Loaded"), kProductName);
  AppendSwitch(menu, kCmdToggleRandomOnLoad, text, AppState.randomonload != 0);
  return menu;
}

HMENU BuildSelectionActionMenu() {
  HMENU menu = CreatePopupMenu();
  int base = AppState.selectionActionMessageBase;
  AppendSwitch(menu, kCmdUnifiedChoose, Tr("&Choose"), base == kRangeChooseSaver);
  AppendSwitch(menu, kCmdUnifiedLaunch, Tr("&Launch"), base == kRangeLaunchSaver);
  AppendSwitch(menu, kCmdUnifiedConfigure, Tr("Confi&gure"), base == kRangeConfigureSaver);
  return menu;
}

HMENU BuildDebugMenu() {
  HMENU menu = CreatePopupMenu();
  char logPath[MAX_PATH] = "";
  GetLogFilePath(logPath);
  // The path is a name from the system: its "&"s are shown, and the item keeps its own key.
  char escaped[MAX_PATH * 2];
  EscapeAmpersands(escaped, logPath, sizeof(escaped));
  char text[MAX_PATH * 2 + 128];
  // Translators: %s is the log file's path.
  snprintf(text, sizeof(text), Tr("&Log File: %s"), escaped);
  AppendItem(menu, kCmdOpenLogFolder, text);
  AppendSeparator(menu);
  AppendItem(menu, kCmdDumpSavers, Tr("Dump &Savers Info"));
  AppendItem(menu, kCmdDumpLogToDisplay, Tr("Dump Log To &Display"));
  AppendItem(menu, kCmdDumpLogToFile, Tr("Dump Log To &File"));
  AppendItem(menu, kCmdClearLog, Tr("&Clear Log"));
  AppendSeparator(menu);
  AppendSwitch(menu, kCmdToggleAutoLog, Tr("&Auto Log To File"), GetAutoLogToFile());
  AppendSwitch(menu, kCmdToggleDebugMessages, Tr("Show Debug &Messages"), GetShowDebugMessages());
  return menu;
}

bool ShowsDebugMenu(const MenuContext& context) {
  return GetShowDebugMessages() || (context.flags & kTrayMenuShift);
}

// The pseudo-language is for finding untranslated and clipped texts: offered while Shift
// is held, and shown while it is the one in use.
bool ShowsPseudoLanguage(const MenuContext& context) {
  return (context.flags & kTrayMenuShift) || CurrentLanguage() == PseudoLanguage();
}

void AppendRadioItem(HMENU menu, int id, const char* text, bool checked) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
  info.fType = MFT_STRING | MFT_RADIOCHECK;
  info.fState = checked ? MFS_CHECKED : MFS_UNCHECKED;
  info.wID = static_cast<UINT>(id);
  info.dwTypeData = const_cast<char*>(text);
  InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

// "&Windows Default", then every language in its own name; the one in use is marked, or
// the first item while the setting follows Windows.
HMENU BuildLanguageMenu(const MenuContext& context) {
  HMENU menu = CreatePopupMenu();
  bool followsWindows = GetLanguageSetting()[0] == 0;
  AppendRadioItem(menu, kCmdLanguageWindowsDefault, Tr("&Windows Default"), followsWindows);
  AppendSeparator(menu);
  int count = 0;
  const LanguageInfo* languages = Languages(&count);
  for (int index = 0; index < count && index < kLanguageRangeSize; index++) {
    if (index == PseudoLanguage() && !ShowsPseudoLanguage(context)) continue;
    AppendRadioItem(menu, kRangeLanguage + index, languages[index].native,
                    index == CurrentLanguage());
  }
  return menu;
}

}  // namespace

HMENU BuildSettingsMenu(const MenuContext& context) {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdActivationHotKey, Tr("Saver Activation &HotKey..."));
  AppendItem(menu, kCmdPowerOffHotKey, Tr("Mo&nitor Power Off HotKey..."));
  AppendSubmenu(menu, BuildClickMenu(), Tr("&Mouse Click Action"));
  AppendSubmenu(menu, BuildCornerMenu(), Tr("Screen &Corner Action"));
  AppendSeparator(menu);
  AppendSubmenu(menu, BuildRandomMenu(), Tr("Set &Random Saver"));
  AppendItem(menu, kCmdSetWindowsDefault, Tr("Set Current as Windows &Default"));
  AppendItem(menu, kCmdEditSaverPaths, Tr("Edit Saver &Paths..."));
  AppendSeparator(menu);
  AppendSwitch(menu, kCmdToggleChooseLaunch, Tr("Launch Saver &When Chosen"), AppState.chooselaunch != 0);
  AppendSwitch(menu, kCmdToggleSplitList, Tr("Split Lon&g Saver List"), AppState.splitlist != 0);
  if (!IsLegacyWindows()) {
    AppendSwitch(menu, kCmdToggleUnifiedList, Tr("Use &Unified Saver List"), AppState.unifiedlist != 0);
    AppendSubmenu(menu, BuildSelectionActionMenu(), Tr("Unified List Selection &Action"), AppState.unifiedlist == 0);
  }
  AppendSeparator(menu);
  AppendSwitch(menu, kCmdToggleLoadAtStartup, Tr("Run When W&indows Starts"), KnownLoadAtStartup(kProductName));
  AppendSwitch(menu, kCmdToggleTips, Tr("Show &Tips at Startup"), AppState.notips == 0);
  AppendSwitch(menu, kCmdToggleSplash, Tr("Hide &Splash Screen"), AppState.nosplash != 0);
  AppendSwitch(menu, kCmdToggleNotifications, Tr("Show N&otifications"), AppState.notifications != 0);
  // Translators: shares its level with the other Settings items; keep its access key apart from theirs.
  AppendSubmenu(menu, BuildLanguageMenu(context), Tr("Languag&e"));
  if (ShowsDebugMenu(context)) {
    AppendSeparator(menu);
    AppendSubmenu(menu, BuildDebugMenu(), Tr("De&bug"));
  }
  AppendSeparator(menu);
  AppendItem(menu, kCmdUninstall, Tr("Uninsta&ll"));
  return menu;
}

HMENU BuildHelpMenu(const MenuContext&) {
  HMENU menu = CreatePopupMenu();
  // Translators: the help is in English only: say so in the item, e.g. "&Hilfe (Englisch)...".
  AppendItem(menu, kCmdHelp, Tr("&Help..."));
  AppendItem(menu, kCmdTipOfTheDay, Tr("&Tip of the Day"));
  AppendItem(menu, kCmdDiagnose, Tr("&Why Isn't My Saver Starting?..."));
  AppendSeparator(menu);
  AppendItem(menu, kCmdDonate, Tr("&Donate"));
  AppendSeparator(menu);
  AppendItem(menu, kCmdBrowseWebsite, Tr("&Browse Website"));
  AppendItem(menu, kCmdFeedback, Tr("&Feedback && Support"));
  AppendItem(menu, kCmdTellAFriend, Tr("T&ell a Friend"));
  AppendSeparator(menu);
  if (UpdateCheckAllowed()) AppendItem(menu, kCmdCheckForUpdates, Tr("Check for &Updates"));
  AppendSeparator(menu);
  AppendItem(menu, kCmdAbout, Tr("&About"));
  return menu;
}

void SettingsPartKey(const MenuContext& context, char* key, int size) {
  char logPath[MAX_PATH] = "";
  bool debug = ShowsDebugMenu(context);
  if (debug) GetLogFilePath(logPath);
  // The Language submenu's part first: the language in use, whether the setting follows
  // Windows, and whether the pseudo-language is offered.
  snprintf(key, static_cast<size_t>(size),
           "%d %d %d %d%d%d%d %d %d%d%d %d %d%d%d%d%d%d%d%d%d %d%d%d %d %s", CurrentLanguage(),
           GetLanguageSetting()[0] == 0, ShowsPseudoLanguage(context), AppState.corneraction != 0,
           AppState.cornerscope != 0, AppState.cornersfullscreen != 0, IsLegacyWindows(),
           static_cast<int>(AppState.cornerdelay), AppState.randomonactivate != 0, AppState.randomonclick != 0,
           AppState.randomonload != 0, static_cast<int>(AppState.saverTimeout) / 60,
           AppState.selectionActionMessageBase == kRangeChooseSaver,
           AppState.selectionActionMessageBase == kRangeLaunchSaver,
           AppState.selectionActionMessageBase == kRangeConfigureSaver, AppState.chooselaunch != 0,
           AppState.splitlist != 0, AppState.unifiedlist != 0, KnownLoadAtStartup(kProductName),
           AppState.notips == 0, AppState.nosplash != 0, AppState.notifications != 0, GetAutoLogToFile(),
           GetShowDebugMessages(), debug, logPath);
}

// Nothing in it changes.
void HelpPartKey(const MenuContext&, char* key, int size) { CopyText(key, "", size); }
