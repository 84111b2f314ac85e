// Drives a running Dozelite from outside, as the shell or a user would: posts commands
// and tray callback messages to its main window, closes it, or waits for it.
//   dozelite_ctl command <id>         post WM_COMMAND <id>
//   dozelite_ctl tray <mouse message> post the tray callback with that mouse message
//   dozelite_ctl wait <ms>            wait until the main window exists
//   dozelite_ctl close <ms>           post WM_CLOSE and wait until the window is gone
// Exit code 0 on success, 1 when the window was not found in time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static HWND FindDozelite() { return FindWindowA("DozeliteTrayIconClass", "Dozelite"); }

static HWND WaitForWindow(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  HWND window;
  while (!(window = FindDozelite())) {
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
  return window;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: dozelite_ctl command|tray|wait|close <value>\n");
    return 2;
  }
  const char* verb = argv[1];
  long value = strtol(argv[2], nullptr, 0);
  if (!strcmp(verb, "wait")) return WaitForWindow(static_cast<DWORD>(value)) ? 0 : 1;
  HWND window = WaitForWindow(2000);
  if (!window) return 1;
  if (!strcmp(verb, "command")) return PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(value), 0) ? 0 : 1;
  if (!strcmp(verb, "tray")) return PostMessageA(window, WM_APP + 444, 1, static_cast<LPARAM>(value)) ? 0 : 1;
  if (!strcmp(verb, "close")) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
      if (GetTickCount() - start > static_cast<DWORD>(value)) return 1;
      Sleep(50);
    }
    return 0;
  }
  return 2;
}
