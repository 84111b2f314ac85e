// The update check asked for from the menu: the exchange runs on a worker thread so the
// tray, its menu and the hot keys keep answering; the worker posts the outcome to the
// main window, which shows it. The main thread alone starts checks and ends them here,
// so "a menu check is running" needs no lock; the process-wide one-check guard keeps the
// automatic check out at the same time.
#include <windows.h>

#include <new>

#include "build_config.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/commands.h"
#include "update/http_client.h"
#include "update/update_check.h"

namespace {

constexpr int kEndpointSize = 1024;
constexpr int kKeySize = 129;
constexpr DWORD kGuardPollMs = 100;

struct UpdateCheckJob {
  HWND window = nullptr;
  bool guarded = false;  // the one-check guard was taken for the worker when it started
  char endpoint[kEndpointSize] = "";
  char publicKeyHex[kKeySize] = "";
  UpdateCheckOutcome outcome;
};

bool menuCheckRunning = false;  // main thread only

// The automatic check that may hold the guard ends within its own deadline; wait that
// long and a little more, then give up as a failed connection.
DWORD GuardWaitMs() {
  int deadline = GetHttpDeadline();
  return deadline > 0 ? static_cast<DWORD>(deadline) + 5000 : 150000;
}

DWORD WINAPI UpdateCheckThread(void* parameter) {
  auto* job = static_cast<UpdateCheckJob*>(parameter);
  DWORD start = GetTickCount();
  bool guarded = job->guarded || BeginUpdateCheck();
  while (!guarded && GetTickCount() - start < GuardWaitMs()) {
    Sleep(kGuardPollMs);
    guarded = BeginUpdateCheck();
  }
  if (guarded) {
    RunUpdateExchange(job->endpoint, job->publicKeyHex, &job->outcome);
    EndUpdateCheck();
  } else {
    job->outcome.result = -1;
    job->outcome.failure = "error connecting to server";
  }
  if (!PostMessageA(job->window, kUpdateCheckDoneMessage, 0, reinterpret_cast<LPARAM>(job))) delete job;
  return 0;
}

}  // namespace

bool StartUpdateCheckAt(HWND window, const char* endpoint, const char* publicKeyHex) {
  if (menuCheckRunning) {
    LogMessage(kLogLogOnly, "CheckForServerUpdates: a check is running already");
    return false;
  }
  auto* job = new (std::nothrow) UpdateCheckJob;
  if (!job) return false;
  job->window = window;
  CopyText(job->endpoint, endpoint, sizeof(job->endpoint));
  CopyText(job->publicKeyHex, publicKeyHex, sizeof(job->publicKeyHex));
  // Taken here when free, so an automatic check that comes next finds it held; when an
  // automatic check holds it, the worker waits for its end.
  job->guarded = BeginUpdateCheck();
  HANDLE thread = CreateThread(nullptr, 0, UpdateCheckThread, job, 0, nullptr);
  if (!thread) {
    if (job->guarded) EndUpdateCheck();
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
