// The hours/minutes/seconds dialog for the saver timeout and the disable period.
#pragma once

#include <windows.h>

// Returns the chosen number of seconds, 0 on Cancel or when the dialog is already open.
int ShowTimeOutDialog(HWND owner, int seconds);
INT_PTR CALLBACK TimeOutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
