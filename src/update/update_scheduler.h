// The update scheduler: a quiet check at once, then again after randomised waits. The
// waits are a timer of the main window and each check runs on a worker of its own that
// ends with it, so no thread sits idle for days. A check asked for from the menu while
// the automatic one runs joins it and shows its outcome.
#pragma once

#include <windows.h>

constexpr UINT kUpdateCheckedMessage = WM_APP + 471;  // lParam: the check's job, freed by OnUpdateChecked
constexpr UINT_PTR kTimerUpdateCheck = 930;
constexpr UINT_PTR kTimerUpdateJoin = 931;  // the joined menu request's deadline

// Seconds to wait after a check with this result (1 newer, 0 none, else failed).
int UpdateWaitSeconds(int checkResult);
// The same wait in milliseconds, as the timer is set.
unsigned long UpdateWaitMilliseconds(int checkResult);
// Starts one quiet check on a worker, which posts kUpdateCheckedMessage to `window`.
void StartScheduledUpdateCheck(HWND window);
void StartScheduledUpdateCheckAt(HWND window, const char* endpoint, const char* publicKeyHex);
// After a reload of the policies: starts the round again when a policy had stopped it and
// no longer does.
void StartScheduledUpdateCheckIfStopped(HWND window);
// kUpdateCheckedMessage: shows the outcome (to the user when a menu request joined) and
// sets the timer for the next check. Returns the check's result.
int OnUpdateChecked(HWND window, LPARAM job);
// kTimerUpdateCheck: the wait is over.
void OnUpdateTimer(HWND window);
// The menu's request while the automatic check runs: true when it joined (the outcome
// is shown when it arrives, or an error at the deadline of that check); false when no
// automatic check runs. Main thread.
bool JoinScheduledUpdateCheck(HWND window);
bool IsScheduledUpdateCheckJoined();
// kTimerUpdateJoin: the joined check did not end within its deadline.
void OnUpdateJoinTimer(HWND window);
