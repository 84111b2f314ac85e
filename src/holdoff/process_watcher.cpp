// The process watcher. Its thread runs only while the rules in force have a "running"
// rule: WatchRunningPrograms starts it when such a rule appears and ends it when the
// last one goes, so the hold-off costs no thread at rest. The main thread hands the
// running thread rules under the lock and sets its wake event; the thread posts a
// message when the program it reports changes, and the main thread reads that program
// under the lock.
//
// It scans the process list at most every 5 s, and between scans waits on the handles
// of the matching processes it found (up to 62, the wait's limit less its two events):
// an exit is seen at once, a start at the next scan.
//
// Each start of the thread has a run of its own (events, rules, watched processes). A
// thread that does not end within the stop's wait (stuck in a system call) keeps its
// run to the process's end, and, being no longer the current run, never again takes
// rules or reports: a later start cannot mix with it.
#include "holdoff/process_watcher.h"

#include <tlhelp32.h>

#include <atomic>
#include <new>

#include "shell/text_helpers.h"

namespace {

constexpr DWORD kScanPeriodMs = 5000;
constexpr DWORD kStopWaitMs = 5000;
constexpr SIZE_T kStackReserve = 256 * 1024;
constexpr int kMaxWatched = MAXIMUM_WAIT_OBJECTS - 2;

struct Watched {
  HANDLE process;
  DWORD id;
  int rule;
};

struct Run {
  HANDLE wake;
  HANDLE stop;
  // Handed over by the main thread, under the lock.
  HoldOffRules given;
  bool rulesGiven;
  // The thread's own.
  HoldOffRules rules;
  Watched watched[kMaxWatched];
  int watchedCount;
  char reported[kProgramNameSize];
};

// Shared with the thread, under the lock.
SRWLOCK lock = SRWLOCK_INIT;
Run* current = nullptr;
char seenProgram[kProgramNameSize] = "";

// The main thread's own.
HANDLE thread = nullptr;
std::atomic<HWND> target{nullptr};
std::atomic<UINT> targetMessage{0};

void DropWatched(Run* run, int index) {
  CloseHandle(run->watched[index].process);
  run->watched[index] = run->watched[--run->watchedCount];
}

void DropAll(Run* run) {
  while (run->watchedCount > 0) DropWatched(run, run->watchedCount - 1);
}

bool IsWatched(const Run* run, DWORD id) {
  for (int n = 0; n < run->watchedCount; n++)
    if (run->watched[n].id == id) return true;
  return false;
}

void Scan(Run* run) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more && run->watchedCount < kMaxWatched;
       more = Process32Next(snapshot, &entry)) {
    entry.szExeFile[sizeof(entry.szExeFile) - 1] = 0;
    int rule = FindHoldOffRule(run->rules, kHoldWhileRunning, entry.szExeFile);
    if (rule < 0 || entry.th32ProcessID == 0 || IsWatched(run, entry.th32ProcessID)) continue;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (process) run->watched[run->watchedCount++] = {process, entry.th32ProcessID, rule};
  }
  CloseHandle(snapshot);
}

// Drops every watched process that has ended.
void DropEnded(Run* run) {
  for (int n = run->watchedCount - 1; n >= 0; n--)
    if (WaitForSingleObject(run->watched[n].process, 0) != WAIT_TIMEOUT) DropWatched(run, n);
}

void Report(Run* run) {
  int first = -1;
  for (int n = 0; n < run->watchedCount; n++)
    if (first < 0 || run->watched[n].rule < first) first = run->watched[n].rule;
  const char* name = first >= 0 ? run->rules.programs[first].name : "";
  if (lstrcmpA(name, run->reported) == 0) return;
  CopyText(run->reported, name, sizeof(run->reported));
  AcquireSRWLockExclusive(&lock);
  bool isCurrent = run == current;
  if (isCurrent) CopyText(seenProgram, name, sizeof(seenProgram));
  ReleaseSRWLockExclusive(&lock);
  if (isCurrent) PostMessageA(target, targetMessage, 0, 0);
}

