// The policy watch: a write under either hive's policy key wakes it, serving it asks the
// main window to reload, and the next write wakes it again (the notification re-armed).
#include "triggers/policy_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "state/app_state.h"
#include "state/commands.h"
#include "support/test_support.h"

namespace {

constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";

bool Has(const std::vector<int>& commands, int command) {
  return std::find(commands.begin(), commands.end(), command) != commands.end();
}

}  // namespace

TEST(PolicyWatch, EachWriteUnderEitherHiveAsksForAReload) {
  ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kPolicyKey, "notips", 0));
  ASSERT_TRUE(WriteRegistryDword(HKEY_LOCAL_MACHINE, kPolicyKey, "notips", 0));
  HWND window = CreateTestWindow();
  AppState.mainWindow = window;
  PolicyWatch watch;
  ASSERT_TRUE(OpenPolicyWatch(&watch));
  const HKEY hives[kPolicyHives] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
  for (int round = 0; round < 2; round++) {
    for (int hive = 0; hive < kPolicyHives; hive++) {
      SCOPED_TRACE("round " + std::to_string(round) + " hive " + std::to_string(hive));
      ASSERT_TRUE(watch.armed[hive]);
      EXPECT_EQ(WaitForSingleObject(watch.events[hive], 0), static_cast<DWORD>(WAIT_TIMEOUT));
      ASSERT_TRUE(WriteRegistryDword(hives[hive], kPolicyKey, "notips", static_cast<DWORD>(round + 1)));
      EXPECT_EQ(WaitForSingleObject(watch.events[hive], 5000), static_cast<DWORD>(WAIT_OBJECT_0));
      ServePolicyWatch(&watch, hive);
      EXPECT_TRUE(Has(TakePostedCommands(window), kCmdReloadSettings));
    }
  }
  for (int hive = 0; hive < kPolicyHives; hive++) {
    CloseHandle(watch.events[hive]);
    RegCloseKey(watch.keys[hive]);
  }
  AppState.mainWindow = nullptr;
  DestroyWindow(window);
  DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
}
