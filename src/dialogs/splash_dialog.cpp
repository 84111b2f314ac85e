// The splash dialog: the program's identity for a few seconds at start-up, and without
// a time limit as the About box. Any click, Enter or Escape closes it.
#include "dialogs/splash_dialog.h"

#include <cstdio>

#include "resources/splash_dialog_ids.h"
#include "shell/dpi.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

constexpr UINT_PTR kSplashTimer = 123;

void OnInitDialog(HWND dialog, LPARAM displayMs) {
  char title[100];
  snprintf(title, sizeof(title), "%s (splash)", kProductName);
  SetWindowTextA(dialog, title);
  SetDlgItemTextA(dialog, IDC_SPLASH_VERSION, AppState.versionText);
  SetDlgItemTextA(dialog, IDC_SPLASH_LEGAL, AppState.legalText);
  CenterWindow(dialog);
  if (displayMs > 0) {
    UINT period = displayMs > static_cast<LPARAM>(USER_TIMER_MAXIMUM) ? USER_TIMER_MAXIMUM
                                                                       : static_cast<UINT>(displayMs);
    if (!SetTimer(dialog, kSplashTimer, period, nullptr)) SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

}  // namespace

INT_PTR CALLBACK SplashDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED:
      return AnswerDpiChanged(dialog, lParam);
    case WM_INITDIALOG:
      OnInitDialog(dialog, lParam);
      return TRUE;
    case WM_TIMER:
      if (wParam != kSplashTimer) return FALSE;
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        KillTimer(dialog, kSplashTimer);
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR ShowSplash(HWND owner, int displayMs) {
  return DialogBoxParamA(AppState.instance, "SPLASHDIALOG", owner, SplashDlgProc, displayMs);
}
