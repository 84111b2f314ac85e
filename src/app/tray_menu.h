// The tray menu: built afresh each time it is shown.
#pragma once

#include <windows.h>

constexpr UINT kTrayMenuShift = 4;  // flag: Shift was held (debug menu shown)

void ShowTrayMenu(HWND window, UINT flags);
