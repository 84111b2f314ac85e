// The update scheduler: an automatic (quiet) check at start, then a wait of 6.5 to 7.5
// days when up to date, 11 to 13 hours after a newer version was reported and 5 to 7
// hours after a failure. The waits are computed on the main thread (rand() of the main
// thread); a wait of at most 7.5 days fits one timer.
//
// The worker only exchanges with the endpoint; the main thread shows the outcome. A
// menu request that comes while the check runs does not start a second exchange after
// it: it joins, and the outcome, when it arrives by message, is shown as the menu's own.
// The joined request waits no longer than the running check's own deadline (the HTTP
// deadline from the check's start, and a little more); past it, the user gets an error.
#include "update/update_scheduler.h"

#include <cstdlib>
#include <new>

#include "build_config.h"
#include "language/text.h"
#include "log/log.h"
#include "settings/policy_store.h"
#include "shell/text_helpers.h"
#include "update/http_client.h"
#include "update/update_check.h"

namespace {

constexpr SIZE_T kCheckStack = 256 * 1024;
constexpr int kEndpointSize = 1024;
constexpr int kKeySize = 129;
constexpr DWORD kJoinGraceMs = 5000;      // the worker's post and the main thread's turn
constexpr DWORD kNoDeadlineJoinMs = 150000;  // when exchanges have no deadline at all
constexpr const char* kJoinTimedOut = TrNoop("the server did not answer in time");

struct ScheduledCheck {
  HWND window = nullptr;
  char endpoint[kEndpointSize] = "";
  char publicKeyHex[kKeySize] = "";
  UpdateCheckOutcome outcome;
};

// Main thread only.
bool checkRunning = false;
bool menuJoined = false;
DWORD checkStartTick = 0;

bool stoppedByPolicy = false;  // main thread

DWORD WINAPI UpdateCheckWorker(LPVOID parameter) {
  auto* check = static_cast<ScheduledCheck*>(parameter);
  if (BeginUpdateCheck()) {
    RunUpdateExchange(check->endpoint, check->publicKeyHex, &check->outcome);
    EndUpdateCheck();
  } else {
    check->outcome.result = -1;  // another check runs: this turn is skipped
    check->outcome.failure = TrNoop("another update check is running");
  }
  if (!PostMessageA(check->window, kUpdateCheckedMessage, 0, reinterpret_cast<LPARAM>(check))) delete check;
  return 0;
}

// How long after the check's start a joined request still waits.
DWORD JoinLimitMs() {
  int deadline = GetHttpDeadline();
  return deadline > 0 ? static_cast<DWORD>(deadline) + kJoinGraceMs : kNoDeadlineJoinMs;
}

void EndJoin(HWND window) {
  menuJoined = false;
  KillTimer(window, kTimerUpdateJoin);
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
void StartScheduledUpdateCheckAt(HWND window, const char* endpoint, const char* publicKeyHex) {
  stoppedByPolicy = !UpdateCheckAllowed();
  if (stoppedByPolicy) {
    LogMessage(kLogLogOnly, "Policy: updatecheck is set by your organisation");
    return;
  }
  auto* check = new (std::nothrow) ScheduledCheck;
  HANDLE thread = nullptr;
  if (check) {
    check->window = window;
    CopyText(check->endpoint, endpoint, sizeof(check->endpoint));
    CopyText(check->publicKeyHex, publicKeyHex, sizeof(check->publicKeyHex));
    checkRunning = true;
    checkStartTick = GetTickCount();
    thread = CreateThread(nullptr, kCheckStack, UpdateCheckWorker, check, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  }
  if (thread) {
    CloseHandle(thread);
    return;
  }
  checkRunning = false;
  delete check;
  SetTimer(window, kTimerUpdateCheck, static_cast<UINT>(UpdateWaitMilliseconds(-1)), nullptr);  // as after a failure
}

void StartScheduledUpdateCheck(HWND window) {
  StartScheduledUpdateCheckAt(window, DOZELITE_UPDATE_URL, DOZELITE_UPDATE_PUBLIC_KEY);
}

// The longest wait, 7.5 days, is 648,000,000 ms: well inside a DWORD.
unsigned long UpdateWaitMilliseconds(int checkResult) {
  return static_cast<unsigned long>(UpdateWaitSeconds(checkResult)) * 1000ul;
}

int OnUpdateChecked(HWND window, LPARAM job) {
  auto* check = reinterpret_cast<ScheduledCheck*>(job);
  if (!check) return -1;
  UpdateCheckOutcome outcome = check->outcome;
  delete check;
  checkRunning = false;
  bool interactive = menuJoined;
  if (interactive) EndJoin(window);
  SetTimer(window, kTimerUpdateCheck, static_cast<UINT>(UpdateWaitMilliseconds(outcome.result)), nullptr);
  ShowUpdateOutcome(outcome, interactive);
  return outcome.result;
}

void OnUpdateTimer(HWND window) {
  KillTimer(window, kTimerUpdateCheck);
  StartScheduledUpdateCheck(window);
}

void StartScheduledUpdateCheckIfStopped(HWND window) {
  if (stoppedByPolicy && UpdateCheckAllowed()) StartScheduledUpdateCheck(window);
}

// A check past its own limit whose outcome never came (its message was lost) is not
// joined: the menu runs a check of its own.
bool JoinScheduledUpdateCheck(HWND window) {
  if (!checkRunning) return false;
  if (menuJoined) return true;
  DWORD waited = GetTickCount() - checkStartTick;
  DWORD limit = JoinLimitMs();
  if (waited >= limit) return false;
  if (!SetTimer(window, kTimerUpdateJoin, static_cast<UINT>(limit - waited), nullptr)) return false;
  menuJoined = true;
  LogMessage(kLogLogOnly, "CheckForServerUpdates: joining the check that is running");
  return true;
}

bool IsScheduledUpdateCheckJoined() { return menuJoined; }

void OnUpdateJoinTimer(HWND window) {
  bool joined = menuJoined;
  EndJoin(window);
  if (!joined) return;
  UpdateCheckOutcome late;
  late.result = -1;
  late.failure = kJoinTimedOut;
  ShowUpdateOutcome(late, true);
}
