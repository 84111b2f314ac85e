// The saver lists of the tray menu, each saver with its icon, and the check marks of the
// settings items.
//
// Column split: with "splitlist" on, a list taller than the screen is spread over
// balanced columns. Rows that fit = screen height / item height - 1; the number of
// columns is the items (those already in the menu, like "(None)", included) divided by
// that, rounded up; rows per column = items / columns, rounded up. A new column starts
// with a bar at every multiple of the rows per column. When the next column would not
// fit in the screen width, the list moves on into a new popup named "More"; all those
// popups (the first part of the list among them) hang in one holder menu, which then
// replaces the caller's menu. They are numbered in order, "More &1", "More &2", so that
// each has its own access key.
//
// A list shows at most the first 1000 savers: identifiers are base + index, and past
// 1000 they would run into the next range (41000 + 1000 is "set the timeout to 0").
#include <cstdio>
#include <cstring>

#include "catalog/catalog_loader.h"
#include "catalog/saver_info.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "tray/tray_menu.h"

namespace {

HBITMAP checkUnchecked = nullptr;
HBITMAP checkChecked = nullptr;

// Translators: the title of the next part of a saver list too long for the screen.
// Translators: one part of a saver list too wide for the screen; %s is its number (1, 2,
// ...) with the access key on it.
constexpr const char* kMoreText = TrNoop("More %s");

void AppendMorePart(HMENU holder, HMENU part) {
  char number[16];
  snprintf(number, sizeof(number), "&%d", GetMenuItemCount(holder) + 1);
  char text[128];
  snprintf(text, sizeof(text), Tr(kMoreText), number);
  AppendMenuA(holder, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(part), text);
}
constexpr const char* kLoadingText = TrNoop("Loading savers...");

int ListedCount() { return AppState.saverCount < kRangeSize ? AppState.saverCount : kRangeSize; }

int ItemWidth(int index) {
  int width = AppState.savers[index].itemWidth;
  return width > 0 ? width : 0;
}

int LargestWidth(int first, int count) {
  int largest = 0;
  int end = first + count;
  if (end > ListedCount()) end = ListedCount();
  for (int j = first; j < end; j++)
    if (ItemWidth(j) > largest) largest = ItemWidth(j);
  return largest;
}

bool SamePath(const char* a, const char* b) { return a && b && strcmp(a, b) == 0; }

}  // namespace

MenuScreen GetMenuScreen() {
  return MenuScreen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CYMENU)};
}

int ShowPopupMenu(HMENU* menu, int base, const SaverInfo* current) {
  return ShowPopupMenu(menu, base, current, GetMenuScreen());
}

int ShowPopupMenu(HMENU* menu, int base, const SaverInfo* current, const MenuScreen& screen) {
  if (!*menu) *menu = CreatePopupMenu();
  if (IsSaverCatalogLoading() && *menu) {
    AppendMenuA(*menu, MF_STRING | MF_GRAYED, 0, Tr(kLoadingText));
    return 1;
  }
  if (AppState.saverCount < 1 || !AppState.savers || !*menu) return 0;

  int listed = ListedCount();
  if (listed < AppState.saverCount)
    LogMessage(kLogLogOnly, "ShowPopupMenu: %d savers, only the first %d are listed", AppState.saverCount, listed);
  HMENU list = *menu;
  int position = GetMenuItemCount(list);
  if (position < 0) position = 0;
  int itemHeight = screen.itemHeight > 0 ? screen.itemHeight : 1;
  int rowsThatFit = screen.height / itemHeight - 1;
  if (rowsThatFit < 1) rowsThatFit = 1;
  int total = position + listed;
  int columns = (total + rowsThatFit - 1) / rowsThatFit;
  int rowsPerColumn = (total + columns - 1) / columns;

  int usedWidth = 0;
  int columnWidth = 0;
  HMENU holder = nullptr;
  for (int j = 0; j < listed; j++) {
    const SaverInfo& saver = AppState.savers[j];
    UINT id = static_cast<UINT>(base + j);
    UINT flags = MF_STRING;
    if (ItemWidth(j) > columnWidth) columnWidth = ItemWidth(j);
    if (position % rowsPerColumn == 0 && AppState.splitlist && position > 1) {
      usedWidth += columnWidth;
      int nextWidth = LargestWidth(j, rowsPerColumn);
      if (usedWidth + nextWidth > screen.width) {
        position = 0;
        usedWidth = 0;
        if (!holder) {
          holder = CreatePopupMenu();
          AppendMorePart(holder, list);
        }
        list = CreatePopupMenu();
        AppendMorePart(holder, list);
      } else {
        flags = MF_MENUBARBREAK;
      }
      columnWidth = 0;
    }

    const char* name = saver.displayName ? saver.displayName : "";
    // A saver's "&" is shown as it is, not taken as an access key.
    char shown[MAX_PATH * 2];
    EscapeAmpersands(shown, name, sizeof(shown));
    if (current && SamePath(saver.fullPath, current->fullPath)) {
      char text[MAX_PATH * 2 + 8];
      snprintf(text, sizeof(text), "< %s >", shown);
      AppendMenuA(list, flags | MF_STRING | MF_CHECKED, id, text);
      SetMenuDefaultItem(list, id, FALSE);
    } else {
      AppendMenuA(list, flags | MF_STRING, id, shown);
    }
    // `position` is the item's place in the current list: found at once, where a search
    // by identifier would make long lists quadratic.
    if (!SetMenuItemBitmaps(list, static_cast<UINT>(position), MF_BYPOSITION, saver.menuBitmap, saver.menuBitmap))
      LogMessage(kLogDebugError, "ShowPopupMenu: Can't set menu item bitmap.\nName=%s, hIcon=%X, Error=%X", name,
                 static_cast<unsigned>(reinterpret_cast<UINT_PTR>(saver.menuBitmap)),
                 static_cast<unsigned>(GetLastError()));
    position++;
  }
  if (holder) *menu = holder;
  return 1;
}

// Every kept part shows these images: new ones call for a new tree.
void SetMenuCheckBitmaps(HBITMAP unchecked, HBITMAP checked) {
  if (unchecked != checkUnchecked || checked != checkChecked) ForgetTrayMenu();
  checkUnchecked = unchecked;
  checkChecked = checked;
}

int CheckMenuItemWithBitmaps(HMENU menu, UINT id, bool checked) {
  SetMenuItemBitmaps(menu, id, MF_BYCOMMAND, checkUnchecked, checkChecked);
  return static_cast<int>(CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)));
}
