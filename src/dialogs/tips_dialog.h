// The tip of the day.
#pragma once

#include <windows.h>

// Tip -1 is the tip of the day: the one after the stored "tipnumber".
INT_PTR ShowTipsDialog(HWND owner, int tip);
INT_PTR CALLBACK TipsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
