// The hold-off: its rules, what it holds now, and the events that keep that current.
// Main thread, except GetHoldOffReason, which any thread may call.
#pragma once

#include <windows.h>

#include "holdoff/holdoff_rules.h"

// Private messages of the main window (the hold-off's block is WM_APP + 460..469).
constexpr UINT kHoldOffRunningMessage = WM_APP + 460;  // the process watcher saw a change
// The main window's timer of the look at the window in front (its own timer procedure).
constexpr UINT_PTR kTimerHoldOffLook = 940;

// True while a hold-off rule holds the saver off; reason receives its text ("a full-screen
// window is in front", "<name> is running", "<name> is in front"), cut to size, in the
// language in use for the tooltip and the menu.
bool GetHoldOffReason(char* reason, int size);
// True while the battery pauses the hold that would be held: why ("on battery", "battery
// at 18%") and the reason held off otherwise, each cut to size. Any thread.
bool GetHoldOffPause(char* why, int whySize, char* reason, int reasonSize);
// The same two in English, for the log and the diagnosis.
bool GetHoldOffLogReason(char* reason, int size);
bool GetHoldOffLogPause(char* why, int whySize, char* reason, int reasonSize);

// True while the rule that holds is the organisation's (given by policy). Any thread.
bool IsHoldOffByPolicy();

// Reads the rules, starts following the foreground and the processes; the window gets
// kHoldOffRunningMessage. StopHoldOff undoes it all and releases any hold.
void StartHoldOff(HWND window);
void StopHoldOff();
// Rereads the rules from the registry (command 40001) and applies them.
void ReloadHoldOff();
// A copy of the rules in force; SetHoldOffRules saves new rules and applies them.
void GetHoldOffRules(HoldOffRules* rules);
bool SetHoldOffRules(const HoldOffRules& rules);
// The hold-off switch an organisation's policy sets that command `command` would change
// ("HoldOff\\enabled" or "HoldOff\\fullscreen"), or null when it is the user's to change.
const char* HoldOffPolicyLocking(int command);
// When a policy locks `command`, logs "Policy: <name> is set by your organisation" and
// returns true: the caller leaves the switch alone.
bool RefuseHoldOffByPolicy(int command);
// The process watcher's report arrived (kHoldOffRunningMessage).
void OnHoldOffRunningChanged();
// Looks at the foreground and the watcher's report again and takes or releases the hold.
void EvaluateHoldOff();

// SetWinEventHook for the hold-off's out-of-context hooks, replaceable: the emulator raises
// no location changes of other programs' windows, so a test takes the hook's procedure
// and raises one itself, as the system would.
using SetWinEventHookEntryFn = HWINEVENTHOOK (*)(DWORD eventMin, DWORD eventMax, WINEVENTPROC procedure,
                                                 DWORD processId, DWORD threadId);
extern SetWinEventHookEntryFn SetWinEventHookEntry;
HWINEVENTHOOK RealSetWinEventHook(DWORD eventMin, DWORD eventMax, WINEVENTPROC procedure, DWORD processId,
                                  DWORD threadId);
