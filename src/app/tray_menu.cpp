// The tray menu, built from the state each time command 40003 shows it: the saver lists,
// the saver, password, timeout and monitor submenus here, the settings and help submenus
// in tray_menu_settings.cpp. Building is apart from showing, so the tree can be walked.
#include "app/tray_menu.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/open_menus.h"
#include "app/tray_menu_parts.h"
#include "catalog/catalog_loader.h"
#include "catalog/saver_info.h"
#include "holdoff/holdoff_menu.h"
#include "log/log.h"
#include "settings/settings_store.h"
#include "shell/duration.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "system/system_saver_settings.h"

namespace {

struct MinuteItem {
  int minutes;
  const char* text;
};

constexpr MinuteItem kTimeoutItems[] = {{1, "1 Minute"},   {5, "5 Minutes"},   {10, "10 Minutes"}, {15, "15 Minutes"},
                                        {20, "20 Minutes"}, {30, "30 Minutes"}, {60, "1 Hour"}};

constexpr MinuteItem kDisableItems[] = {{1, "1 Minute"},    {5, "5 Minutes"},   {10, "10 Minutes"}, {15, "15 Minutes"},
                                        {20, "20 Minutes"},  {30, "30 Minutes"}, {60, "1 Hour"},     {120, "2 Hours"},
                                        {300, "5 Hours"},    {720, "12 Hours"},  {1440, "24 Hours"}};

void AppendItem(HMENU menu, int id, const char* text) { AppendMenuA(menu, MF_STRING, static_cast<UINT>(id), text); }

void Grey(HMENU menu, int id) { EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | MF_GRAYED); }

int DisableItemId(int minutes) { return minutes == kOneDayMinutes ? kCmdDisableOneDay : kRangeDisableMinutes + minutes; }

// The time left of the running disable period, never below 0 (the timer may be late).
DWORD DisableTimeLeftMs() {
  DWORD end = static_cast<DWORD>(AppState.disableSeconds) * 1000u + AppState.disableStartTick;
  LONG left = static_cast<LONG>(end - GetTickCount());
  return left > 0 ? static_cast<DWORD>(left) : 0;
}

// Marks the item of a whole number of minutes, or else writes the duration into the
// "&Other..." item and marks that one, so the current value is always visible.
void MarkDuration(HMENU menu, int seconds, int itemId, int otherId) {
  int result = -1;
  if (seconds % 60 == 0 && itemId != 0) result = CheckMenuItemWithBitmaps(menu, static_cast<UINT>(itemId), true);
  if (result != -1) return;
  char duration[64];
  FormatDuration(duration, sizeof(duration), static_cast<uint32_t>(seconds) * 1000u);
  char text[96];
  snprintf(text, sizeof(text), "&Other... (%s)", duration);
  ModifyMenuA(menu, static_cast<UINT>(otherId), MF_BYCOMMAND | MF_STRING, static_cast<UINT>(otherId), text);
  CheckMenuItemWithBitmaps(menu, static_cast<UINT>(otherId), true);
}

HMENU BuildWaitMenu() {
  HMENU menu = CreatePopupMenu();
  for (const MinuteItem& item : kTimeoutItems) AppendItem(menu, kRangeSetTimeout + item.minutes, item.text);
  AppendSeparator(menu);
  AppendItem(menu, kCmdOtherTimeout, "&Other...");
  int timeout = AppState.saverTimeout;
  if (timeout != 0) {
    int minutes = timeout / 60;
    int itemId = (timeout > 0 && minutes >= 1 && minutes < kRangeSize) ? kRangeSetTimeout + minutes : 0;
    MarkDuration(menu, timeout, itemId, kCmdOtherTimeout);
  }
  return menu;
}

HMENU BuildDisableMenu() {
  HMENU menu = CreatePopupMenu();
  int seconds = AppState.disableSeconds;
  if (seconds > 0) {
    char left[64];
    FormatDuration(left, sizeof(left), DisableTimeLeftMs());
    char text[128];
    snprintf(text, sizeof(text), "&Abort Current Timeout (%s Left)", left);
    AppendItem(menu, kRangeDisableMinutes, text);
    AppendSeparator(menu);
  }
  for (const MinuteItem& item : kDisableItems) AppendItem(menu, DisableItemId(item.minutes), item.text);
  AppendSeparator(menu);
  AppendItem(menu, kCmdOtherDisablePeriod, "&Other...");
  if (seconds > 0) {
    int minutes = seconds / 60;
    int itemId = 0;
    if (minutes == kOneDayMinutes)
      itemId = kCmdDisableOneDay;
    else if (minutes >= 1 && minutes < kRangeSize)
      itemId = kRangeDisableMinutes + minutes;
    MarkDuration(menu, seconds, itemId, kCmdOtherDisablePeriod);
  }
  return menu;
}

