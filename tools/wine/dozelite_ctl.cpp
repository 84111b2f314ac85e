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
//   dozelite_ctl postto <title> <msg> <wparam> <lparam>  post a message to the window with that title
//   dozelite_ctl list                 print the visible top-level windows (class, title)
//   dozelite_ctl texts <ms>           wait for a dialog of the running Dozelite and print its title
//                                     and its controls' texts, one per line, as UTF-8
//   dozelite_ctl canceldialog <ms>    cancel that dialog (whatever the language of its title) and
//                                     wait until it is gone
//   dozelite_ctl hold <ms>            keep a hidden window for that long (holds Wine's desktop open)
//   dozelite_ctl keys <vk> <mods>     type a key with modifiers (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4)
//                                     as keyboard input of this desktop, as a hot key press is
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

// The top-level window with that class (or any, when none is given) and title
// (or any, when none is given). Titles are compared without trailing blanks, since some
// programs pad their captions; programs may also keep hidden windows of the same title,
// so waiting for a window to appear looks at visible ones only.
struct WindowQuery {
  const char* className;
  const char* title;
  bool visibleOnly;
  HWND found;
};

static size_t TrimmedLength(const char* text) {
  size_t length = strlen(text);
  while (length > 0 && text[length - 1] == ' ') length--;
  return length;
}

static BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  WindowQuery* query = reinterpret_cast<WindowQuery*>(parameter);
  if (query->visibleOnly && !IsWindowVisible(window)) return TRUE;
  char text[256] = "";
  if (query->className) {
    GetClassNameA(window, text, sizeof(text));
    if (strcmp(text, query->className) != 0) return TRUE;
  }
  if (query->title) {
    GetWindowTextA(window, text, sizeof(text));
    size_t length = TrimmedLength(text);
    if (length != TrimmedLength(query->title) || strncmp(text, query->title, length) != 0) return TRUE;
  }
  query->found = window;
  return FALSE;
}

static HWND FindNamed(const char* className, const char* title, bool visibleOnly) {
  WindowQuery query = {className, title, visibleOnly, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

static HWND WaitForNamed(const char* className, const char* title, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindNamed(className, title, true);
    if (window) return window;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

static bool WaitUntilGone(const char* title, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (FindNamed(nullptr, title, false)) {
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
  HWND window = FindNamed(nullptr, name, true);
  if (!window) return 1;
  PostMessageA(window, WM_CLOSE, 0, 0);
  return WaitUntilGone(name, timeoutMs) ? 0 : 1;
}

static void AddKey(INPUT* inputs, int* count, WORD key, bool up) {
  INPUT& input = inputs[(*count)++];
  input = INPUT{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
}

// Presses the modifiers, then the key, and releases them in reverse order.
static int TypeKeys(WORD key, unsigned modifiers) {
  static const struct {
    unsigned flag;
    WORD key;
  } kModifierKeys[] = {{MOD_CONTROL, VK_CONTROL}, {MOD_SHIFT, VK_SHIFT}, {MOD_ALT, VK_MENU}};
  INPUT inputs[8];
  int count = 0;
  for (const auto& modifier : kModifierKeys)
    if (modifiers & modifier.flag) AddKey(inputs, &count, modifier.key, false);
  AddKey(inputs, &count, key, false);
  AddKey(inputs, &count, key, true);
  for (int i = 2; i >= 0; i--)
    if (modifiers & kModifierKeys[i].flag) AddKey(inputs, &count, kModifierKeys[i].key, true);
  return SendInput(static_cast<UINT>(count), inputs, sizeof(INPUT)) == static_cast<UINT>(count) ? 0 : 1;
}

// The first visible dialog ("#32770") of the process that owns Dozelite's main window.
struct DialogQuery {
  DWORD process;
  HWND found;
};

static BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
  DialogQuery* query = reinterpret_cast<DialogQuery*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[16] = "";
  GetClassNameA(window, className, sizeof(className));
  if (process != query->process || !IsWindowVisible(window) || strcmp(className, "#32770") != 0) return TRUE;
  query->found = window;
  return FALSE;
}

static void PrintText(HWND window) {
  wchar_t wide[1024] = L"";
  GetWindowTextW(window, wide, 1024);
  char text[4096] = "";
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
  if (text[0]) printf("%s\n", text);
}

static HWND WaitForDozeliteDialog(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  DialogQuery query = {0, nullptr};
  for (;;) {
    HWND main = FindDozelite();
    if (main) {
      GetWindowThreadProcessId(main, &query.process);
      EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&query));
    }
    if (query.found) return query.found;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

static int CancelDialog(DWORD timeoutMs) {
  HWND dialog = WaitForDozeliteDialog(timeoutMs);
  if (!dialog) return 1;
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  DWORD start = GetTickCount();
  while (IsWindow(dialog)) {
    if (GetTickCount() - start > timeoutMs) return 1;
    Sleep(50);
  }
  return 0;
}

// Texts are printed as UTF-8 whatever the code page, so that any language can be compared.
static int PrintDialogTexts(DWORD timeoutMs) {
  DialogQuery query = {0, WaitForDozeliteDialog(timeoutMs)};
  if (!query.found) return 1;
  Sleep(300);  // the procedure's own texts are set during its first messages
  PrintText(query.found);
  for (HWND child = GetWindow(query.found, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) PrintText(child);
  return 0;
}

static BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
  if (!IsWindowVisible(window)) return TRUE;
  char className[128] = "";
  char title[256] = "";
  GetClassNameA(window, className, sizeof(className));
  GetWindowTextA(window, title, sizeof(title));
  printf("%p\t%s\t%s\n", static_cast<void*>(window), className, title);
  return TRUE;
}

int main(int argc, char** argv) {
  if (argc == 2 && !strcmp(argv[1], "list")) return EnumWindows(PrintWindow, 0) ? 0 : 1;
  if (argc < 3) {
    fprintf(stderr, "usage: dozelite_ctl command|tray|wait|close|post|find|findclass|gone|dismiss ...\n");
    return 2;
  }
  const char* verb = argv[1];
  if (!strcmp(verb, "postto")) {
    if (argc < 6) return 2;
    HWND target = WaitForNamed(nullptr, argv[2], 2000);
    return target && PostMessageA(target, static_cast<UINT>(strtoul(argv[3], nullptr, 0)),
                                  static_cast<WPARAM>(strtoul(argv[4], nullptr, 0)),
                                  static_cast<LPARAM>(strtol(argv[5], nullptr, 0)))
               ? 0
               : 1;
  }
  if (!strcmp(verb, "find") || !strcmp(verb, "findclass") || !strcmp(verb, "gone") || !strcmp(verb, "dismiss")) {
    if (argc < 4) return 2;
    return RunWindowVerb(verb, argv[2], static_cast<DWORD>(strtoul(argv[3], nullptr, 0)));
  }
  long value = strtol(argv[2], nullptr, 0);
  if (!strcmp(verb, "keys")) {
    if (argc < 4) return 2;
    return TypeKeys(static_cast<WORD>(value), static_cast<unsigned>(strtoul(argv[3], nullptr, 0)));
  }
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
  if (!strcmp(verb, "texts")) return PrintDialogTexts(static_cast<DWORD>(value));
  if (!strcmp(verb, "canceldialog")) return CancelDialog(static_cast<DWORD>(value));
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
