// The hold-off's state and its events. Foreground changes arrive through a WinEvent hook
// delivered on the main thread's message loop; moves and resizes of the foreground window
// through a second hook limited to that window's thread, so a window that goes full
// screen in place is seen without following every window on the desktop. Programs of
// "running" rules come from the process watcher, whose thread runs only while there are
// such rules. This process's own windows (the tray menu, a dialog) never change what is
// seen in front: opening the menu over a video keeps the hold.
//
// A hold is a display power request through DisplayRequestEntry, taken when a rule starts
// to match and released the moment none does. Nothing of it is stored, and the user's
// saver settings are never touched, so a crash cannot leave the saver switched off.
#include "holdoff/holdoff_state.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "holdoff/display_request.h"
#include "holdoff/fullscreen.h"
#include "holdoff/holdoff_store.h"
#include "holdoff/process_watcher.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/announce.h"

namespace {

HoldOffRules rules = {1, 1, 0, {}};
bool started = false;
HWINEVENTHOOK foregroundHook = nullptr;
HWINEVENTHOOK locationHook = nullptr;
DWORD locationThread = 0;

// What was last seen, for ChooseHoldOffReason.
bool fullScreenInFront = false;
char frontProgram[kPathSize] = "";
char runningProgram[kProgramNameSize] = "";

// The reason held now ("" when not held): other threads read it for the tooltip.
SRWLOCK reasonLock = SRWLOCK_INIT;
char heldReason[kHoldOffReasonSize] = "";

bool FollowsForeground() { return rules.enabled && (rules.fullscreen || HasFrontRules(rules)); }

bool IsOwnWindow(HWND window, DWORD* threadId, DWORD* processId) {
  *processId = 0;
  *threadId = window ? GetWindowThreadProcessId(window, processId) : 0;
  return window && *processId == GetCurrentProcessId();
}

void ProcessImagePath(DWORD processId, char* path, int size) {
  path[0] = 0;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return;
  DWORD length = static_cast<DWORD>(size);
  if (!QueryFullProcessImageNameA(process, 0, path, &length)) path[0] = 0;
  CloseHandle(process);
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD);

// Moves the location hook to the thread of the window now in front.
void FollowLocationOf(HWND window) {
  DWORD processId = 0;
  DWORD threadId = 0;
  if (IsOwnWindow(window, &threadId, &processId)) return;
  if (threadId == locationThread && locationHook) return;
  if (locationHook) UnhookWinEvent(locationHook);
  locationHook = nullptr;
  locationThread = 0;
  if (!threadId) return;
  locationHook =
      SetWinEventHookEntry(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, OnWinEvent, processId, threadId);
  if (locationHook) locationThread = threadId;
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (!started) return;
  if (event == EVENT_SYSTEM_FOREGROUND) {
    FollowLocationOf(window);
    EvaluateHoldOff();
  } else if (event == EVENT_OBJECT_LOCATIONCHANGE && object == OBJID_WINDOW && child == CHILDID_SELF &&
             window == GetForegroundWindow()) {
    EvaluateHoldOff();
  }
}

void Unhook() {
  if (foregroundHook) UnhookWinEvent(foregroundHook);
  if (locationHook) UnhookWinEvent(locationHook);
  foregroundHook = nullptr;
  locationHook = nullptr;
  locationThread = 0;
}

void UpdateHooks() {
  if (!FollowsForeground()) {
    Unhook();
    return;
  }
  if (!foregroundHook)
    foregroundHook = SetWinEventHookEntry(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, OnWinEvent, 0, 0);
  FollowLocationOf(GetForegroundWindow());
}

// Updates what is seen in front, unless the window in front is this process's own.
void LookAtForeground() {
  if (!FollowsForeground()) {
    fullScreenInFront = false;
    frontProgram[0] = 0;
    return;
  }
  HWND window = GetForegroundWindow();
  DWORD processId = 0;
  DWORD threadId = 0;
  if (IsOwnWindow(window, &threadId, &processId)) return;
  fullScreenInFront = rules.fullscreen && (FindFullScreenForeground(nullptr) != nullptr || ShellFullScreenEntry());
  if (processId && HasFrontRules(rules))
    ProcessImagePath(processId, frontProgram, sizeof(frontProgram));
  else
    frontProgram[0] = 0;
}

void ApplyReason(const char* reason) {
  AcquireSRWLockShared(&reasonLock);
  bool same = strcmp(reason, heldReason) == 0;
  ReleaseSRWLockShared(&reasonLock);
  if (same) return;
  if (reason[0]) {
    char text[kHoldOffReasonSize + 16];
    snprintf(text, sizeof(text), "Dozelite: %s", reason);
    DisplayRequestEntry(text);
    LogMessage(kLogLogOnly, "HoldOff: start (%s)", reason);
  } else {
    DisplayRequestEntry(nullptr);
    LogMessage(kLogLogOnly, "HoldOff: end");
  }
  AcquireSRWLockExclusive(&reasonLock);
  CopyText(heldReason, reason, sizeof(heldReason));
  ReleaseSRWLockExclusive(&reasonLock);
  if (started) AnnounceChange(kChangedHoldOff);
}

void ApplyRules() {
  WatchRunningPrograms(rules);
  // Without a "running" rule the watcher has ended and forgotten what it saw.
  GetRunningProgram(runningProgram, sizeof(runningProgram));
  UpdateHooks();
  EvaluateHoldOff();
}

}  // namespace

HWINEVENTHOOK RealSetWinEventHook(DWORD eventMin, DWORD eventMax, WINEVENTPROC procedure, DWORD processId,
                                  DWORD threadId) {
  return SetWinEventHook(eventMin, eventMax, nullptr, procedure, processId, threadId, WINEVENT_OUTOFCONTEXT);
}

SetWinEventHookEntryFn SetWinEventHookEntry = RealSetWinEventHook;

bool GetHoldOffReason(char* reason, int size) {
  AcquireSRWLockShared(&reasonLock);
  bool held = heldReason[0] != 0;
  if (reason && size > 0) CopyText(reason, heldReason, size);
  ReleaseSRWLockShared(&reasonLock);
  return held;
}

void EvaluateHoldOff() {
  if (!started) return;
  LookAtForeground();
  HoldOffScene scene = {fullScreenInFront, frontProgram[0] ? frontProgram : nullptr,
                        runningProgram[0] ? runningProgram : nullptr};
  char reason[kHoldOffReasonSize];
  ChooseHoldOffReason(rules, scene, reason, sizeof(reason));
  ApplyReason(reason);
}

void StartHoldOff(HWND window) {
  LoadHoldOffRules(&rules);
  started = true;
  runningProgram[0] = 0;
  StartProcessWatcher(window, kHoldOffRunningMessage);
  ApplyRules();
}

void StopHoldOff() {
  Unhook();
  StopProcessWatcher();
  ApplyReason("");
  started = false;
  fullScreenInFront = false;
  frontProgram[0] = 0;
  runningProgram[0] = 0;
}

void OnHoldOffRunningChanged() {
  GetRunningProgram(runningProgram, sizeof(runningProgram));
  EvaluateHoldOff();
}

void ReloadHoldOff() {
  LoadHoldOffRules(&rules);
  if (started) ApplyRules();
}

void GetHoldOffRules(HoldOffRules* copy) { *copy = rules; }

bool SetHoldOffRules(const HoldOffRules& next) {
  bool saved = SaveHoldOffRules(rules, next);
  rules = next;
  if (started) ApplyRules();
  return saved;
}