// Drops trailing backslashes, so "C:\Savers\" and "C:\Savers" compare equal.
void TrimBackslashes(char* path) {
  size_t length = strlen(path);
  while (length > 0 && path[length - 1] == '\\') path[--length] = 0;
}

bool IsSaverFolder(const char* folder) {
  for (int n = 0; n < kMaxSaverPaths && AppState.saverpath[n]; n++) {
    char known[kPathSize];
    CopyText(known, AppState.saverpath[n], sizeof(known));
    TrimBackslashes(known);
    if (lstrcmpiA(known, folder) == 0) return true;
  }
  return false;
}

// The current saver lies in no searched folder: add its folder to the search paths once,
// tell the user, and rebuild the list so the saver shows in it.
const SaverInfo* AdoptCurrentSaverFolder(const char* currentPath) {
  char folder[kPathSize];
  CopyText(folder, currentPath, sizeof(folder));
  // A bare file name has no folder to add (the system looks for it in its own folders).
  char* slash = strrchr(folder, '\\');
  if (slash)
    *slash = 0;
  else
    folder[0] = 0;
  TrimBackslashes(folder);
  if (folder[0] && !IsSaverFolder(folder)) {
    int n = 0;
    while (n < kMaxSaverPaths && AppState.saverpath[n]) n++;
    if (n < kMaxSaverPaths - 1) {
      AppState.saverpath[n] = DuplicateText(folder);
      AppState.saverpath[n + 1] = nullptr;
      SaveSettings();
      LogMessage(kLogInfo,
                 "The folder %s has been added to the folder list\nbecause the currently set screen saver resides "
                 "in it.",
                 folder);
    } else {
      LogMessage(kLogLogOnly, "ShowTrayMenu: the folder list is full; %s not added", folder);
    }
  }
  SendMessageA(AppState.mainWindow, WM_COMMAND, kCmdRefreshSavers, 0);
  return FindCurrentSaver();
}

// A damaged setting must not turn the unified list into, say, exit or uninstall items.
int UnifiedListBase() {
  int base = AppState.selectionActionMessageBase;
  if (base == kRangeChooseSaver || base == kRangeLaunchSaver || base == kRangeConfigureSaver) return base;
  return kRangeChooseSaver;
}

HMENU BuildScreenSaverMenu(const MenuScreen& screen, bool saverSet, const char* currentPath) {
  HMENU menu = CreatePopupMenu();
  HMENU first = CreatePopupMenu();
  // While the list loads, the current saver cannot be looked up: it is not marked, and
  // its folder is not taken for missing.
  bool loading = IsSaverCatalogLoading();
  const SaverInfo* current = saverSet ? FindSaverForPath(currentPath) : nullptr;
  if (!current && saverSet && !loading) current = AdoptCurrentSaverFolder(currentPath);
  if (current || loading) {
    AppendItem(first, kCmdChooseNoSaver, "(None)");
  } else {
    AppendItem(first, kCmdChooseNoSaver, "< (None) >");
    SetMenuDefaultItem(first, kCmdChooseNoSaver, FALSE);
  }

  bool empty = AppState.saverCount == 0 && !loading;
  if (AppState.unifiedlist) {
    ShowPopupMenu(&first, UnifiedListBase(), current, screen);
    AppendSubmenu(menu, first, "S&creen Savers");
  } else {
    ShowPopupMenu(&first, kRangeChooseSaver, current, screen);
    AppendSubmenu(menu, first, "&Choose");
    HMENU launch = nullptr;
    ShowPopupMenu(&launch, kRangeLaunchSaver, current, screen);
    AppendSubmenu(menu, launch, "&Launch", empty);
    HMENU configure = nullptr;
    ShowPopupMenu(&configure, kRangeConfigureSaver, current, screen);
    AppendSubmenu(menu, configure, "C&onfigure", empty);
  }

  AppendSeparator(menu);
  AppendItem(menu, kCmdChooseRandomSaver, "Choose &Random Saver");
  AppendItem(menu, kCmdLaunchRandomSaver, "Launch R&andom Saver");
  if (empty) {
    Grey(menu, kCmdChooseRandomSaver);
    Grey(menu, kCmdLaunchRandomSaver);
  }
  AppendSeparator(menu);
  AppendItem(menu, kCmdToggleSaver, AppState.saverActive ? "Disable Screen &Saver" : "Enable Screen &Saver");
  AppendSeparator(menu);
  AppendItem(menu, kCmdConfigureCurrentSaver, "Confi&gure Current Saver...");
  AppendSeparator(menu);
  AppendItem(menu, kCmdRefreshSavers, "Re&fresh Savers List");
  if (!saverSet) {
    Grey(menu, kCmdToggleSaver);
    Grey(menu, kCmdConfigureCurrentSaver);
  } else if (!AppState.saverActive) {
    SetMenuDefaultItem(menu, kCmdToggleSaver, FALSE);
  }
  return menu;
}