bool TakeRules(Run* run) {
  AcquireSRWLockExclusive(&lock);
  bool taken = run->rulesGiven && run == current;
  if (taken) run->rules = run->given;
  run->rulesGiven = false;
  ReleaseSRWLockExclusive(&lock);
  return taken;
}

DWORD WINAPI ProcessWatcherThread(void* parameter) {
  Run* run = static_cast<Run*>(parameter);
  DWORD lastScan = 0;
  bool scanNow = true;
  for (;;) {
    if (TakeRules(run)) {
      DropAll(run);
      scanNow = true;
    }
    bool looking = run->rules.enabled && HasRunningRules(run->rules);
    DWORD timeout = INFINITE;
    if (looking) {
      DWORD elapsed = GetTickCount() - lastScan;
      if (scanNow || elapsed >= kScanPeriodMs) {
        DropEnded(run);
        Scan(run);
        lastScan = GetTickCount();
        scanNow = false;
        elapsed = 0;
      }
      timeout = kScanPeriodMs - elapsed;
    } else {
      DropAll(run);
    }
    Report(run);

    HANDLE handles[MAXIMUM_WAIT_OBJECTS] = {run->stop, run->wake};
    for (int n = 0; n < run->watchedCount; n++) handles[2 + n] = run->watched[n].process;
    DWORD result = WaitForMultipleObjects(static_cast<DWORD>(2 + run->watchedCount), handles, FALSE, timeout);
    if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) break;
    if (result >= WAIT_OBJECT_0 + 2 && result < WAIT_OBJECT_0 + 2 + static_cast<DWORD>(run->watchedCount))
      DropEnded(run);
  }
  DropAll(run);
  return 0;
}

// Makes `run` the one that takes rules and reports; forgets what the last one saw.
Run* SetCurrent(Run* run) {
  AcquireSRWLockExclusive(&lock);
  Run* last = current;
  current = run;
  seenProgram[0] = 0;
  ReleaseSRWLockExclusive(&lock);
  return last;
}

// Ends the thread, waiting a bounded time.
void StopThread() {
  Run* run = SetCurrent(nullptr);
  if (!thread) return;
  SetEvent(run->stop);
  if (WaitForSingleObject(thread, kStopWaitMs) == WAIT_OBJECT_0) {
    CloseHandle(run->wake);
    CloseHandle(run->stop);
    delete run;
  }  // else the thread is stuck in a system call: leave its run to the process's end
  CloseHandle(thread);
  thread = nullptr;
}

// Starts the thread with a fresh run, unless one runs; a thread that ended by itself
// (its wait failed) is replaced.
bool StartThread() {
  if (thread && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) return true;
  StopThread();
  Run* run = new (std::nothrow) Run();
  if (!run) return false;
  run->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  run->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (run->wake && run->stop) {
    SetCurrent(run);
    thread = CreateThread(nullptr, kStackReserve, ProcessWatcherThread, run, STACK_SIZE_PARAM_IS_A_RESERVATION,
                          nullptr);
  }
  if (thread) return true;
  SetCurrent(nullptr);
  if (run->wake) CloseHandle(run->wake);
  if (run->stop) CloseHandle(run->stop);
  delete run;
  return false;
}

}  // namespace

void StartProcessWatcher(HWND window, UINT message) {
  target = window;
  targetMessage = message;
}

void StopProcessWatcher() { StopThread(); }

void WatchRunningPrograms(const HoldOffRules& next) {
  if (!next.enabled || !HasRunningRules(next)) {
    StopThread();
    return;
  }
  if (!StartThread()) return;
  AcquireSRWLockExclusive(&lock);
  current->given = next;
  current->rulesGiven = true;
  HANDLE wake = current->wake;
  ReleaseSRWLockExclusive(&lock);
  SetEvent(wake);
}

void GetRunningProgram(char* name, int size) {
  AcquireSRWLockShared(&lock);
  CopyText(name, seenProgram, size);
  ReleaseSRWLockShared(&lock);
}
