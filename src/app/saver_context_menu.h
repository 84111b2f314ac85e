// The right-click menu on a saver item of the open tray menu.
#pragma once

#include <windows.h>

void ShowSaverContextMenu(HWND window, HMENU menu, UINT position);
