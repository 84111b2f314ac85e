// One top-level window of a kind named on the command line, on the primary monitor,
// brought to the front; it stays until closed. The kinds are those the full-screen
// detector must tell apart:
//   popup       a borderless popup covering the monitor (a video player, a game)
//   larger      a borderless popup larger than the monitor on every side
//   framed      a captioned window, maximised
//   selfframed  a sizable window that draws its own frame (no caption, the client area
//               is the whole window), maximised, as browsers and editors are
//   saverclass  a covering popup of the class the system's saver library registers
#include <windows.h>

#include <cstring>

namespace {

bool selfFramed = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCALCSIZE:
      if (selfFramed && wParam) return 0;  // the client area is the whole window
      break;
    case WM_ERASEBKGND: {
      RECT area;
      GetClientRect(window, &area);
      FillRect(reinterpret_cast<HDC>(wParam), &area, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
      return 1;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

const char* KindArgument() {
  const char* line = GetCommandLineA();
  if (*line == '"') {
    line = strchr(line + 1, '"');
    line = line ? line + 1 : "";
  } else {
    while (*line && *line != ' ') line++;
  }
  while (*line == ' ') line++;
  return line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const char* kind = KindArgument();
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  RECT area = info.rcMonitor;
  DWORD style = WS_POPUP;
  bool maximise = false;
  const char* className = "WindowKinds";
  if (!strcmp(kind, "larger")) {
    InflateRect(&area, 8, 8);
  } else if (!strcmp(kind, "framed")) {
    style = WS_OVERLAPPEDWINDOW;
    maximise = true;
  } else if (!strcmp(kind, "selfframed")) {
    style = WS_POPUP | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    selfFramed = maximise = true;
  } else if (!strcmp(kind, "saverclass")) {
    className = "WindowsScreenSaverClass";
  } else if (strcmp(kind, "popup") != 0) {
    return 2;
  }
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className;
  if (!RegisterClassA(&windowClass)) return 1;
  char title[64] = "window_kinds ";
  lstrcpynA(title + strlen(title), kind, static_cast<int>(sizeof(title) - strlen(title)));
  HWND window = CreateWindowExA(0, className, title, style, area.left, area.top, area.right - area.left,
                                area.bottom - area.top, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, maximise ? SW_MAXIMIZE : SW_SHOW);
  SetForegroundWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