HMENU BuildPasswordMenu(bool saverSet) {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdTogglePassword,
             AppState.passwordActive ? "Disable Saver &Password" : "Enable Saver &Password");
  if (!saverSet) Grey(menu, kCmdTogglePassword);
  if (!IsNtPlatform()) {
    AppendItem(menu, kCmdChangePassword, "&Change Saver Password...");
    if (!saverSet || !AppState.passwordActive) Grey(menu, kCmdChangePassword);
  }
  return menu;
}

HMENU BuildPowerMenu() {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdPowerOff, "&Off");
  AppendItem(menu, kCmdPowerSuspend, "&Suspend");
  AppendItem(menu, kCmdPowerStandby, "Stand&by");
  AppendSeparator(menu);
  AppendItem(menu, kCmdPowerOptions,
             AppState.osVersion.dwMajorVersion < 6 ? "&Power Options Properties..." : "&Power Options...");
  return menu;
}

}  // namespace

void AppendSubmenu(HMENU parent, HMENU submenu, const char* text, bool greyed) {
  AppendMenuA(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), text);
  if (greyed) EnableMenuItem(parent, static_cast<UINT>(GetMenuItemCount(parent) - 1), MF_BYPOSITION | MF_GRAYED);
}

void AppendSeparator(HMENU menu) { AppendMenuA(menu, MF_SEPARATOR, 0, nullptr); }

HMENU BuildTrayMenu(HWND, UINT flags, const MenuScreen& screen) {
  LogMessage(kLogLogOnly, "Menu");
  // One reading of the current saver serves the whole menu. The mirrored system settings
  // are not read here: the registry watcher's readings keep them (and the icon) current.
  char currentPath[kPathSize] = "";
  bool saverSet = GetCurrentSaverPath(currentPath, sizeof(currentPath));

  HMENU top = CreatePopupMenu();
  AppendItem(top, kCmdRunSaverNow, "&Run Saver Now!");
  SetMenuDefaultItem(top, kCmdRunSaverNow, FALSE);
  if (!saverSet) Grey(top, kCmdRunSaverNow);
  AppendSeparator(top);

  AppendSubmenu(top, BuildScreenSaverMenu(screen, saverSet, currentPath), "&Screen Saver");
  AppendSubmenu(top, BuildPasswordMenu(saverSet), "&Password", !saverSet);

  HMENU timeout = CreatePopupMenu();
  AppendSubmenu(timeout, BuildWaitMenu(), "&Wait Before Activation");
  AppendSubmenu(timeout, BuildDisableMenu(), "&Disable Saver During Next");
  AppendSubmenu(top, timeout, "Time&out");
  AppendSubmenu(top, BuildHoldOffMenu(), "&Hold Off");

  if (!IsLegacyWindows()) AppendSubmenu(top, BuildPowerMenu(), "Monitor Po&wer");

  AppendSeparator(top);
  AppendItem(top, kCmdDisplayProperties,
             AppState.osVersion.dwMajorVersion < 6 ? "&Display Properties..." : "Screen Saver Settin&gs...");
  AppendSeparator(top);
  AppendSubmenu(top, BuildSettingsMenu(flags), "Se&ttings");
  AppendSubmenu(top, BuildHelpMenu(), "&Help");
  AppendSeparator(top);
  AppendItem(top, kCmdExit, "E&xit");
  return top;
}

int ShowTrayMenu(HWND window, UINT flags) {
  HMENU menu = BuildTrayMenu(window, flags, GetMenuScreen());
  int result = 0;
  // Without the foreground the menu would not close when the user clicks elsewhere.
  if (SetForegroundWindow(window)) {
    OpenMenuScope open(window);
    result = TrackPopupMenuEntry(menu, 0, AppState.clickPoint.x, AppState.clickPoint.y, window);
  }
  PostMessageA(window, WM_NULL, 0, 0);
  DestroyMenu(menu);
  return result;
}
