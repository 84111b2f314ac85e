// The full-screen detector over the foreground window. Shell windows that cover the
// screen by design (the desktop, its worker windows, the taskbar) are skipped, and so
// are this process's own windows, which are never what the user is watching.
#include "holdoff/fullscreen.h"

#include "holdoff/fullscreen_rule.h"

namespace {

bool IsShellWindow(HWND window) {
  char className[64] = "";
  if (!GetClassNameA(window, className, sizeof(className))) return false;
  static const char* const kShellClasses[] = {"Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd"};
  for (const char* shellClass : kShellClasses)
    if (lstrcmpiA(className, shellClass) == 0) return true;
  return false;
}

ScreenRect ToScreenRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

bool ClientRectOnScreen(HWND window, RECT* rect) {
  if (!GetClientRect(window, rect)) return false;
  POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
  if (MapWindowPoints(window, nullptr, corners, 2) == 0 && GetLastError() != 0) return false;
  *rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  return true;
}

}  // namespace

HWND FindFullScreenForeground(HMONITOR* monitor) {
  if (monitor) *monitor = nullptr;
  HWND window = GetForegroundWindow();
  if (!window || !IsWindowVisible(window) || IsIconic(window)) return nullptr;
  if (window == GetDesktopWindow() || window == GetShellWindow() || IsShellWindow(window)) return nullptr;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId()) return nullptr;

  HMONITOR windowMonitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!windowMonitor || !GetMonitorInfoA(windowMonitor, &info)) return nullptr;
  RECT client;
  SetLastError(0);
  if (!ClientRectOnScreen(window, &client)) return nullptr;
  if (!CoversWholeMonitor(ToScreenRect(client), ToScreenRect(info.rcMonitor))) return nullptr;
  if (monitor) *monitor = windowMonitor;
  return window;
}
