// The parts of the tray menu built here: the saver lists, the saver, password, timeout
// and monitor submenus, each with its key; and the reading of the state they share.
// The settings and help submenus are in tray_menu_settings.cpp, the layout that puts the
// parts together (and keeps them between openings) in tray_menu_layout.cpp.
#include <cstdio>
#include <cstring>

#include "catalog/catalog_loader.h"
#include "catalog/saver_info.h"
#include "language/duration_text.h"
#include "language/text.h"
#include "log/log.h"
#include "settings/settings_store.h"
#include "shell/duration.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/system_saver_settings.h"
#include "tray/tray_menu.h"
#include "tray/tray_menu_parts.h"

namespace {

struct MinuteItem {
  int minutes;
  const char* text;
};

// Each choice has its own access key within its submenu (beside "&Other..." and
// "&Abort..."): the first digit where it is free, else a letter.
// Translators: the choices of the "Wait Before Activation" and "Disable Saver During Next"
// submenus share their level with "&Other..." and "&Abort Current Timeout (%s Left)".
constexpr MinuteItem kTimeoutItems[] = {{1, TrNoop("&1 Minute")},    {5, TrNoop("&5 Minutes")},
                                        {10, TrNoop("1&0 Minutes")}, {15, TrNoop("15 &Minutes")},
                                        {20, TrNoop("&20 Minutes")}, {30, TrNoop("&30 Minutes")},
                                        {60, TrNoop("1 &Hour")}};

constexpr MinuteItem kDisableItems[] = {{1, TrNoop("&1 Minute")},    {5, TrNoop("&5 Minutes")},
                                        {10, TrNoop("1&0 Minutes")}, {15, TrNoop("15 &Minutes")},
                                        {20, TrNoop("&20 Minutes")}, {30, TrNoop("&30 Minutes")},
                                        {60, TrNoop("1 &Hour")},     {120, TrNoop("2 Hour&s")},
                                        {300, TrNoop("5 Hou&rs")},   {720, TrNoop("12 Ho&urs")},
                                        {1440, TrNoop("2&4 Hours")}};

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
  char duration[128];
  FormatDurationText(duration, sizeof(duration), static_cast<uint32_t>(seconds) * 1000u);
  char text[256];
  // Translators: %s is a duration such as "1:30 Minutes".
  snprintf(text, sizeof(text), Tr("&Other... (%s)"), duration);
  ModifyMenuA(menu, static_cast<UINT>(otherId), MF_BYCOMMAND | MF_STRING, static_cast<UINT>(otherId), text);
  CheckMenuItemWithBitmaps(menu, static_cast<UINT>(otherId), true);
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
                 TrNoop("The folder %s has been added to the folder list\nbecause the currently set screen saver "
                        "resides in it."),
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

// The saver lists under "&Screen Saver": the unified list alone, or Choose, Launch and
// Configure. The first one starts with "(None)", marked when no listed saver is current.
int SaverListCount() { return AppState.unifiedlist ? 1 : 3; }

HMENU BuildSaverList(int which, const MenuContext& context) {
  HMENU list = nullptr;
  if (which == 0) {
    list = CreatePopupMenu();
    if (context.current || context.loading) {
      AppendItem(list, kCmdChooseNoSaver, Tr("(&None)"));
    } else {
      // Translators: the marks show that no saver is set, as "< saver name >" marks the current one.
      AppendItem(list, kCmdChooseNoSaver, Tr("< (&None) >"));
      SetMenuDefaultItem(list, kCmdChooseNoSaver, FALSE);
    }
    ShowPopupMenu(&list, AppState.unifiedlist ? UnifiedListBase() : kRangeChooseSaver, context.current,
                  context.screen);
  } else {
    ShowPopupMenu(&list, which == 1 ? kRangeLaunchSaver : kRangeConfigureSaver, context.current, context.screen);
  }
  return list;
}

const char* SaverListTitle(int which) {
  if (AppState.unifiedlist) return Tr("S&creen Savers");
  return which == 0 ? Tr("&Choose") : which == 1 ? Tr("&Launch") : Tr("C&onfigure");
}

// Launch and Configure are greyed for an empty list; Choose still offers "(None)".
bool SaverListGreyed(int which, const MenuContext& context) { return which > 0 && context.empty; }

}  // namespace

