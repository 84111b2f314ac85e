#include "triggers/policy_watch.h"

#include "state/app_state.h"
#include "state/commands.h"

namespace {

constexpr const char* kPoliciesKey = "Software\\Policies";

void Arm(PolicyWatch* watch, int hive) {
  ResetEvent(watch->events[hive]);
  watch->armed[hive] = RegNotifyChangeKeyValue(watch->keys[hive], TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                               watch->events[hive], TRUE) == ERROR_SUCCESS;
}

}  // namespace

bool OpenPolicyWatch(PolicyWatch* watch) {
  *watch = PolicyWatch{};
  const HKEY hives[kPolicyHives] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
  bool any = false;
  for (int hive = 0; hive < kPolicyHives; hive++) {
    if (RegOpenKeyExA(hives[hive], kPoliciesKey, 0, KEY_NOTIFY, &watch->keys[hive]) != ERROR_SUCCESS) {
      watch->keys[hive] = nullptr;
      continue;
    }
    watch->events[hive] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (watch->events[hive]) Arm(watch, hive);
    if (!watch->armed[hive]) {
      if (watch->events[hive]) CloseHandle(watch->events[hive]);
      RegCloseKey(watch->keys[hive]);
      watch->events[hive] = nullptr;
      watch->keys[hive] = nullptr;
      continue;
    }
    any = true;
  }
  return any;
}

void ServePolicyWatch(PolicyWatch* watch, int hive) {
  if (hive < 0 || hive >= kPolicyHives || !watch->armed[hive]) return;
  Arm(watch, hive);
  HWND window = AppState.mainWindow;
  if (window) PostMessageA(window, WM_COMMAND, kCmdReloadSettings, 0);
}
