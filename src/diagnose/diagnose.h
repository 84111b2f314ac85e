// The diagnosis as the program offers it: one run logged line by line, the fixes, the
// command-line option and the dialog. Main thread.
#pragma once

#include <windows.h>

#include "diagnose/diagnosis.h"

// Sent to the window that asked for the power report: lParam is the report's text
// (malloc'd, the receiver frees it).
constexpr UINT kDiagnoseReportMessage = WM_APP + 1;
// Sent by a second start's "kill diagnose" to the running copy's main window (the
// diagnosis's block of private messages is WM_APP + 500..509): the running copy logs its
// report and answers 1. The second start waits for the answer this long.
constexpr UINT kDiagnoseHandOffMessage = WM_APP + 500;
constexpr DWORD kDiagnoseHandOffWaitMs = 10000;

// Gathers and judges the facts and logs "Diagnose: <id>: <state>: <text>" per check.
void RunDiagnosis(Diagnosis* diagnosis);
// Carries out the fix of one check; false when nothing was done (declined, not offered,
// failed). The power report is gathered on a worker and sent to `owner` when done.
bool ApplyDiagnosisFix(HWND owner, const Diagnosis& diagnosis, CheckId id);
// The command-line option. With a copy running, that copy diagnoses itself: with "kill"
// it logs its report while this process waits, otherwise its dialog opens. With none,
// this process logs the report and, unless it is to end at once, opens the dialog.
void DiagnoseFromCommandLine();
// kDiagnoseHandOffMessage in the running copy: logs the report; returns 1.
LRESULT OnDiagnoseHandOff();
void ShowDiagnoseDialog(HWND owner);
