// The update scheduler: a quiet check at once, then again after randomised waits. The
// waits are a timer of the main window and each check runs on a worker of its own that
// ends with it, so no thread sits idle for days.
#pragma once

#include <windows.h>

constexpr UINT kUpdateCheckedMessage = WM_APP + 471;  // wParam: the check's result
constexpr UINT_PTR kTimerUpdateCheck = 930;

// Seconds to wait after a check with this result (1 newer, 0 none, else failed).
int UpdateWaitSeconds(int checkResult);
// The same wait in milliseconds, as the timer is set.
unsigned long UpdateWaitMilliseconds(int checkResult);
// Starts one quiet check on a worker, which posts kUpdateCheckedMessage to `window`.
void StartScheduledUpdateCheck(HWND window);
// After a reload of the policies: starts the round again when a policy had stopped it and
// no longer does.
void StartScheduledUpdateCheckIfStopped(HWND window);
// kUpdateCheckedMessage: sets the timer for the next check.
void OnUpdateChecked(HWND window, int checkResult);
// kTimerUpdateCheck: the wait is over.
void OnUpdateTimer(HWND window);
