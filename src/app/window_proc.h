// The hidden main window's procedure: tray callbacks, timers, hot keys, menus, commands.
#pragma once

#include <windows.h>

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One tray callback in either form: the event, and the icon's anchor (screen point) when
// the version-4 form brought one.
struct TrayCallback {
  UINT event;
  bool hasAnchor;
  POINT anchor;
};
TrayCallback DecodeTrayCallback(WPARAM wParam, LPARAM lParam);
// For tests: forget the icon's last mouse and keyboard events.
void ForgetTrayInput();
void ReportUnexpectedError();
