// The smallest resident tray program: a hidden window, one notification-area icon and a
// message loop, nothing else. The idle benchmark measures Dozelite against it.
//   idle_tray.exe         run until closed
//   idle_tray.exe close   close a running one
#include <windows.h>
#include <shellapi.h>

#include <cstring>

static const char* kClass = "DozeliteIdleTrayClass";

static LRESULT CALLBACK IdleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (commandLine && strstr(commandLine, "close")) {
    HWND running = FindWindowA(kClass, nullptr);
    if (!running) return 1;
    PostMessageA(running, WM_CLOSE, 0, 0);
    return 0;
  }
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = IdleProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClass;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, kClass, "idle tray", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr, instance,
                                nullptr);
  NOTIFYICONDATAA icon = {};
  icon.cbSize = sizeof(icon);
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  icon.uCallbackMessage = WM_APP + 1;
  icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  lstrcpynA(icon.szTip, "idle tray", sizeof(icon.szTip));
  Shell_NotifyIconA(NIM_ADD, &icon);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  Shell_NotifyIconA(NIM_DELETE, &icon);
  return 0;
}
