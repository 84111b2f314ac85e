// The full-screen detector: reads a window's facts for IsFullScreenWindow. Shell windows
// that cover the screen by design (the desktop, its worker windows, the taskbar) never
// count, nor does a screen saver (the system's, started after the timeout, or one started
// with /s: a saver covers the monitor, and holding the display on for it would keep the
// monitor from ever powering off), nor this process's own windows.
#include "holdoff/fullscreen.h"

#include <cstring>

#include "holdoff/fullscreen_rule.h"
#include "holdoff/process_image.h"

namespace {

constexpr int kMaxWindowsAbove = 4096;  // a bound on the walk down the z-order

bool HasClass(HWND window, const char* const* classes, int count) {
  char className[64] = "";
  if (!GetClassNameA(window, className, sizeof(className))) return false;
  for (int n = 0; n < count; n++)
    if (lstrcmpiA(className, classes[n]) == 0) return true;
  return false;
}

bool IsShellWindow(HWND window) {
  static const char* const kShellClasses[] = {"Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd"};
  return window == GetDesktopWindow() || window == GetShellWindow() || HasClass(window, kShellClasses, 4);
}

bool EndsWithNoCase(const char* text, const char* end) {
  size_t length = strlen(text);
  size_t endLength = strlen(end);
  return length >= endLength && lstrcmpiA(text + length - endLength, end) == 0;
}

// The class the system's saver library gives its window, or a program named *.scr.
bool IsSaverWindow(HWND window, DWORD processId) {
  static const char* const kSaverClasses[] = {"WindowsScreenSaverClass"};
  if (HasClass(window, kSaverClasses, 1)) return true;
  char name[1024];
  return GetProcessFileName(processId, name, sizeof(name)) && EndsWithNoCase(name, ".scr");
}

bool SaverRunning() {
  BOOL running = FALSE;
  return SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
}

ScreenRect ToScreenRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

bool ClientRectOnScreen(HWND window, RECT* rect) {
  if (!GetClientRect(window, rect)) return false;
  POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
  SetLastError(0);
  if (MapWindowPoints(window, nullptr, corners, 2) == 0 && GetLastError() != 0) return false;
  *rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  return true;
}

bool MonitorRect(HMONITOR monitor, RECT* rect) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!monitor || !GetMonitorInfoA(monitor, &info)) return false;
  *rect = info.rcMonitor;
  return true;
}

}  // namespace

bool IsWindowFullScreen(HWND window, HMONITOR* monitor) {
  if (monitor) *monitor = nullptr;
  if (!window || !IsWindowVisible(window) || IsIconic(window)) return false;
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(window, &processId) || processId == GetCurrentProcessId()) return false;
  HMONITOR windowMonitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
  RECT monitorRect;
  RECT client;
  if (!MonitorRect(windowMonitor, &monitorRect) || !ClientRectOnScreen(window, &client)) return false;
  LONG style = GetWindowLongA(window, GWL_STYLE);
  FullScreenFacts facts = {ToScreenRect(client),
                           ToScreenRect(monitorRect),
                           IsZoomed(window) != 0,
                           (style & WS_CAPTION) == WS_CAPTION,
                           (style & WS_THICKFRAME) != 0,
                           IsShellWindow(window),
                           false};
  if (!IsFullScreenWindow(facts)) return false;
  // Asked last: it opens the process.
  facts.saver = SaverRunning() || IsSaverWindow(window, processId);
  if (!IsFullScreenWindow(facts)) return false;
  if (monitor) *monitor = windowMonitor;
  return true;
}

HWND FindFullScreenForeground(HMONITOR* monitor) {
  HWND window = GetForegroundWindow();
  return IsWindowFullScreen(window, monitor) ? window : nullptr;
}

bool IsInFrontOfItsMonitor(HWND window) {
  RECT monitorRect;
  if (!IsWindow(window) || !MonitorRect(MonitorFromWindow(window, MONITOR_DEFAULTTONULL), &monitorRect)) return false;
  DWORD windowProcess = 0;
  GetWindowThreadProcessId(window, &windowProcess);
  HWND above = GetTopWindow(nullptr);
  for (int n = 0; above && n < kMaxWindowsAbove; n++, above = GetWindow(above, GW_HWNDNEXT)) {
    if (above == window) return true;
    if (!IsWindowVisible(above) || IsIconic(above)) continue;
    DWORD process = 0;
    GetWindowThreadProcessId(above, &process);
    if (process == GetCurrentProcessId() || process == windowProcess || IsShellWindow(above)) continue;
    RECT area;
    RECT overlap;
    if (GetWindowRect(above, &area) && IntersectRect(&overlap, &area, &monitorRect)) return false;
  }
  return false;
}
