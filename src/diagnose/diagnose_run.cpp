// One diagnosis run, written to the log, and the command-line option that asks for it.
// Only the running copy knows its holds and its disable period, so a second start hands
// the request over rather than diagnosing a process that holds nothing.
#include "diagnose/diagnose.h"

#include "diagnose/diagnosis_facts.h"
#include "log/log.h"
#include "state/app_state.h"
#include "state/commands.h"

namespace {

// The main window of another copy of the program, or null.
HWND OtherRunningCopy() {
  HWND own = AppState.mainWindow;
  for (HWND window = FindWindowExA(nullptr, nullptr, kWindowClassName, kWindowTitle); window;
       window = FindWindowExA(nullptr, window, kWindowClassName, kWindowTitle)) {
    if (window != own) return window;
  }
  return nullptr;
}

// The running copy writes the report to its log; this process waits for it to finish
// (it answers sent messages in its menus and dialogs too), at most the hand-off wait.
void HandDiagnosisOver(HWND running) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(running, kDiagnoseHandOffMessage, 0, 0, SMTO_NORMAL, kDiagnoseHandOffWaitMs, &answer) &&
      answer == 1)
    LogMessage(kLogLogOnly, "Diagnose: the running copy wrote its report to its log");
  else
    LogMessage(kLogLogOnly, "Diagnose: the running copy did not report within %d seconds",
               static_cast<int>(kDiagnoseHandOffWaitMs / 1000));
}

}  // namespace

void RunDiagnosis(Diagnosis* diagnosis) {
  DiagnosisFacts facts;
  GatherDiagnosisFacts(&facts);
  EvaluateDiagnosis(facts, diagnosis);
  for (const CheckResult& check : diagnosis->checks)
    LogMessage(kLogLogOnly, "Diagnose: %s: %s: %s", CheckIdName(check.id), CheckStateName(check.state), check.text);
}

void DiagnoseFromCommandLine() {
  HWND running = OtherRunningCopy();
  if (running && AppState.kill) {
    HandDiagnosisOver(running);
    return;
  }
  if (running) {
    PostMessageA(running, WM_COMMAND, kCmdDiagnose, kSourceHandOff);  // its dialog logs the report
    return;
  }
  Diagnosis diagnosis;
  RunDiagnosis(&diagnosis);
  if (!AppState.kill && AppState.mainWindow)
    PostMessageA(AppState.mainWindow, WM_COMMAND, kCmdDiagnose, kSourceHandOff);
}

LRESULT OnDiagnoseHandOff() {
  LogMessage(kLogLogOnly, "Diagnose: asked for by another start");
  Diagnosis diagnosis;
  RunDiagnosis(&diagnosis);
  return 1;
}