HMENU BuildWaitMenu(const MenuContext&) {
  HMENU menu = CreatePopupMenu();
  for (const MinuteItem& item : kTimeoutItems) AppendItem(menu, kRangeSetTimeout + item.minutes, Tr(item.text));
  AppendSeparator(menu);
  AppendItem(menu, kCmdOtherTimeout, Tr("&Other..."));
  int timeout = AppState.saverTimeout;
  if (timeout != 0) {
    int minutes = timeout / 60;
    int itemId = (timeout > 0 && minutes >= 1 && minutes < kRangeSize) ? kRangeSetTimeout + minutes : 0;
    MarkDuration(menu, timeout, itemId, kCmdOtherTimeout);
  }
  return menu;
}

HMENU BuildDisableMenu(const MenuContext&) {
  HMENU menu = CreatePopupMenu();
  int seconds = AppState.disableSeconds;
  if (seconds > 0) {
    char left[128];
    FormatDurationText(left, sizeof(left), DisableTimeLeftMs());
    char text[256];
    // Translators: %s is the time left, such as "4:59 Minutes".
    snprintf(text, sizeof(text), Tr("&Abort Current Timeout (%s Left)"), left);
    AppendItem(menu, kRangeDisableMinutes, text);
    AppendSeparator(menu);
  }
  for (const MinuteItem& item : kDisableItems) AppendItem(menu, DisableItemId(item.minutes), Tr(item.text));
  AppendSeparator(menu);
  AppendItem(menu, kCmdOtherDisablePeriod, Tr("&Other..."));
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

HMENU BuildScreenSaverMenu(const MenuContext& context) {
  HMENU menu = CreatePopupMenu();
  for (int which = 0; which < SaverListCount(); which++)
    AppendSubmenu(menu, BuildSaverList(which, context), SaverListTitle(which), SaverListGreyed(which, context));

  AppendSeparator(menu);
  AppendItem(menu, kCmdChooseRandomSaver, Tr("Choose &Random Saver"));
  AppendItem(menu, kCmdLaunchRandomSaver, Tr("Launch R&andom Saver"));
  if (context.empty) {
    Grey(menu, kCmdChooseRandomSaver);
    Grey(menu, kCmdLaunchRandomSaver);
  }
  AppendSeparator(menu);
  AppendItem(menu, kCmdToggleSaver, AppState.saverActive ? Tr("Disable Screen &Saver") : Tr("Enable Screen &Saver"));
  AppendSeparator(menu);
  AppendItem(menu, kCmdConfigureCurrentSaver, Tr("Confi&gure Current Saver..."));
  AppendSeparator(menu);
  AppendItem(menu, kCmdRefreshSavers, Tr("Re&fresh Savers List"));
  if (!context.saverSet) {
    Grey(menu, kCmdToggleSaver);
    Grey(menu, kCmdConfigureCurrentSaver);
  } else if (!AppState.saverActive) {
    SetMenuDefaultItem(menu, kCmdToggleSaver, FALSE);
  }
  return menu;
}

HMENU BuildPasswordMenu(const MenuContext& context) {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdTogglePassword,
             AppState.passwordActive ? Tr("Disable Saver &Password") : Tr("Enable Saver &Password"));
  if (!context.saverSet) Grey(menu, kCmdTogglePassword);
  if (!IsNtPlatform()) {
    AppendItem(menu, kCmdChangePassword, Tr("&Change Saver Password..."));
    if (!context.saverSet || !AppState.passwordActive) Grey(menu, kCmdChangePassword);
  }
  return menu;
}

HMENU BuildPowerMenu(const MenuContext&) {
  HMENU menu = CreatePopupMenu();
  AppendItem(menu, kCmdPowerOff, Tr("&Off"));
  AppendItem(menu, kCmdPowerSuspend, Tr("&Suspend"));
  AppendItem(menu, kCmdPowerStandby, Tr("Stand&by"));
  AppendSeparator(menu);
  AppendItem(menu, kCmdPowerOptions,
             AppState.osVersion.dwMajorVersion < 6 ? Tr("&Power Options Properties...") : Tr("&Power Options..."));
  return menu;
}

