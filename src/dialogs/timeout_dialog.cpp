// Not yet built: the timeout dialog arrives with the dialogs work.
#include "dialogs/timeout_dialog.h"

int ShowTimeOutDialog(HWND, int) { return 0; }
INT_PTR CALLBACK TimeOutDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
