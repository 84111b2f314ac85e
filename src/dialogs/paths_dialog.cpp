// Not yet built: the search paths dialog arrives with the dialogs work.
#include "dialogs/paths_dialog.h"

INT_PTR ShowPathsDialog(HWND) { return 0; }
INT_PTR CALLBACK PathsDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
