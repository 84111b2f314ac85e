// The hidden main window's procedure: tray callbacks, timers, hot keys, menus, commands.
#pragma once

#include <windows.h>

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ReportUnexpectedError();
