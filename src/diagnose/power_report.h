// The system's power report ("powercfg /requests": which programs keep the display on).
// It needs administrator rights: a copy of the program started elevated runs powercfg.exe
// itself, reads its output through a pipe and hands the text back in a message.
#pragma once

#include <windows.h>

constexpr DWORD kPowerReportRunMs = 30000;  // the elevated copy ends powercfg after this
// The asking side waits this long once the elevated copy has started (the prompt is
// answered by then): the run, the hand-back and a margin.
constexpr DWORD kPowerReportWaitMs = kPowerReportRunMs + 15000;
constexpr DWORD kLongestPowerReport = 256 * 1024;  // more than powercfg ever writes

// Starts the report on a worker; the text arrives at `owner` as kDiagnoseReportMessage
// (malloc'd, the receiver frees it). False when it could not be started.
bool StartPowerReport(HWND owner);

// The elevated copy: its command line is "powerreport=<window>.<nonce>", numbers only, so
// nothing of the user's environment reaches what it runs.
bool IsPowerReportHandOff(const char* commandLine);
// Runs `program` (a full path) with `arguments`, its output and errors through a pipe, for
// at most `runMs`, and sends the text to the window named on the command line. The
// process's exit code: 0 when the report was handed back.
int RunPowerReportHandOff(const char* commandLine, const char* program, const char* arguments, DWORD runMs);
// The same with powercfg.exe from the system folder and "/requests".
int RunPowerReportHandOff(const char* commandLine);
