// Window placement helpers.
#include "shell/window_helpers.h"

#include "shell/text_helpers.h"

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
  char title[100];
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
