// "Dozelite - Why Isn't My Saver Starting?": the checks of one diagnosis, the chosen
// check's whole text and its fix. After a fix the diagnosis runs again, so the list
// shows what the fix changed; the power report arrives later from its worker and opens
// in the text dialog.
#include <cstdlib>
#include <cstring>

#include "diagnose/diagnose.h"
#include "dialogs/splash_dialog.h"
#include "language/dialog_fit.h"
#include "language/translate.h"
#include "log/log.h"
#include "resources/diagnose_dialog_ids.h"
#include "shell/text_helpers.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

// The report copied keeps the English title; the dialog shows it translated.
constexpr const char* kTitle = TrNoop("Dozelite - Why Isn't My Saver Starting?");
constexpr int kReportSize = kCheckCount * (kCheckTextSize + 64) + 128;
// Tab stops of the list in dialog units: the id, the state, then the text.
constexpr int kTabStops[] = {92, 130};

Diagnosis shown;             // the diagnosis in the open dialog (one at most: it opens once)
bool reportPending = false;  // the power report is on its way: one at a time

LRESULT SendList(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendDlgItemMessageA(dialog, IDC_DIAGNOSE_LIST, message, wParam, lParam);
}

int SelectedCheck(HWND dialog) {
  LRESULT index = SendList(dialog, LB_GETCURSEL);
  return index >= 0 && index < kCheckCount ? static_cast<int>(index) : -1;
}

void ShowSelected(HWND dialog) {
  int index = SelectedCheck(dialog);
  const CheckResult* check = index >= 0 ? &shown.checks[index] : nullptr;
  SetDlgItemTextA(dialog, IDC_DIAGNOSE_DETAIL, check ? check->shown : "");
  const char* label = check ? FixLabel(check->fix) : nullptr;
  SetDlgItemTextA(dialog, IDC_DIAGNOSE_FIX, Tr(label ? label : "&Fix"));
  EnableWindow(GetDlgItem(dialog, IDC_DIAGNOSE_FIX), label != nullptr && !reportPending);
}

// Runs the diagnosis and lists it; the selection stays on `keep`, or else goes to the
// first problem that has a fix, or the first line.
void Refresh(HWND dialog, int keep) {
  RunDiagnosis(&shown);
  SendList(dialog, LB_RESETCONTENT);
  int first = -1;
  for (int i = 0; i < kCheckCount; i++) {
    const CheckResult& check = shown.checks[i];
    char line[kCheckTextSize + 256];
    CopyText(line, Tr(CheckIdName(check.id)), sizeof(line));
    AppendText(line, "\t", sizeof(line));
    AppendText(line, Tr(CheckStateName(check.state)), sizeof(line));
    AppendText(line, "\t", sizeof(line));
    AppendText(line, check.shown, sizeof(line));
    SendList(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    if (first < 0 && check.state == CheckState::kProblem && check.fix != FixKind::kNone) first = i;
  }
  int selected = keep >= 0 ? keep : (first >= 0 ? first : 0);
  SendList(dialog, LB_SETCURSEL, static_cast<WPARAM>(selected));
  ShowSelected(dialog);
}

void CopyReport(HWND dialog) {
  char* report = static_cast<char*>(malloc(kReportSize));
  if (!report) return;
  CopyText(report, kTitle, kReportSize);
  AppendText(report, "\r\n", kReportSize);
  size_t used = strlen(report);
  FormatDiagnosisReport(shown, report + used, static_cast<int>(kReportSize - used));
  size_t bytes = strlen(report) + 1;
  bool copied = false;
  if (OpenClipboard(dialog)) {
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (target) {
      memcpy(target, report, bytes);
      GlobalUnlock(memory);
      copied = SetClipboardData(CF_TEXT, memory) != nullptr;
    }
    if (!copied && memory) GlobalFree(memory);  // the clipboard owns it only once set
    CloseClipboard();
  }
  if (!copied) LogLastError(kLogLogOnly, "Diagnose: the report could not be copied");
  free(report);
}

// The dialog is laid out for the longest of the Fix button's captions in the language in
// use, so that choosing another check never clips it.
void FitFixCaptions(HWND dialog) {
  const FixKind kinds[] = {FixKind::kSwitchSaverOn, FixKind::kPickRandomSaver, FixKind::kSetTimeoutBelowDisplay,
                           FixKind::kEndDisablePeriod, FixKind::kOpenHoldOffSettings, FixKind::kFindDisplayRequests};
  for (FixKind kind : kinds) {
    SetDlgItemTextA(dialog, IDC_DIAGNOSE_FIX, Tr(FixLabel(kind)));
    FitDialogToTexts(dialog);
  }
}

void OnInitDialog(HWND dialog) {
  TranslateDialog(dialog);
  FitFixCaptions(dialog);
  SetWindowTextA(dialog, Tr(kTitle));
  reportPending = false;  // a report for a dialog closed earlier is dropped on arrival
  SendList(dialog, LB_SETTABSTOPS, sizeof(kTabStops) / sizeof(kTabStops[0]),
           reinterpret_cast<LPARAM>(kTabStops));
  Refresh(dialog, -1);
  CenterWindow(dialog);
}

void OnFix(HWND dialog) {
  int index = SelectedCheck(dialog);
  if (index < 0) return;
  bool report = shown.checks[index].fix == FixKind::kFindDisplayRequests;
  if (!ApplyDiagnosisFix(dialog, shown, static_cast<CheckId>(index))) return;
  if (report) {
    reportPending = true;
    ShowSelected(dialog);
  } else {
    Refresh(dialog, index);
  }
}

void OnReport(HWND dialog, char* text) {
  reportPending = false;
  HINSTANCE module = AppState.instance ? AppState.instance : GetModuleHandleA(nullptr);
  DialogBoxParamA(module, "TEXTDIALOG", dialog, TextDlgProc, reinterpret_cast<LPARAM>(text ? text : ""));
  free(text);
  ShowSelected(dialog);
}

// A report still on its way when the dialog closes is dropped with its text.
void OnDestroy(HWND dialog) {
  MSG message;
  while (PeekMessageA(&message, dialog, kDiagnoseReportMessage, kDiagnoseReportMessage, PM_REMOVE))
    free(reinterpret_cast<char*>(message.lParam));
}

INT_PTR CALLBACK DiagnoseDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      NameListsFromLabels(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_DIAGNOSE_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) ShowSelected(dialog);
          return TRUE;
        case IDC_DIAGNOSE_FIX:
          OnFix(dialog);
          return TRUE;
        case IDC_DIAGNOSE_COPY:
          CopyReport(dialog);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    case kDiagnoseReportMessage:
      OnReport(dialog, reinterpret_cast<char*>(lParam));
      return TRUE;
    case WM_DESTROY:
      OnDestroy(dialog);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void ShowDiagnoseDialog(HWND owner) {
  HINSTANCE module = AppState.instance ? AppState.instance : GetModuleHandleA(nullptr);
  ShowDialogOnce(module, owner, "DIAGNOSEDIALOG", DiagnoseDlgProc, Tr(kTitle), nullptr, 0);
}
