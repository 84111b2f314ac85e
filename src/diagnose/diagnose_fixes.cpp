// The fixes the diagnosis offers. Each changes only what its check names, through the
// program's own operations, so the tray icon, the log and the registry follow as they do
// for the menu commands. The power report needs elevation and may wait on the user: a
// worker runs it and sends the text to the asking window (power_report.cpp).
#include <cstdio>
#include <cstdlib>

#include "diagnose/diagnose.h"
#include "diagnose/power_report.h"
#include "language/duration_text.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/saver_operations.h"

namespace {

bool SetTimeoutBelowDisplay(HWND owner, int seconds) {
  if (seconds <= 0) return false;
  char duration[96];
  FormatDurationText(duration, sizeof(duration), static_cast<uint32_t>(seconds) * 1000u);
  char question[512];
  // Translators: %s is a duration.
  snprintf(question, sizeof(question), Tr("Set the saver timeout to %s, one minute before the display turns off?"),
           duration);
  if (MessageBoxEntry(owner, question, kProductName, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  SetSaverTimeout(seconds);
  return true;
}

}  // namespace

bool ApplyDiagnosisFix(HWND owner, const Diagnosis& diagnosis, CheckId id) {
  int index = static_cast<int>(id);
  if (index < 0 || index >= kCheckCount) return false;
  FixKind fix = diagnosis.checks[index].fix;
  LogMessage(kLogLogOnly, "Diagnose: fixing %s", CheckIdName(id));
  switch (fix) {
    case FixKind::kNone:
      return false;
    case FixKind::kSwitchSaverOn:
      return EnableSaver(true) != 0;
    case FixKind::kPickRandomSaver:
      if (ChooseRandomSaver()) return true;
      MessageBoxEntry(owner, Tr("There is no screen saver to choose from."), kProductName, MB_OK | MB_ICONINFORMATION);
      return false;
    case FixKind::kSetTimeoutBelowDisplay:
      return SetTimeoutBelowDisplay(owner, diagnosis.fixTimeoutSeconds);
    case FixKind::kEndDisablePeriod:
      return DisableSaverTimeout(0) != 0;
    case FixKind::kOpenHoldOffSettings: {
      HWND main = AppState.mainWindow;
      return main && PostMessageA(main, WM_COMMAND, kCmdHoldOffPrograms, kSourceMenu);
    }
    case FixKind::kFindDisplayRequests:
      return StartPowerReport(owner);
  }
  return false;
}
