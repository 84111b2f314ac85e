// LoadPolicies reads the two policy keys of the program and the two of Windows' screen
// saver into one table; a value of another type or size than the program reads is not a
// policy and is named in the log.
#include "settings/policy_store.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "state/commands.h"

namespace {

constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";
constexpr const char* kWindowsSaverPolicyKey = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";

// What `updatecheck` says, for the update check's worker threads.
std::atomic<bool> updateCheckAllowed{true};

struct Policy {
  const char* name;
  bool set;
  int value;
};

// Every setting central control applies to, with the DWORD type of HKCU\Software\Dozelite.
Policy programPolicies[] = {
    {"delay", false, 0},          {"nosplash", false, 0},         {"notips", false, 0},
    {"randomonactivate", false, 0}, {"randomonclick", false, 0},  {"randomonload", false, 0},
    {"corneraction", false, 0},   {"cornerscope", false, 0},      {"cornerdelay", false, 0},
    {"cornersfullscreen", false, 0}, {"splitlist", false, 0},     {"chooselaunch", false, 0},
    {"unifiedlist", false, 0},    {"notifications", false, 0},    {"autolog", false, 0},
    {"updatecheck", false, 0},    {"allowexit", false, 0},
};

// Windows' own: set when either hive has the value, whatever it holds.
Policy windowsPolicies[] = {
    {kSaverActivePolicy, false, 0},
    {kSaverSecurePolicy, false, 0},
    {kSaverTimeoutPolicy, false, 0},
    {kSaverFilePolicy, false, 0},
};

Policy* Find(Policy* table, int count, const char* name) {
  for (int n = 0; n < count; n++)
    if (strcmp(table[n].name, name) == 0) return &table[n];
  return nullptr;
}

Policy* FindProgramPolicy(const char* name) {
  return Find(programPolicies, sizeof(programPolicies) / sizeof(programPolicies[0]), name);
}

Policy* FindWindowsPolicy(const char* name) {
  return Find(windowsPolicies, sizeof(windowsPolicies) / sizeof(windowsPolicies[0]), name);
}

// The hive's DWORD values that no policy of a stronger hive has set already.
void ReadProgramPolicies(HKEY hive, const char* hiveName) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, kPolicyKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (Policy& policy : programPolicies) {
    if (policy.set) continue;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    LONG status = RegQueryValueExA(key, policy.name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (status == ERROR_FILE_NOT_FOUND) continue;
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(DWORD)) {
      LogMessage(kLogLogOnly, "Policy: %s under %s is not a DWORD and is ignored", policy.name, hiveName);
      continue;
    }
    policy.set = true;
    policy.value = static_cast<int>(data);
  }
  RegCloseKey(key);
}

void ReadWindowsPolicies(HKEY hive) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, kWindowsSaverPolicyKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (Policy& policy : windowsPolicies)
    if (RegQueryValueExA(key, policy.name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) policy.set = true;
  RegCloseKey(key);
}

bool Allowed(const char* name) {
  int value = 1;
  return !GetPolicyValue(name, &value) || value != 0;
}

struct CommandLock {
  int first;
  int last;
  const char* policy;
};

const CommandLock kCommandLocks[] = {
    {kCmdToggleRandomOnClick, kCmdToggleRandomOnClick, "randomonclick"},
    {kCmdToggleRandomOnLoad, kCmdToggleRandomOnLoad, "randomonload"},
    {kCmdToggleRandomOnActivate, kCmdToggleRandomOnActivate, "randomonactivate"},
    {kCmdToggleSplash, kCmdToggleSplash, "nosplash"},
    {kCmdToggleTips, kCmdToggleTips, "notips"},
    {kCmdToggleCornerActions, kCmdToggleCornerActions, "corneraction"},
    {kCmdToggleCornerEveryMonitor, kCmdToggleCornerEveryMonitor, "cornerscope"},
    {kCmdToggleCornersOverFullScreen, kCmdToggleCornersOverFullScreen, "cornersfullscreen"},
    {kCmdCornerDelayNone, kCmdCornerDelay1000, "cornerdelay"},
    {kCmdToggleAutoLog, kCmdToggleAutoLog, "autolog"},
    {kCmdToggleSplitList, kCmdToggleSplitList, "splitlist"},
    {kCmdToggleChooseLaunch, kCmdToggleChooseLaunch, "chooselaunch"},
    {kCmdToggleUnifiedList, kCmdToggleUnifiedList, "unifiedlist"},
    {kCmdToggleNotifications, kCmdToggleNotifications, "notifications"},
    {kCmdToggleSaver, kCmdToggleSaver, kSaverActivePolicy},
    {kCmdTogglePassword, kCmdTogglePassword, kSaverSecurePolicy},
    {kCmdOtherTimeout, kCmdOtherTimeout, kSaverTimeoutPolicy},
    {kRangeSetTimeout, kRangeSetTimeout + kRangeSize - 1, kSaverTimeoutPolicy},
    {kCmdChooseNoSaver, kCmdChooseNoSaver, kSaverFilePolicy},
    {kCmdChooseRandomSaver, kCmdChooseRandomSaver, kSaverFilePolicy},
    {kRangeChooseSaver, kRangeChooseSaver + kRangeSize - 1, kSaverFilePolicy},
};

void LogRefusal(const char* name) { LogMessage(kLogLogOnly, "Policy: %s is set by your organisation", name); }

}  // namespace

void LoadPolicies() {
  for (Policy& policy : programPolicies) policy.set = false;
  for (Policy& policy : windowsPolicies) policy.set = false;
  ReadProgramPolicies(HKEY_LOCAL_MACHINE, "HKLM");
  ReadProgramPolicies(HKEY_CURRENT_USER, "HKCU");
  ReadWindowsPolicies(HKEY_LOCAL_MACHINE);
  ReadWindowsPolicies(HKEY_CURRENT_USER);
  updateCheckAllowed = Allowed("updatecheck");
}

bool GetPolicyValue(const char* name, int* value) {
  const Policy* policy = FindProgramPolicy(name);
  if (!policy || !policy->set) return false;
  *value = policy->value;
  return true;
}

bool IsSetByPolicy(const char* name) {
  const Policy* policy = FindProgramPolicy(name);
  if (!policy) policy = FindWindowsPolicy(name);
  return policy && policy->set;
}

bool RefuseIfSetByPolicy(const char* name) {
  if (!IsSetByPolicy(name)) return false;
  LogRefusal(name);
  return true;
}

bool UpdateCheckAllowed() { return updateCheckAllowed; }

bool ExitAllowed() { return Allowed("allowexit"); }

const char* PolicyLockingCommand(int command) {
  if (command == kCmdExit) return ExitAllowed() ? nullptr : "allowexit";
  if (command == kCmdCheckForUpdates) return Allowed("updatecheck") ? nullptr : "updatecheck";
  for (const CommandLock& lock : kCommandLocks)
    if (command >= lock.first && command <= lock.last) return IsSetByPolicy(lock.policy) ? lock.policy : nullptr;
  return nullptr;
}

bool RefuseLockedCommand(int command) {
  const char* policy = PolicyLockingCommand(command);
  if (policy) LogRefusal(policy);
  return policy != nullptr;
}
