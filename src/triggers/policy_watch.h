// The policy keys of both hives (Software\Policies, the whole tree: Dozelite's own and
// Windows' screen-saver policies) watched for changes by the watcher thread: a change asks
// the main window to reload its settings, and the policies with them.
#pragma once

#include <windows.h>

constexpr int kPolicyHives = 2;

// Owned by the thread that serves it. A hive whose key cannot be opened or whose
// notification cannot be armed is not watched (WM_SETTINGCHANGE "Policy" still reloads).
struct PolicyWatch {
  HKEY keys[kPolicyHives];
  HANDLE events[kPolicyHives];
  bool armed[kPolicyHives];
};

// False, holding nothing, when neither hive can be watched.
bool OpenPolicyWatch(PolicyWatch* watch);
// After a wake-up by the event of `hive`: arms it again, then posts kCmdReloadSettings.
void ServePolicyWatch(PolicyWatch* watch, int hive);
