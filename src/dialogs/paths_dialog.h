// The dialog that edits the extra folders searched for savers.
#pragma once

#include <windows.h>

INT_PTR ShowPathsDialog(HWND owner);
INT_PTR CALLBACK PathsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
