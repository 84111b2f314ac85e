// The tray menu: built from the state, and kept between openings.
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

// Builds the whole tray menu tree afresh; the caller destroys it.
HMENU BuildTrayMenu(HWND window, UINT flags, const MenuScreen& screen);
// The same tree, kept from one call to the next: only the parts whose state changed are
// built again (and the saver lists, always). It stays owned here: never destroy it.
HMENU PrepareTrayMenu(HWND window, UINT flags, const MenuScreen& screen);
// Destroys the kept tree (once it is closed, when it is open).
void ForgetTrayMenu();
// Shows the kept tree at clickPoint; the result of TrackPopupMenu.
int ShowTrayMenu(HWND window, UINT flags);

// Appends one item per saver with identifiers base + index; 0 for an empty list.
int ShowPopupMenu(HMENU* menu, int base, const SaverInfo* current, const MenuScreen& screen);
int ShowPopupMenu(HMENU* menu, int base, const SaverInfo* current);

void SetMenuCheckBitmaps(HBITMAP unchecked, HBITMAP checked);
int CheckMenuItemWithBitmaps(HMENU menu, UINT id, bool checked);
