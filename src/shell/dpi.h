// Display scale: the DPI the tray icon and menus are shown at, system metrics for a DPI,
// images loaded at the size that DPI needs, and the dialogs' answer to a DPI change.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

UINT GetSystemDpi();
// The DPI of the monitor that shows the notification area (the primary one when the
// taskbar is not found).
UINT GetTrayDpi();
// GetSystemMetrics as it is at `dpi`.
int GetMetricForDpi(int index, UINT dpi);
// An icon group's image of exactly `size` pixels when the group has one.
HICON LoadIconAtSize(HINSTANCE module, const char* name, int size);
// The menu check mark drawn nearest above `size`, reduced to `size` pixels square.
HBITMAP LoadCheckMarkBitmap(HINSTANCE module, int size);
// WM_DPICHANGED for a dialog: takes the size and place the system suggests.
INT_PTR AnswerDpiChanged(HWND dialog, LPARAM suggested);
