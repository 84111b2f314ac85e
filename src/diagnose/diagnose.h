// The diagnosis as the program offers it: one run logged line by line, the fixes, the
// command-line option and the dialog. Main thread.
#pragma once

#include <windows.h>

#include "diagnose/diagnosis.h"

// Sent to the window that asked for the power report: lParam is the report's text
// (malloc'd, the receiver frees it).
constexpr UINT kDiagnoseReportMessage = WM_APP + 1;
constexpr DWORD kElevatedWaitMs = 120000;  // the user may take a while to answer the elevation prompt

// Gathers and judges the facts and logs "Diagnose: <id>: <state>: <text>" per check.
void RunDiagnosis(Diagnosis* diagnosis);
// Carries out the fix of one check; false when nothing was done (declined, not offered,
// failed). The power report is gathered on a worker and sent to `owner` when done.
bool ApplyDiagnosisFix(HWND owner, const Diagnosis& diagnosis, CheckId id);
// The command-line option: logs the report; unless the process is to end at once, the
// dialog opens (in the running instance when there is one).
void DiagnoseFromCommandLine();
void ShowDiagnoseDialog(HWND owner);
