// The update check asked for from the menu: the exchange runs on a worker thread so the
// tray, its menu and the hot keys keep answering; the worker posts the outcome to the
// main window, which shows it. The main thread alone starts checks and ends them here,
// so "a menu check is running" needs no lock; the process-wide one-check guard keeps the
// automatic check out at the same time. While the automatic check runs, the menu's
// request joins it (update_scheduler.cpp) instead of waiting to run one of its own.
#include <windows.h>

#include <new>

#include "build_config.h"
#include "log/log.h"
#include "settings/policy_store.h"
#include "shell/text_helpers.h"
#include "state/commands.h"
#include "update/update_check.h"
#include "update/update_scheduler.h"

namespace {

constexpr int kEndpointSize = 1024;
constexpr int kKeySize = 129;

struct UpdateCheckJob {
  HWND window = nullptr;
  char endpoint[kEndpointSize] = "";
  char publicKeyHex[kKeySize] = "";
  UpdateCheckOutcome outcome;
};

bool menuCheckRunning = false;  // main thread only

// The guard was taken for this check on the main thread before the worker started.
DWORD WINAPI UpdateCheckThread(void* parameter) {
  auto* job = static_cast<UpdateCheckJob*>(parameter);
  RunUpdateExchange(job->endpoint, job->publicKeyHex, &job->outcome);
  EndUpdateCheck();
  if (!PostMessageA(job->window, kUpdateCheckDoneMessage, 0, reinterpret_cast<LPARAM>(job))) delete job;
  return 0;
}

}  // namespace

bool StartUpdateCheckAt(HWND window, const char* endpoint, const char* publicKeyHex) {
  if (RefuseLockedCommand(kCmdCheckForUpdates)) return false;
  if (menuCheckRunning || IsScheduledUpdateCheckJoined()) {
    LogMessage(kLogLogOnly, "CheckForServerUpdates: a check is running already");
    return false;
  }
  if (JoinScheduledUpdateCheck(window)) return true;
  if (!BeginUpdateCheck()) {
    LogMessage(kLogLogOnly, "CheckForServerUpdates: a check is running already");
    return false;
  }
  auto* job = new (std::nothrow) UpdateCheckJob;
  HANDLE thread = nullptr;
  if (job) {
    job->window = window;
    CopyText(job->endpoint, endpoint, sizeof(job->endpoint));
    CopyText(job->publicKeyHex, publicKeyHex, sizeof(job->publicKeyHex));
    thread = CreateThread(nullptr, 0, UpdateCheckThread, job, 0, nullptr);
  }
  if (!thread) {
    EndUpdateCheck();
    delete job;
    LogLastError(kLogLogOnly, "CheckForServerUpdates: no thread for the check");
    return false;
  }
  CloseHandle(thread);
  menuCheckRunning = true;
  return true;
}

bool StartUpdateCheck(HWND window) {
  return StartUpdateCheckAt(window, DOZELITE_UPDATE_URL, DOZELITE_UPDATE_PUBLIC_KEY);
}

void OnUpdateCheckDone(HWND, LPARAM outcome) {
  auto* job = reinterpret_cast<UpdateCheckJob*>(outcome);
  if (!job) return;
  menuCheckRunning = false;
  UpdateCheckOutcome shown = job->outcome;
  delete job;
  ShowUpdateOutcome(shown, true);
}
