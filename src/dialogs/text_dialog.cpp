// The text dialog: the program's identity above a read-only text, used to show the log.
// The caller owns the text and frees it after the dialog returns.
#include "dialogs/splash_dialog.h"

#include "language/translate.h"
#include "resources/text_dialog_ids.h"
#include "shell/dpi.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

void OnInitDialog(HWND dialog, const char* text) {
  TranslateDialog(dialog);
  SetDlgItemTextA(dialog, IDC_TEXT_VERSION, AppState.versionText);
  SetDlgItemTextA(dialog, IDC_TEXT_LEGAL, AppState.legalText);
  // The default limit is meant for typing; a long log must show whole.
  SendDlgItemMessageA(dialog, IDC_TEXT_FIELD, EM_SETLIMITTEXT, 0, 0);
  SendDlgItemMessageA(dialog, IDC_TEXT_FIELD, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
  CenterWindow(dialog);
}

}  // namespace

INT_PTR CALLBACK TextDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED:
      return AnswerDpiChanged(dialog, lParam);
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}
