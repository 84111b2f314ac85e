// The update scheduler: an automatic (quiet) check at start, then a wait of 6.5 to 7.5
// days when up to date, 11 to 13 hours after a newer version was reported and 5 to 7
// hours after a failure. The waits are computed on the main thread (rand() of the main
// thread); a wait of at most 7.5 days fits one timer.
#include "update/update_scheduler.h"

#include <cstdlib>

#include "log/log.h"
#include "settings/policy_store.h"
#include "update/update_check.h"

namespace {

constexpr SIZE_T kCheckStack = 256 * 1024;

bool stoppedByPolicy = false;  // main thread

DWORD WINAPI UpdateCheckWorker(LPVOID parameter) {
  int result = CheckForServerUpdates(false);
  PostMessageA(static_cast<HWND>(parameter), kUpdateCheckedMessage, static_cast<WPARAM>(result), 0);
  return 0;
}

}  // namespace

int UpdateWaitSeconds(int checkResult) {
  if (checkResult == 0) {
    int hours = rand() % 24;
    int seconds = rand() % 3600;
    return 156 * 3600 + hours * 3600 + seconds;
  }
  if (checkResult == 1) return 39600 + rand() % 7200;
  return 18000 + rand() % 7200;
}

// With the check turned off by policy no check and no timer are started, which ends the
// round until StartScheduledUpdateCheckIfStopped finds it allowed again.
void StartScheduledUpdateCheck(HWND window) {
  stoppedByPolicy = !UpdateCheckAllowed();
  if (stoppedByPolicy) {
    LogMessage(kLogLogOnly, "Policy: updatecheck is set by your organisation");
    return;
  }
  HANDLE thread = CreateThread(nullptr, kCheckStack, UpdateCheckWorker, window, STACK_SIZE_PARAM_IS_A_RESERVATION,
                               nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    OnUpdateChecked(window, -1);  // try again after the wait of a failure
  }
}

// The longest wait, 7.5 days, is 648,000,000 ms: well inside a DWORD.
unsigned long UpdateWaitMilliseconds(int checkResult) {
  return static_cast<unsigned long>(UpdateWaitSeconds(checkResult)) * 1000ul;
}

void OnUpdateChecked(HWND window, int checkResult) {
  SetTimer(window, kTimerUpdateCheck, static_cast<UINT>(UpdateWaitMilliseconds(checkResult)), nullptr);
}

void OnUpdateTimer(HWND window) {
  KillTimer(window, kTimerUpdateCheck);
  StartScheduledUpdateCheck(window);
}

void StartScheduledUpdateCheckIfStopped(HWND window) {
  if (stoppedByPolicy && UpdateCheckAllowed()) StartScheduledUpdateCheck(window);
}
