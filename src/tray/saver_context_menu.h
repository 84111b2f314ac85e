// The right-click menu on a saver item of the open tray menu, and the saver properties.
#pragma once

#include <windows.h>

struct SaverInfo;

// The four things to do with saver `index`: choose, launch, configure, properties.
HMENU BuildSaverContextMenu(int index);
// Returns the chosen command (posted to the window), 0 for a non-saver item or none.
int ShowSaverContextMenu(HWND window, HMENU menu, UINT position);
void ShowSaverProperties(const SaverInfo* saver);
