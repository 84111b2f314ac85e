// A right click on a saver in an open tray menu list opens a second menu on top of it
// with the four things that can be done with that saver; the chosen command is posted
// once the tray menu is closed. Also the properties box of a saver.
#include "tray/saver_context_menu.h"

#include "catalog/saver_info.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "tray/open_menus.h"

namespace {

// The saver ranges in the order they are tested; the choose range comes first.
constexpr int kSaverRanges[] = {kRangeChooseSaver, kRangeConfigureSaver, kRangeLaunchSaver, kRangeSaverProperties};

const char* TextOrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

HMENU BuildSaverContextMenu(int index) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  AppendMenuA(menu, MF_STRING, kRangeChooseSaver + index, Tr("&Choose"));
  AppendMenuA(menu, MF_STRING, kRangeLaunchSaver + index, Tr("&Launch"));
  AppendMenuA(menu, MF_STRING, kRangeConfigureSaver + index, Tr("Confi&gure"));
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kRangeSaverProperties + index, Tr("&Properties"));
  return menu;
}

int ShowSaverContextMenu(HWND window, HMENU menu, UINT position, const POINT* at) {
  LogMessage(kLogLogOnly, "Menu2");
  // Separators and submenu titles give 0 or -1 here, which lie in no saver range.
  UINT item = GetMenuItemID(menu, static_cast<int>(position));
  int command = static_cast<int>(item);
  int base = 0;
  for (int range : kSaverRanges) {
    if (item != static_cast<UINT>(-1) && command >= range && command < range + kRangeSize) {
      base = range;
      break;
    }
  }
  if (base == 0) return 0;

  int index = command - base;
  if (at)
    AppState.clickPoint = *at;
  else
    GetCursorPos(&AppState.clickPoint);
  HMENU popup = BuildSaverContextMenu(index);
  if (!popup) return 0;
  int chosen;
  {
    OpenMenuScope open(window);
    chosen = static_cast<int>(TrackPopupMenuEntry(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_RECURSE,
                                                  AppState.clickPoint.x, AppState.clickPoint.y, window));
  }
  DestroyMenu(popup);
  if (chosen == 0) return 0;
  // Close the tray menu first; the command then runs once both menus are gone.
  SendMessageA(window, WM_CANCELMODE, 0, 0);
  PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
  return chosen;
}

void ShowSaverProperties(const SaverInfo* saver) {
  if (!saver) return;
  // Translators: the properties box of a saver; keep the tabs and line breaks.
  LogMessage(kLogInfo, TrNoop("Name:\t%s\nFilename:\t%s\nLocation:\t%s"), TextOrEmpty(saver->displayName),
             TextOrEmpty(saver->longName), TextOrEmpty(saver->folder));
}
