// The process watcher. The main thread hands it rules under the lock and sets its wake
// event; it posts a message when the program it reports changes, and the main thread
// reads that program under the lock. With no "running" rule it sleeps on its events
// and never wakes on its own, so it costs nothing at rest.
//
// It scans the process list at most every 5 s, and between scans waits on the handles
// of the matching processes it found (up to 62, the wait's limit less its two events):
// an exit is seen at once, a start at the next scan.
#include "holdoff/process_watcher.h"

#include <tlhelp32.h>

#include <atomic>

#include "shell/text_helpers.h"

namespace {

constexpr DWORD kScanPeriodMs = 5000;
constexpr int kMaxWatched = MAXIMUM_WAIT_OBJECTS - 2;

// Shared with the main thread, under the lock.
SRWLOCK lock = SRWLOCK_INIT;
HoldOffRules givenRules;
bool rulesGiven = false;
char seenProgram[kProgramNameSize] = "";

HANDLE wakeEvent = nullptr;
HANDLE stopEvent = nullptr;
HANDLE thread = nullptr;
std::atomic<HWND> target{nullptr};
std::atomic<UINT> targetMessage{0};

// The worker's own.
HoldOffRules rules;
struct Watched {
  HANDLE process;
  DWORD id;
  int rule;
};
Watched watched[kMaxWatched];
int watchedCount = 0;
char reported[kProgramNameSize] = "";

void DropWatched(int index) {
  CloseHandle(watched[index].process);
  watched[index] = watched[--watchedCount];
}

void DropAll() {
  while (watchedCount > 0) DropWatched(watchedCount - 1);
}

bool IsWatched(DWORD id) {
  for (int n = 0; n < watchedCount; n++)
    if (watched[n].id == id) return true;
  return false;
}

void Scan() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more && watchedCount < kMaxWatched;
       more = Process32Next(snapshot, &entry)) {
    entry.szExeFile[sizeof(entry.szExeFile) - 1] = 0;
    int rule = FindHoldOffRule(rules, kHoldWhileRunning, entry.szExeFile);
    if (rule < 0 || entry.th32ProcessID == 0 || IsWatched(entry.th32ProcessID)) continue;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (process) watched[watchedCount++] = {process, entry.th32ProcessID, rule};
  }
  CloseHandle(snapshot);
}

// Drops every watched process that has ended.
void DropEnded() {
  for (int n = watchedCount - 1; n >= 0; n--)
    if (WaitForSingleObject(watched[n].process, 0) != WAIT_TIMEOUT) DropWatched(n);
}

void Report() {
  int first = -1;
  for (int n = 0; n < watchedCount; n++)
    if (first < 0 || watched[n].rule < first) first = watched[n].rule;
  const char* name = first >= 0 ? rules.programs[first].name : "";
  if (lstrcmpA(name, reported) == 0) return;
  CopyText(reported, name, sizeof(reported));
  AcquireSRWLockExclusive(&lock);
  CopyText(seenProgram, name, sizeof(seenProgram));
  ReleaseSRWLockExclusive(&lock);
  PostMessageA(target, targetMessage, 0, 0);
}

bool TakeRules() {
  AcquireSRWLockExclusive(&lock);
  bool taken = rulesGiven;
  if (taken) rules = givenRules;
  rulesGiven = false;
  ReleaseSRWLockExclusive(&lock);
  return taken;
}

DWORD WINAPI ProcessWatcherThread(void*) {
  DWORD lastScan = 0;
  bool scanNow = true;
  for (;;) {
    if (TakeRules()) {
      DropAll();
      scanNow = true;
    }
    bool looking = rules.enabled && HasRunningRules(rules);
    DWORD timeout = INFINITE;
    if (looking) {
      DWORD elapsed = GetTickCount() - lastScan;
      if (scanNow || elapsed >= kScanPeriodMs) {
        DropEnded();
        Scan();
        lastScan = GetTickCount();
        scanNow = false;
        elapsed = 0;
      }
      timeout = kScanPeriodMs - elapsed;
    } else {
      DropAll();
    }
    Report();

    HANDLE handles[MAXIMUM_WAIT_OBJECTS] = {stopEvent, wakeEvent};
    for (int n = 0; n < watchedCount; n++) handles[2 + n] = watched[n].process;
    DWORD result = WaitForMultipleObjects(static_cast<DWORD>(2 + watchedCount), handles, FALSE, timeout);
    if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) break;
    if (result >= WAIT_OBJECT_0 + 2 && result < WAIT_OBJECT_0 + 2 + static_cast<DWORD>(watchedCount)) DropEnded();
  }
  DropAll();
  return 0;
}

}  // namespace

bool StartProcessWatcher(HWND window, UINT message) {
  target = window;
  targetMessage = message;
  if (thread) return true;
  wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (wakeEvent && stopEvent) thread = CreateThread(nullptr, 0, ProcessWatcherThread, nullptr, 0, nullptr);
  if (thread) return true;
  if (wakeEvent) CloseHandle(wakeEvent);
  if (stopEvent) CloseHandle(stopEvent);
  wakeEvent = stopEvent = nullptr;
  return false;
}

void StopProcessWatcher() {
  if (!thread) return;
  SetEvent(stopEvent);
  if (WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0) {
    CloseHandle(thread);
    CloseHandle(wakeEvent);
    CloseHandle(stopEvent);
    rulesGiven = false;
    reported[0] = 0;
    seenProgram[0] = 0;
  }  // else the worker is stuck in a system call: leave its handles to the process's end
  thread = nullptr;
  wakeEvent = stopEvent = nullptr;
}

void WatchRunningPrograms(const HoldOffRules& next) {
  AcquireSRWLockExclusive(&lock);
  givenRules = next;
  rulesGiven = true;
  ReleaseSRWLockExclusive(&lock);
  if (wakeEvent) SetEvent(wakeEvent);
}

void GetRunningProgram(char* name, int size) {
  AcquireSRWLockShared(&lock);
  CopyText(name, seenProgram, size);
  ReleaseSRWLockShared(&lock);
}
