// Drives a running Dozelite from outside, as the shell or a user would: posts commands
// and tray callback messages to its main window, closes it, or waits for it.
//   dozelite_ctl command <id>         post WM_COMMAND <id>
//   dozelite_ctl tray <mouse message> post the tray callback with that mouse message
//   dozelite_ctl wait <ms>            wait until the main window exists
//   dozelite_ctl close <ms>           post WM_CLOSE and wait until the window is gone
//   dozelite_ctl post <msg> <wparam> <lparam>  post any message to the main window
//   dozelite_ctl find <title> <ms>    wait until a visible window with that exact title exists
//   dozelite_ctl findclass <class> <ms>  the same by window class (menus are "#32768")
//   dozelite_ctl gone <title> <ms>    wait until no window with that title is left
//   dozelite_ctl dismiss <title> <ms> post WM_CLOSE to that window and wait until it is gone
//   dozelite_ctl hold <ms>            keep a hidden window for that long (holds Wine's desktop open)
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

static HWND WaitForNamed(const char* className, const char* title, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowA(className, title);
    if (window && IsWindowVisible(window)) return window;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

static bool WaitUntilGone(const char* title, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (FindWindowA(nullptr, title)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

// Verbs that name a window other than Dozelite's main window.
static int RunWindowVerb(const char* verb, const char* name, DWORD timeoutMs) {
  if (!strcmp(verb, "find")) return WaitForNamed(nullptr, name, timeoutMs) ? 0 : 1;
  if (!strcmp(verb, "findclass")) return WaitForNamed(name, nullptr, timeoutMs) ? 0 : 1;
  if (!strcmp(verb, "gone")) return WaitUntilGone(name, timeoutMs) ? 0 : 1;
  HWND window = FindWindowA(nullptr, name);
  if (!window) return 1;
  PostMessageA(window, WM_CLOSE, 0, 0);
  return WaitUntilGone(name, timeoutMs) ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: dozelite_ctl command|tray|wait|close|post|find|findclass|gone|dismiss ...\n");
    return 2;
  }
  const char* verb = argv[1];
  if (!strcmp(verb, "find") || !strcmp(verb, "findclass") || !strcmp(verb, "gone") || !strcmp(verb, "dismiss")) {
    if (argc < 4) return 2;
    return RunWindowVerb(verb, argv[2], static_cast<DWORD>(strtoul(argv[3], nullptr, 0)));
  }
  long value = strtol(argv[2], nullptr, 0);
  if (!strcmp(verb, "hold")) {
    HWND holder = CreateWindowExA(0, "STATIC", "dozelite_ctl hold", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(value)) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      Sleep(100);
    }
    if (holder) DestroyWindow(holder);
    return 0;
  }
  if (!strcmp(verb, "wait")) return WaitForWindow(static_cast<DWORD>(value)) ? 0 : 1;
  HWND window = WaitForWindow(2000);
  if (!window) return 1;
  if (!strcmp(verb, "command")) return PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(value), 0) ? 0 : 1;
  if (!strcmp(verb, "post")) {
    if (argc < 5) return 2;
    return PostMessageA(window, static_cast<UINT>(value), static_cast<WPARAM>(strtoul(argv[3], nullptr, 0)),
                        static_cast<LPARAM>(strtol(argv[4], nullptr, 0)))
               ? 0
               : 1;
  }
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