void AppendSubmenu(HMENU parent, HMENU submenu, const char* text, bool greyed) {
  AppendMenuA(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), text);
  if (greyed) EnableMenuItem(parent, static_cast<UINT>(GetMenuItemCount(parent) - 1), MF_BYPOSITION | MF_GRAYED);
}

void AppendSeparator(HMENU menu) { AppendMenuA(menu, MF_SEPARATOR, 0, nullptr); }

void AppendItem(HMENU menu, int id, const char* text) { AppendMenuA(menu, MF_STRING, static_cast<UINT>(id), text); }

void AppendSwitch(HMENU menu, int id, const char* text, bool on) {
  AppendItem(menu, id, text);
  CheckMenuItemWithBitmaps(menu, static_cast<UINT>(id), on);
}

// The parts of the tray menu, each with its key: a text naming every value the part is
// built from, so an unchanged key means an unchanged part.

void ScreenSaverPartKey(const MenuContext& context, char* key, int size) {
  snprintf(key, static_cast<size_t>(size), "%d %d %d %d", AppState.unifiedlist != 0, context.empty,
           AppState.saverActive != 0, context.saverSet);
}

void ReplaceSubmenu(HMENU parent, int position, HMENU submenu, const char* text, bool greyed) {
  HMENU old = GetSubMenu(parent, position);
  UINT flags = MF_BYPOSITION | MF_POPUP | MF_STRING | (greyed ? MF_GRAYED : 0);
  ModifyMenuA(parent, static_cast<UINT>(position), flags, reinterpret_cast<UINT_PTR>(submenu), text);
  // Windows destroys the replaced submenu itself; the emulator leaves it.
  if (old && old != submenu && IsMenu(old)) DestroyMenu(old);
}

void RefreshSaverLists(HMENU menu, const MenuContext& context) {
  for (int which = 0; which < SaverListCount(); which++)
    ReplaceSubmenu(menu, which, BuildSaverList(which, context), SaverListTitle(which), SaverListGreyed(which, context));
}

void PasswordPartKey(const MenuContext& context, char* key, int size) {
  snprintf(key, static_cast<size_t>(size), "%d %d %d", AppState.passwordActive != 0, context.saverSet,
           IsNtPlatform());
}

void WaitPartKey(const MenuContext&, char* key, int size) {
  snprintf(key, static_cast<size_t>(size), "%d", static_cast<int>(AppState.saverTimeout));
}

// A running period shows its time left, so the part changes with every minute.
void DisablePartKey(const MenuContext&, char* key, int size) {
  char left[64] = "";
  if (AppState.disableSeconds > 0) FormatDuration(left, sizeof(left), DisableTimeLeftMs());
  snprintf(key, static_cast<size_t>(size), "%d %s", static_cast<int>(AppState.disableSeconds), left);
}

void PowerPartKey(const MenuContext&, char* key, int size) {
  snprintf(key, static_cast<size_t>(size), "%d", AppState.osVersion.dwMajorVersion < 6);
}

MenuContext ReadMenuContext(UINT flags, const MenuScreen& screen, char* currentPath, int size) {
  MenuContext context = {};
  context.flags = flags;
  context.screen = screen;
  // One reading of the current saver serves the whole menu. The mirrored system settings
  // are not read here: the registry watcher's readings keep them (and the icon) current.
  context.currentPath = currentPath;
  context.saverSet = GetCurrentSaverPath(currentPath, size);
  // While the list loads, the current saver cannot be looked up: it is not marked, and
  // its folder is not taken for missing.
  context.loading = IsSaverCatalogLoading();
  const SaverInfo* current = context.saverSet ? FindSaverForPath(currentPath) : nullptr;
  if (!current && context.saverSet && !context.loading) current = AdoptCurrentSaverFolder(currentPath);
  context.current = current;
  context.empty = AppState.saverCount == 0 && !context.loading;
  return context;
}
