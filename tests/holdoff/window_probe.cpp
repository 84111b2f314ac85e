// A window of a process of its own for the hold-off tests: shown small, it covers its
// monitor when sent WM_APP + 1 and then raises the location event from its own thread,
// as the system does for a window that goes full screen in place (the emulator raises
// none, and only the window's own thread can raise one that a hook on it receives).
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
      NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, window, OBJID_WINDOW, CHILDID_SELF);
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
