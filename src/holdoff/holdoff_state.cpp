// The hold-off's state and its events. Foreground changes arrive through a WinEvent hook
// delivered on the main thread's message loop; moves and resizes of the foreground window
// through a second hook limited to that window's thread, so a window that goes full
// screen in place is seen without following every window on the desktop. Programs of
// "running" rules come from the process watcher, whose thread runs only while there are
// such rules. None of these events is needed: a one-shot look (front_check.cpp) comes
// shortly before the saver or the display power-off would start, and every 0.5 s while a
// window holds, so a hold starts and ends also where no event is raised.
//
// The window that holds (full screen, or of a "front" program) is remembered. While this
// process's own window is in front (the tray menu, a dialog, the hidden main window the
// menu leaves in front) that window is checked again instead: it keeps the hold while it
// still exists, is still in front of its monitor and, if it held by covering it, is still
// full screen, so opening the menu over a video keeps the hold and closing the video
// behind the menu ends it.
//
// A hold is a display power request through DisplayRequestEntry, taken when a rule starts
// to match and released the moment none does. Nothing of it is stored, and the user's
// saver settings are never touched, so a crash cannot leave the saver switched off.
#include "holdoff/holdoff_state.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "holdoff/clock_holds.h"
#include "holdoff/display_request.h"
#include "holdoff/front_check.h"
#include "holdoff/fullscreen.h"
#include "holdoff/holdoff_store.h"
#include "holdoff/process_image.h"
#include "holdoff/process_watcher.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/announce.h"
#include "state/commands.h"

