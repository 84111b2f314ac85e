// The tray menu: built afresh from the state each time it is shown, then destroyed.
#pragma once

#include <windows.h>

struct SaverInfo;

constexpr UINT kTrayMenuShift = 4;  // flag: Shift was held (debug menu shown)

// What the saver lists need to know of the screen to split into columns.
struct MenuScreen {
  int width;
  int height;
  int itemHeight;
};

MenuScreen GetMenuScreen();

// Builds the whole tray menu tree; the caller destroys it.
HMENU BuildTrayMenu(HWND window, UINT flags, const MenuScreen& screen);
// Builds, shows at clickPoint and destroys the menu; the result of TrackPopupMenu.
int ShowTrayMenu(HWND window, UINT flags);

// Appends one item per saver with identifiers base + index; 0 for an empty list.
int ShowPopupMenu(HMENU* menu, int base, const SaverInfo* current, const MenuScreen& screen);
int ShowPopupMenu(HMENU* menu, int base, const SaverInfo* current);

void SetMenuCheckBitmaps(HBITMAP unchecked, HBITMAP checked);
int CheckMenuItemWithBitmaps(HMENU menu, UINT id, bool checked);
