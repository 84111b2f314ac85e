// The timeout dialog: a duration in hours, minutes and seconds, used for the saver
// timeout and for a temporary disable period. It takes seconds and returns seconds.
#include "dialogs/timeout_dialog.h"

#include <cstdint>
#include <cstdio>

#include "language/translate.h"
#include "log/log.h"
#include "resources/timeout_dialog_ids.h"
#include "shell/dpi.h"
#include "shell/duration.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

// Translators: the title of the timer dialog; %s is the product name.
constexpr const char* kTitleFormat = TrNoop("%s Timer Setting");
constexpr int kFieldSize = 20;  // characters read from each field, terminator included
// The largest duration the 32-bit millisecond arithmetic can carry: longer totals are
// limited to it rather than wrapped.
constexpr uint64_t kMaxDurationMs = 0xFFFFFFFFu;

// A field as a decimal count: leading blanks and digits are read, anything else ends the
// number; an empty, non-numeric or negative field counts 0. Large values saturate
// instead of overflowing, so the total can be limited correctly.
uint64_t ReadField(HWND dialog, int id) {
  char text[kFieldSize];
  text[0] = 0;
  GetDlgItemTextA(dialog, id, text, sizeof(text));
  const char* at = text;
  while (*at == ' ' || *at == '\t') ++at;
  if (*at == '-') return 0;
  if (*at == '+') ++at;
  uint64_t value = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    value = value * 10 + static_cast<uint64_t>(*at - '0');
    if (value > kMaxDurationMs) return kMaxDurationMs + 1;
  }
  return value;
}

void SetField(HWND dialog, int id, int value) {
  char text[kFieldSize];
  snprintf(text, sizeof(text), "%d", value);
  SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, kFieldSize - 1, 0);  // no more than is read back
  SetDlgItemTextA(dialog, id, text);
}

void OnInitDialog(HWND dialog, LPARAM parameter) {
  TranslateDialog(dialog);
  char title[256];
  snprintf(title, sizeof(title), Tr(kTitleFormat), kProductName);
  SetWindowTextA(dialog, title);

  // A stored duration too long for the millisecond split is shown split in seconds, so
  // the fields never show a wrapped value.
  int64_t seconds = static_cast<int64_t>(parameter);
  if (seconds < 0) seconds = 0;
  int hours, minutes, rest;
  if (static_cast<uint64_t>(seconds) * 1000u <= kMaxDurationMs) {
    SplitDuration(static_cast<uint32_t>(seconds * 1000), &hours, &minutes, &rest, nullptr);
  } else {
    hours = static_cast<int>(seconds / 3600);
    minutes = static_cast<int>(seconds % 3600 / 60);
    rest = static_cast<int>(seconds % 60);
  }
  SetField(dialog, IDC_TIMEOUT_HOURS, hours);
  SetField(dialog, IDC_TIMEOUT_MINUTES, minutes);
  SetField(dialog, IDC_TIMEOUT_SECONDS, rest);
  CenterWindow(dialog);
}

void OnOk(HWND dialog) {
  uint64_t total = MakeDuration(ReadField(dialog, IDC_TIMEOUT_HOURS), ReadField(dialog, IDC_TIMEOUT_MINUTES),
                                ReadField(dialog, IDC_TIMEOUT_SECONDS), 0);
  if (total > kMaxDurationMs) {
    LogMessage(kLogLogOnly, "ShowTimeOutDialog: duration limited to %d seconds",
               static_cast<int>(kMaxDurationMs / 1000));
    total = kMaxDurationMs;
  }
  EndDialog(dialog, static_cast<INT_PTR>(total / 1000));
}

}  // namespace

INT_PTR CALLBACK TimeOutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED:
      return AnswerDpiChanged(dialog, lParam);
    case WM_INITDIALOG:
      OnInitDialog(dialog, lParam);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOk(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

int ShowTimeOutDialog(HWND owner, int seconds) {
  LogMessage(kLogLogOnly, "ShowTimeOutDialog");
  char title[256];
  snprintf(title, sizeof(title), Tr(kTitleFormat), kProductName);
  // The open dialog answers the first request; this one only brings it to the front.
  bool alreadyOpen = FindWindowA("#32770", title) != nullptr;
  INT_PTR result = ShowDialogOnce(AppState.instance, owner, "TIMEOUTDIALOG", TimeOutDlgProc, Tr(kTitleFormat),
                                  kProductName, seconds);
  if (alreadyOpen || result < 0) return 0;
  return static_cast<int>(result);
}
