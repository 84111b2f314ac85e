// Display scale. The program declares itself per-monitor DPI aware, so it draws its own
// images at the size each DPI needs instead of letting the system stretch them. The
// per-monitor calls exist only on newer systems and are looked up at run time; older
// ones answer with the system DPI of the screen's device context.
#include "shell/dpi.h"

#include "shell/scale.h"

namespace {

using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr int kMonitorEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
const int kCheckMarkSizes[] = {12, 16, 20, 26, 32, 40, 48};  // drawn by the artwork script

template <typename Function>
Function Entry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

UINT ValidDpi(UINT dpi) { return dpi >= 48 && dpi <= 960 ? dpi : kBaseDpi; }

UINT MonitorDpi(HMONITOR monitor) {
  // shcore.dll stays loaded once loaded: the lookup is made once per process.
  static GetDpiForMonitorFn getDpiForMonitor = [] {
    return Entry<GetDpiForMonitorFn>(LoadLibraryA("shcore.dll"), "GetDpiForMonitor");
  }();
  UINT x = 0;
  UINT y = 0;
  if (monitor && getDpiForMonitor && getDpiForMonitor(monitor, kMonitorEffectiveDpi, &x, &y) == S_OK)
    return ValidDpi(x);
  return GetSystemDpi();
}

}  // namespace

UINT GetSystemDpi() {
  static auto getDpiForSystem = Entry<GetDpiForSystemFn>(GetModuleHandleA("user32.dll"), "GetDpiForSystem");
  if (getDpiForSystem) return ValidDpi(getDpiForSystem());
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return ValidDpi(static_cast<UINT>(dpi));
}

UINT GetTrayDpi() {
  HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  HMONITOR monitor = taskbar ? MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  return MonitorDpi(monitor);
}

int GetMetricForDpi(int index, UINT dpi) {
  static auto forDpi = Entry<GetSystemMetricsForDpiFn>(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, dpi);
  // Without the call the metric is known at the system DPI only: scale it from there.
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(GetSystemDpi()));
}

HICON LoadIconAtSize(HINSTANCE module, const char* name, int size) {
  return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The drawn bitmap is reduced with averaging (HALFTONE), which keeps the tick's strokes
// whole where a plain stretch would drop rows and columns of it.
HBITMAP LoadCheckMarkBitmap(HINSTANCE module, int size) {
  if (size <= 0) return nullptr;
  int drawn = PickDrawnSize(kCheckMarkSizes, sizeof(kCheckMarkSizes) / sizeof(kCheckMarkSizes[0]), size);
  char name[16];
  if (drawn == 16)
    lstrcpyA(name, "CHECKED");
  else
    wsprintfA(name, "CHECKED%d", drawn);
  auto source = static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!source || drawn == size) return source;

  HBITMAP result = nullptr;
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  if (from && to) {
    result = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, result);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, size, size, from, 0, 0, drawn, drawn, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  if (from) DeleteDC(from);
  if (to) DeleteDC(to);
  if (screen) ReleaseDC(nullptr, screen);
  DeleteObject(source);
  return result;
}

INT_PTR AnswerDpiChanged(HWND dialog, LPARAM suggested) {
  const RECT* area = reinterpret_cast<const RECT*>(suggested);
  if (!area) return FALSE;
  SetWindowPos(dialog, nullptr, area->left, area->top, area->right - area->left, area->bottom - area->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}