namespace {

constexpr int kFileNameSize = 256 * 3;  // a file name of 255 UTF-16 units in UTF-8

HoldOffRules rules = {1, 1, 0, 0, {}};
bool started = false;
std::atomic<bool> heldByPolicy{false};  // the rule that holds is the organisation's
HWND owner = nullptr;
HWINEVENTHOOK foregroundHook = nullptr;
HWINEVENTHOOK locationHook = nullptr;
DWORD locationThread = 0;

// What was last seen, for ChooseHoldOffReason.
bool fullScreenInFront = false;
char frontProgram[kFileNameSize] = "";
char runningProgram[kProgramNameSize] = "";
// The window that holds, and whether by covering its monitor (else by its program).
HWND holdingWindow = nullptr;
bool holdingByFullScreen = false;

// The reason held now ("" when not held): other threads read it for the tooltip.
SRWLOCK reasonLock = SRWLOCK_INIT;
char heldReason[kHoldOffReasonSize] = "";
// While the battery pauses the hold: why, and the reason that would hold.
char pausedWhy[kHoldOffReasonSize] = "";
char pausedReason[kHoldOffReasonSize] = "";
// The same three in the language in use, for the tooltip and the menu.
char heldReasonText[kHoldOffReasonTextSize] = "";
char pausedWhyText[kHoldOffReasonTextSize] = "";
char pausedReasonText[kHoldOffReasonTextSize] = "";

bool FollowsForeground() { return rules.enabled && (rules.fullscreen || HasFrontRules(rules)); }

bool IsOwnWindow(HWND window, DWORD* threadId, DWORD* processId) {
  *processId = 0;
  *threadId = window ? GetWindowThreadProcessId(window, processId) : 0;
  return window && *processId == GetCurrentProcessId();
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

void ForgetFront() {
  fullScreenInFront = false;
  frontProgram[0] = 0;
  holdingWindow = nullptr;
  holdingByFullScreen = false;
}

// This process's window is in front: the window that held keeps what it held only while
// it is still there, in front of its monitor and as full screen as it was.
void RecheckHoldingWindow() {
  bool shellFullScreen = rules.fullscreen && ShellFullScreenEntry();
  if (holdingWindow && IsInFrontOfItsMonitor(holdingWindow) &&
      (!holdingByFullScreen || IsWindowFullScreen(holdingWindow, nullptr))) {
    fullScreenInFront = holdingByFullScreen || shellFullScreen;
    return;
  }
  ForgetFront();
  fullScreenInFront = shellFullScreen;
}

// Updates what is seen in front.
void LookAtForeground() {
  if (!FollowsForeground()) {
    ForgetFront();
    return;
  }
  HWND window = GetForegroundWindow();
  DWORD processId = 0;
  DWORD threadId = 0;
  if (IsOwnWindow(window, &threadId, &processId)) {
    RecheckHoldingWindow();
    return;
  }
  bool windowFullScreen = rules.fullscreen && IsWindowFullScreen(window, nullptr);
  fullScreenInFront = windowFullScreen || (rules.fullscreen && ShellFullScreenEntry());
  if (!processId || !HasFrontRules(rules) || !GetProcessFileName(processId, frontProgram, sizeof(frontProgram)))
    frontProgram[0] = 0;
  bool programHolds = FindHoldOffRule(rules, kHoldWhileInFront, frontProgram) >= 0;
  holdingWindow = windowFullScreen || programHolds ? window : nullptr;
  holdingByFullScreen = windowFullScreen;
}

void CALLBACK OnLookTimer(HWND, UINT, UINT_PTR, DWORD) { EvaluateHoldOff(); }

// The next look: often while something in front holds, else before the time-outs.
void ArmLook() {
  if (!owner) return;
  if (!started || !FollowsForeground()) {
    KillTimer(owner, kTimerHoldOffLook);
    return;
  }
  ArmFrontCheck(owner, kTimerHoldOffLook, holdingWindow != nullptr || fullScreenInFront, OnLookTimer);
}

// Takes, changes or releases the hold. A pause by the battery releases the request and
// the return of mains power takes it again: one release, one request.
// `reasonText` and `pauseText` are the two in the language in use.
void ApplyReason(const char* reason, const char* pause, const char* reasonText, const char* pauseText) {
  const char* pausedBy = reason[0] ? pause : "";
  const char* held = pausedBy[0] ? "" : reason;
  const char* pausedByText = pausedBy[0] ? pauseText : "";
  const char* heldText = pausedBy[0] ? "" : reasonText;
  AcquireSRWLockShared(&reasonLock);
  bool same = strcmp(held, heldReason) == 0 && strcmp(pausedBy, pausedWhy) == 0 &&
              strcmp(pausedBy[0] ? reason : "", pausedReason) == 0 && strcmp(heldText, heldReasonText) == 0 &&
              strcmp(pausedByText, pausedWhyText) == 0 && strcmp(pausedBy[0] ? reasonText : "", pausedReasonText) == 0;
  bool wasPaused = pausedWhy[0] != 0;
  bool wasHeld = heldReason[0] != 0;
  bool sameHold = strcmp(held, heldReason) == 0;
  ReleaseSRWLockShared(&reasonLock);
  if (same) return;
  if (held[0] && !sameHold) {
    char text[kHoldOffReasonSize + 16];
    snprintf(text, sizeof(text), "Dozelite: %s", held);
    DisplayRequestEntry(text);
    LogMessage(kLogLogOnly, "HoldOff: start (%s)", held);
  } else if (!held[0] && wasHeld) {
    DisplayRequestEntry(nullptr);
  }
  if (pausedBy[0] && !wasPaused)
    LogMessage(kLogLogOnly, "HoldOff: paused (%s)", pausedBy);
  else if (!reason[0] && (wasHeld || wasPaused))
    LogMessage(kLogLogOnly, "HoldOff: end");
  AcquireSRWLockExclusive(&reasonLock);
  CopyText(heldReason, held, sizeof(heldReason));
  CopyText(pausedWhy, pausedBy, sizeof(pausedWhy));
  CopyText(pausedReason, pausedBy[0] ? reason : "", sizeof(pausedReason));
  CopyText(heldReasonText, heldText, sizeof(heldReasonText));
  CopyText(pausedWhyText, pausedByText, sizeof(pausedWhyText));
  CopyText(pausedReasonText, pausedBy[0] ? reasonText : "", sizeof(pausedReasonText));
  ReleaseSRWLockExclusive(&reasonLock);
  if (started) AnnounceChange(kChangedHoldOff);
}

void ApplyRules() {
  WatchRunningPrograms(rules);
  // Without a "running" rule the watcher has ended and forgotten what it saw.
  GetRunningProgram(runningProgram, sizeof(runningProgram));
  UpdateHooks();
  RefreshClockHolds();  // looks at the clock, then evaluates
}

}  // namespace

namespace {

bool ReadPause(const char* whyKept, const char* reasonKept, char* why, int whySize, char* reason, int reasonSize) {
  AcquireSRWLockShared(&reasonLock);
  bool paused = pausedWhy[0] != 0;
  if (why && whySize > 0) CopyText(why, whyKept, whySize);
  if (reason && reasonSize > 0) CopyText(reason, reasonKept, reasonSize);
  ReleaseSRWLockShared(&reasonLock);
  return paused;
}

bool ReadReason(const char* kept, char* reason, int size) {
  AcquireSRWLockShared(&reasonLock);
  bool held = heldReason[0] != 0;
  if (reason && size > 0) CopyText(reason, kept, size);
  ReleaseSRWLockShared(&reasonLock);
  return held;
}

}  // namespace

bool GetHoldOffPause(char* why, int whySize, char* reason, int reasonSize) {
  return ReadPause(pausedWhyText, pausedReasonText, why, whySize, reason, reasonSize);
}

bool GetHoldOffLogPause(char* why, int whySize, char* reason, int reasonSize) {
  return ReadPause(pausedWhy, pausedReason, why, whySize, reason, reasonSize);
}

HWINEVENTHOOK RealSetWinEventHook(DWORD eventMin, DWORD eventMax, WINEVENTPROC procedure, DWORD processId,
                                  DWORD threadId) {
  return SetWinEventHook(eventMin, eventMax, nullptr, procedure, processId, threadId, WINEVENT_OUTOFCONTEXT);
}

SetWinEventHookEntryFn SetWinEventHookEntry = RealSetWinEventHook;

bool IsHoldOffByPolicy() { return heldByPolicy; }

bool GetHoldOffReason(char* reason, int size) { return ReadReason(heldReasonText, reason, size); }
bool GetHoldOffLogReason(char* reason, int size) { return ReadReason(heldReason, reason, size); }

void EvaluateHoldOff() {
  if (!started) return;
  LookAtForeground();
  HoldOffScene scene = {fullScreenInFront, frontProgram[0] ? frontProgram : nullptr,
                        runningProgram[0] ? runningProgram : nullptr};
  char reason[kHoldOffReasonSize];
  char reasonText[kHoldOffReasonTextSize];
  // The clock's holds come after every rule that looks at programs and windows.
  bool byRule = ChooseHoldOffReason(rules, scene, reason, sizeof(reason));
  bool byClock = !byRule && rules.enabled && GetClockReason(reason, sizeof(reason));
  if (!ChooseHoldOffReason(rules, scene, reasonText, sizeof(reasonText), true) && rules.enabled)
    GetClockReason(reasonText, sizeof(reasonText), true);
  heldByPolicy = byRule ? HoldOffReasonIsPolicy(rules, scene) : byClock && ClockHoldIsPolicy();
  char pause[kHoldOffReasonSize];
  char pauseText[kHoldOffReasonTextSize];
  GetBatteryPause(pause, sizeof(pause));
  GetBatteryPause(pauseText, sizeof(pauseText), true);
  ApplyReason(reason, pause, reasonText, pauseText);
  ArmLook();
}

void StartHoldOff(HWND window) {
  LoadHoldOffRules(&rules);
  LoadClockHolds();
  started = true;
  owner = window;
  runningProgram[0] = 0;
  StartProcessWatcher(window, kHoldOffRunningMessage);
  StartClockHolds(window);
  ApplyRules();
}

void StopHoldOff() {
  Unhook();
  StopProcessWatcher();
  StopClockHolds();
  heldByPolicy = false;
  ApplyReason("", "", "", "");
  started = false;
  ArmLook();
  owner = nullptr;
  ForgetFront();
  runningProgram[0] = 0;
}

void OnHoldOffRunningChanged() {
  GetRunningProgram(runningProgram, sizeof(runningProgram));
  EvaluateHoldOff();
}

void ReloadHoldOff() {
  LoadHoldOffRules(&rules);
  LoadClockHolds();
  if (started) ApplyRules();
}

void GetHoldOffRules(HoldOffRules* copy) { *copy = rules; }

const char* HoldOffPolicyLocking(int command) {
  if (command == kCmdToggleHoldOff && (rules.policySwitches & kHoldOffEnabledByPolicy)) return "HoldOff\\enabled";
  if (command == kCmdToggleFullScreenHoldOff && (rules.policySwitches & kHoldOffFullScreenByPolicy))
    return "HoldOff\\fullscreen";
  return nullptr;
}

bool RefuseHoldOffByPolicy(int command) {
  const char* policy = HoldOffPolicyLocking(command);
  if (policy) LogMessage(kLogLogOnly, "Policy: %s is set by your organisation", policy);
  return policy != nullptr;
}

bool SetHoldOffRules(const HoldOffRules& next) {
  bool saved = SaveHoldOffRules(rules, next);
  rules = next;
  if (started) ApplyRules();
  return saved;
}
