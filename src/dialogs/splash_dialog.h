// The splash screen (also the About box) and the text window for the log.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SplashDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TextDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs "SPLASHDIALOG" modally; 0 ms keeps it until closed.
INT_PTR ShowSplash(HWND owner, int displayMs);
