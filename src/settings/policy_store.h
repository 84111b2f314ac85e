// Settings an organisation gives by policy: HKLM\Software\Policies\Dozelite, then
// HKCU\Software\Policies\Dozelite (the machine's value wins), with the value names and
// DWORD type of the program's own settings, plus `updatecheck` and `allowexit`; and
// Windows' own screen-saver policies. A value given by policy is used as it is and never
// written over the user's own value. Main thread only, but for UpdateCheckAllowed.
#pragma once

#include <windows.h>

// Reads every policy again; LoadSettings calls it first.
void LoadPolicies();

// The value a policy gives the setting `name` (a value name of the program's settings,
// `updatecheck` or `allowexit`); false when no policy sets it.
bool GetPolicyValue(const char* name, int* value);
bool IsSetByPolicy(const char* name);

// When a policy sets `name`, logs "Policy: <name> is set by your organisation" and
// returns true: the caller leaves the setting alone.
bool RefuseIfSetByPolicy(const char* name);

bool UpdateCheckAllowed();  // false when `updatecheck` is 0; any thread may ask
bool ExitAllowed();         // false when `allowexit` is 0

// Windows' screen-saver policies (Software\Policies\Microsoft\Windows\Control Panel\Desktop
// of either hive): the value's name, as the refusal names it.
constexpr const char* kSaverActivePolicy = "ScreenSaveActive";
constexpr const char* kSaverSecurePolicy = "ScreenSaverIsSecure";
constexpr const char* kSaverTimeoutPolicy = "ScreenSaveTimeOut";
constexpr const char* kSaverFilePolicy = "SCRNSAVE.EXE";

// The policy that locks what command `command` changes, or null when none does: the
// setting's name, a Windows screen-saver policy, `allowexit` for Exit or `updatecheck`
// for the update check.
const char* PolicyLockingCommand(int command);
// When a policy locks `command`, logs the refusal as RefuseIfSetByPolicy does and returns true.
bool RefuseLockedCommand(int command);
