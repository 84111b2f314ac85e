// One diagnosis run, written to the log, and the command-line option that asks for it.
#include "diagnose/diagnose.h"

#include "diagnose/diagnosis_facts.h"
#include "log/log.h"
#include "state/app_state.h"
#include "state/commands.h"

void RunDiagnosis(Diagnosis* diagnosis) {
  DiagnosisFacts facts;
  GatherDiagnosisFacts(&facts);
  EvaluateDiagnosis(facts, diagnosis);
  for (const CheckResult& check : diagnosis->checks)
    LogMessage(kLogLogOnly, "Diagnose: %s: %s: %s", CheckIdName(check.id), CheckStateName(check.state), check.text);
}

// Another instance's main window shows the dialog when one runs: this process is about
// to hand over to it and end.
void DiagnoseFromCommandLine() {
  Diagnosis diagnosis;
  RunDiagnosis(&diagnosis);
  if (AppState.kill) return;
  HWND own = AppState.mainWindow;
  HWND target = own;
  for (HWND window = FindWindowExA(nullptr, nullptr, kWindowClassName, kWindowTitle); window;
       window = FindWindowExA(nullptr, window, kWindowClassName, kWindowTitle)) {
    if (window != own) {
      target = window;
      break;
    }
  }
  if (target) PostMessageA(target, WM_COMMAND, kCmdDiagnose, kSourceHandOff);
}
