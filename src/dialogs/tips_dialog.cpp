// The tips dialog: one tip of the day at a time from the string table, a "Next Tip"
// button and the "show at start-up" box. Each tip shown advances the stored tip number,
// which wraps after the last tip; closing the dialog saves it.
#include "dialogs/tips_dialog.h"

#include <cstdio>

#include "language/translate.h"
#include "log/log.h"
#include "resources/tips_dialog_ids.h"
#include "settings/settings_store.h"
#include "shell/dpi.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

// Translators: the title of the tips dialog; %s is the product name.
constexpr const char* kTitleFormat = TrNoop("%s Tip of the Day");
constexpr int kTipSize = 1024;  // a tip in bytes, as the string table gives it in UTF-8
// Tip numbers beyond the string table's id range are taken as "none shown yet".
constexpr int kMaxTipNumber = 0xFFFF;

// The dialog's parameter (-1: the tip of the day) and the fonts made for it; one tips
// dialog exists at a time.
int tipsParameter = -1;
HFONT headingFont = nullptr;
HFONT tipFont = nullptr;

int ControlHeight(HWND dialog, int id) {
  RECT area = {};
  GetClientRect(GetDlgItem(dialog, id), &area);
  return area.bottom - area.top;
}

HFONT GiveFont(HWND dialog, int id, int height, int weight, DWORD pitchAndFamily) {
  HFONT font = CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, pitchAndFamily, nullptr);
  if (font) SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return font;
}

void DeleteFonts() {
  for (HFONT* font : {&headingFont, &tipFont}) {
    if (*font) DeleteObject(*font);
    *font = nullptr;
  }
}

// The fonts follow the controls' heights, which the dialog units scale with the DPI; the
// old fonts go only after the controls hold the new ones.
void GiveFonts(HWND dialog) {
  HFONT oldHeading = headingFont;
  HFONT oldTip = tipFont;
  headingFont = GiveFont(dialog, IDC_TIPS_HEADING, ControlHeight(dialog, IDC_TIPS_HEADING), FW_BOLD, FF_ROMAN);
  tipFont = GiveFont(dialog, IDC_TIPS_TEXT, (ControlHeight(dialog, IDC_TIPS_TEXT) + 1) / 8, 0, 0);
  if (oldHeading) DeleteObject(oldHeading);
  if (oldTip) DeleteObject(oldTip);
}

void ShowNextTip(HWND dialog) {
  char tip[kTipSize];
  tip[0] = 0;
  if (AppState.tipnumber < 0 || AppState.tipnumber >= kMaxTipNumber) AppState.tipnumber = 0;
  if (LoadStringA(AppState.instance, AppState.tipnumber + 1, tip, sizeof(tip)) <= 0) {
    AppState.tipnumber = 0;
    tip[0] = 0;
    LoadStringA(AppState.instance, IDS_FIRST_TIP, tip, sizeof(tip));
  }
  ++AppState.tipnumber;
  // The string table holds the English tips; the catalogue has them too.
  SetDlgItemTextA(dialog, IDC_TIPS_TEXT, Tr(tip));
}

void OnInitDialog(HWND dialog, LPARAM parameter) {
  TranslateDialog(dialog);
  tipsParameter = static_cast<int>(parameter);
  char title[256];
  snprintf(title, sizeof(title), Tr(kTitleFormat), kProductName);
  SetWindowTextA(dialog, title);
  CenterWindow(dialog);

  GiveFonts(dialog);

  SetDlgItemTextA(dialog, IDC_TIPS_SHOW_AT_STARTUP, Tr("&Show tips at startup"));
  CheckDlgButton(dialog, IDC_TIPS_SHOW_AT_STARTUP, AppState.notips == 0 ? BST_CHECKED : BST_UNCHECKED);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_TIPS_NEXT, BN_CLICKED), 0);
  ShowWindow(GetDlgItem(dialog, IDC_TIPS_NEXT), SW_SHOW);
  // Close takes the first focus: on the check box, a Space meant for the dialog would
  // untick "show tips at startup".
  SetFocus(GetDlgItem(dialog, IDOK));
}

void Close(HWND dialog) {
  SaveSettings();
  // The controls go with the dialog; the fonts they were given are ours to delete.
  DeleteFonts();
  EndDialog(dialog, 0);
}

// Every colour is the system's, so the panel follows a high-contrast scheme: the tip on
// the window colour in the window text colour, the strip and the line in the shadow colour.
INT_PTR OnControlColour(HDC context, HWND control) {
  switch (GetDlgCtrlID(control)) {
    case IDC_TIPS_HEADING:
    case IDC_TIPS_TEXT:
    case IDC_TIPS_PANEL:
      SetTextColor(context, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(context, GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    case IDC_TIPS_ICON:
    case IDC_TIPS_LINE:
    case IDC_TIPS_STRIP:
      SetBkColor(context, GetSysColor(COLOR_BTNSHADOW));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNSHADOW));
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK TipsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, lParam);
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_TIPS_NEXT:
          ShowNextTip(dialog);
          return TRUE;
        case IDOK:
          AppState.notips = IsDlgButtonChecked(dialog, IDC_TIPS_SHOW_AT_STARTUP) == BST_CHECKED ? 0 : 1;
          Close(dialog);
          return TRUE;
        case IDCANCEL:
          Close(dialog);
          return TRUE;
      }
      return FALSE;
    case WM_DPICHANGED:
      AnswerDpiChanged(dialog, lParam);
      GiveFonts(dialog);  // the controls have their new size now
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOLORCHANGE:
      InvalidateRect(dialog, nullptr, TRUE);  // the panel is painted in the new colours
      return FALSE;
  }
  return FALSE;
}

INT_PTR ShowTipsDialog(HWND owner, int tip) {
  LogMessage(kLogLogOnly, "ShowTipsDialog");
  return ShowDialogOnce(AppState.instance, owner, "TIPSDIALOG", TipsDlgProc, Tr(kTitleFormat), kProductName, tip);
}
