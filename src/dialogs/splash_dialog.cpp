// The splash dialog: the program's identity for a few seconds at start-up, and without
// a time limit as the About box. Any click, Enter or Escape closes it.
#include "dialogs/splash_dialog.h"

#include <cstdio>

#include "build_config.h"
#include "language/dialog_fit.h"
#include "language/translate.h"
#include "resources/splash_dialog_ids.h"
#include "shell/dpi.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

constexpr UINT_PTR kSplashTimer = 123;

// The dialog's own text for id 0, else the control's.
void SetItemFormatted(HWND dialog, int id, const char* format, const char* argument) {
  char text[512];
  snprintf(text, sizeof(text), format, argument);
  if (id == 0)
    SetWindowTextA(dialog, text);
  else
    SetDlgItemTextA(dialog, id, text);
}

void OnInitDialog(HWND dialog, LPARAM displayMs) {
  TranslateDialog(dialog);
  // Translators: the title of the splash window; %s is the product name.
  SetItemFormatted(dialog, 0, Tr("%s (splash)"), kProductName);
  // Translators: %s is the support e-mail address.
  SetItemFormatted(dialog, IDC_SPLASH_EMAIL, Tr("email: %s"), DOZELITE_SUPPORT_EMAIL);
  // Translators: %s is the web address.
  SetItemFormatted(dialog, IDC_SPLASH_WEBSITE, Tr("website: %s"), DOZELITE_WEB_URL);
  FitDialogToTexts(dialog);  // the addresses' labels come after TranslateDialog's fit
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
