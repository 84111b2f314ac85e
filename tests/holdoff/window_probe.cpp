// A window of a process of its own for the hold-off tests: shown small and without a
// frame, it covers its monitor when sent WM_APP + 1, as a video player going full screen
// in place does.
#include <windows.h>

namespace {

constexpr UINT kGoFullScreen = WM_APP + 1;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kGoFullScreen: {
      MONITORINFO info = {};
      info.cbSize = sizeof(info);
      GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
      const RECT& r = info.rcMonitor;
      SetWindowPos(window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = "DozeliteWindowProbe";
  if (!RegisterClassA(&windowClass)) return 1;
  if (!CreateWindowExA(0, windowClass.lpszClassName, "window probe", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                       nullptr, nullptr, instance, nullptr))
    return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
