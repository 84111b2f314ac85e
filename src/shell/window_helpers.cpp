// Window placement helpers.
#include "shell/window_helpers.h"

#include "shell/text_helpers.h"

// A list shows no text of its own, so its window text is free to carry its name, with the
// label's "&" kept so that its access key is told with it. Edit fields are left alone:
// their text is their content.
static bool IsUnnamedList(HWND control) {
  char kind[32] = "";
  GetClassNameA(control, kind, sizeof(kind));
  if (lstrcmpiA(kind, "ListBox") != 0 && lstrcmpiA(kind, "SysListView32") != 0) return false;
  return GetWindowTextLengthA(control) == 0;
}

static bool IsLabel(HWND control) {
  char kind[32] = "";
  GetClassNameA(control, kind, sizeof(kind));
  LONG type = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
  return lstrcmpiA(kind, "Static") == 0 && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
}

void NameListsFromLabels(HWND dialog) {
  HWND before = nullptr;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; before = child, child = GetWindow(child, GW_HWNDNEXT)) {
    if (!before || !IsUnnamedList(child) || !IsLabel(before)) continue;
    char name[256] = "";
    GetWindowTextA(before, name, sizeof(name));
    int length = lstrlenA(name);
    while (length > 0 && (name[length - 1] == ':' || name[length - 1] == ' ')) length--;
    name[length] = 0;
    SetWindowTextA(child, name);
  }
}

void CenterWindow(HWND window) {
  RECT own;
  RECT desktop;
  GetWindowRect(window, &own);
  GetWindowRect(GetDesktopWindow(), &desktop);
  int width = own.right - own.left;
  int height = own.bottom - own.top;
  int x = desktop.left + (desktop.right - desktop.left) / 2 - width / 2;
  int y = desktop.top + (desktop.bottom - desktop.top) / 2 - height / 2;
  SetWindowPos(window, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
}

INT_PTR ShowDialogOnce(HINSTANCE module, HWND owner, const char* templateName, DLGPROC procedure,
                       const char* titleFormat, const char* titleArgument, LPARAM parameter) {
  char title[512];  // a translated title in UTF-8: several bytes a character
  if (titleArgument) {
    char expanded[1024];
    wsprintfA(expanded, titleFormat, titleArgument);
    CopyText(title, expanded, sizeof(title));
  } else {
    CopyText(title, titleFormat, sizeof(title));
  }
  if (HWND open = FindWindowA("#32770", title)) {
    SetForegroundWindow(open);
    return 1;
  }
  return DialogBoxParamA(module, templateName, owner, procedure, parameter);
}

BITMAPINFO TopDownFormat(int width, int height) {
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  return format;
}
