// The right-click menu on a saver item of the open tray menu, and the saver properties.
#pragma once

#include <windows.h>

struct SaverInfo;

// The four things to do with saver `index`: choose, launch, configure, properties.
HMENU BuildSaverContextMenu(int index);
// Returns the chosen command (posted to the window), 0 for a non-saver item or none. It
// opens at the cursor, or at `at` when given (opened from the keyboard).
int ShowSaverContextMenu(HWND window, HMENU menu, UINT position, const POINT* at = nullptr);
void ShowSaverProperties(const SaverInfo* saver);
