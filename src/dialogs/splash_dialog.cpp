// Not yet built: the splash and text dialogs arrive with the dialogs work.
#include "dialogs/splash_dialog.h"

INT_PTR CALLBACK SplashDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK TextDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR ShowSplash(HWND, int) { return 0; }
