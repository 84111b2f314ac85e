// Policies against the test prefix's registry: which of the machine's, the user's policy
// and the user's own setting wins, that the user's own value survives saving, values of
// the wrong type, and the commands a policy locks.
#include "settings/policy_store.h"

#include <gtest/gtest.h>

#include <string>

#include "log/log.h"
#include "settings/settings_store.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/log_capture.h"
#include "support/test_support.h"

namespace {

constexpr const char* kOwnKey = "Software\\Dozelite";
constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";
constexpr const char* kDesktopPolicyKey = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
constexpr int kAbsent = -1;

class PolicyStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override {
    Clear();
    LoadPolicies();
    FreeSaverPaths();
  }
  static void Clear() {
    DeleteRegistryTree(HKEY_CURRENT_USER, kOwnKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kDesktopPolicyKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kDesktopPolicyKey);
    ResetAppState(GetModuleHandleA(nullptr));
  }
  static void Put(HKEY hive, const char* key, const char* name, int value) {
    if (value == kAbsent) return;
    ASSERT_TRUE(WriteRegistryDword(hive, key, name, static_cast<DWORD>(value)));
  }
};

}  // namespace

// Every combination of the machine's policy, the user's policy and the user's own value:
// the first one present wins, and saving never writes the winner over the user's own.
TEST_F(PolicyStoreTest, MachineBeforeUserBeforeOwnAndTheOwnValueSurvivesSaving) {
  const int values[] = {kAbsent, 0, 1};
  for (int machine : values) {
    for (int user : values) {
      for (int own : values) {
        SCOPED_TRACE("machine " + std::to_string(machine) + " user " + std::to_string(user) + " own " +
                     std::to_string(own));
        Clear();
        Put(HKEY_LOCAL_MACHINE, kPolicyKey, "randomonload", machine);
        Put(HKEY_CURRENT_USER, kPolicyKey, "randomonload", user);
        Put(HKEY_CURRENT_USER, kOwnKey, "randomonload", own);
        LoadSettings();
        int expected = machine != kAbsent ? machine : user != kAbsent ? user : own != kAbsent ? own : 0;
        EXPECT_EQ(AppState.randomonload, expected);
        EXPECT_EQ(IsSetByPolicy("randomonload"), machine != kAbsent || user != kAbsent);

        AppState.randomonload = expected ? 0 : 1;  // as a stray change would
        ASSERT_EQ(SaveSettings(), 1);
        DWORD stored = 7;
        bool present = ReadRegistryDword(HKEY_CURRENT_USER, kOwnKey, "randomonload", &stored);
        if (machine == kAbsent && user == kAbsent) {
          EXPECT_TRUE(present);
          EXPECT_EQ(static_cast<int>(stored), expected ? 0 : 1);
        } else if (own == kAbsent) {
          EXPECT_FALSE(present);
        } else {
          EXPECT_TRUE(present);
          EXPECT_EQ(static_cast<int>(stored), own);
        }
      }
    }
  }
}

// A policy of one setting leaves the others to the user; the numbers and the log switch
// take the policy's value as they are.
TEST_F(PolicyStoreTest, EachSettingFollowsItsOwnPolicy) {
  Put(HKEY_CURRENT_USER, kOwnKey, "delay", 100);
  Put(HKEY_CURRENT_USER, kOwnKey, "cornerdelay", 300);
  Put(HKEY_CURRENT_USER, kOwnKey, "splitlist", 1);
  Put(HKEY_LOCAL_MACHINE, kPolicyKey, "cornerdelay", 1000);
  Put(HKEY_CURRENT_USER, kPolicyKey, "delay", 2500);
  Put(HKEY_CURRENT_USER, kPolicyKey, "cornerdelay", 150);
  Put(HKEY_CURRENT_USER, kPolicyKey, "autolog", 1);
  LoadSettings();
  EXPECT_EQ(AppState.delay, 2500);
  EXPECT_EQ(AppState.cornerdelay.load(), 1000);
  EXPECT_EQ(AppState.splitlist, 1);
  EXPECT_TRUE(GetAutoLogToFile());
  SaveSettings();
  DWORD value = 0;
  EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kOwnKey, "delay", &value));
  EXPECT_EQ(value, 100u);
  EXPECT_FALSE(ReadRegistryDword(HKEY_CURRENT_USER, kOwnKey, "autolog", &value));
  SetAutoLogToFile(false);

  // Removing the policy brings the user's own value back at the next reading.
  DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
  LoadSettings();
  EXPECT_EQ(AppState.delay, 100);
  EXPECT_EQ(AppState.cornerdelay.load(), 300);
}

// A text or a short binary where a DWORD belongs is no policy: named in the log, and the
// user's policy or own value applies instead.
TEST_F(PolicyStoreTest, ValuesOfAnotherTypeAreIgnoredAndLogged) {
  LogCapture log("policy-types");
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kPolicyKey, "notips", "1"));
  const BYTE shortValue[2] = {1, 0};
  ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, kPolicyKey, "nosplash", REG_BINARY, shortValue, 2));
  Put(HKEY_CURRENT_USER, kPolicyKey, "nosplash", 0);
  Put(HKEY_CURRENT_USER, kOwnKey, "notips", 0);
  Put(HKEY_CURRENT_USER, kOwnKey, "nosplash", 1);
  LoadSettings();
  EXPECT_EQ(AppState.notips, 0);
  EXPECT_FALSE(IsSetByPolicy("notips"));
  EXPECT_EQ(AppState.nosplash, 0);
  EXPECT_TRUE(log.Has("Policy: notips under HKLM is not a DWORD and is ignored")) << log.Text();
  EXPECT_TRUE(log.Has("Policy: nosplash under HKLM is not a DWORD and is ignored")) << log.Text();
}

// Each lock names its own policy, and only a set one locks: a swapped or missing row
// would grey or refuse the wrong item.
TEST_F(PolicyStoreTest, CommandsAreLockedByTheirOwnPolicyOnly) {
  struct Row {
    int command;
    const char* policy;
  } rows[] = {
      {kCmdToggleRandomOnClick, "randomonclick"},     {kCmdToggleRandomOnLoad, "randomonload"},
      {kCmdToggleRandomOnActivate, "randomonactivate"}, {kCmdToggleSplash, "nosplash"},
      {kCmdToggleTips, "notips"},                     {kCmdToggleCornerActions, "corneraction"},
      {kCmdToggleCornerEveryMonitor, "cornerscope"},  {kCmdToggleCornersOverFullScreen, "cornersfullscreen"},
      {kCmdCornerDelay500, "cornerdelay"},            {kCmdToggleAutoLog, "autolog"},
      {kCmdToggleSplitList, "splitlist"},             {kCmdToggleChooseLaunch, "chooselaunch"},
      {kCmdToggleUnifiedList, "unifiedlist"},         {kCmdToggleNotifications, "notifications"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.policy);
    Clear();
    LoadPolicies();
    EXPECT_EQ(PolicyLockingCommand(row.command), nullptr);
    Put(HKEY_CURRENT_USER, kPolicyKey, row.policy, 1);
    LoadPolicies();
    for (const Row& other : rows) {
      const char* lock = PolicyLockingCommand(other.command);
      if (&other == &row)
        EXPECT_STREQ(lock, row.policy);
      else
        EXPECT_EQ(lock, nullptr) << other.policy;
    }
  }

  // Windows' own policies, by either hive, whatever their value.
  Clear();
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kDesktopPolicyKey, "ScreenSaveTimeOut", "600"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kDesktopPolicyKey, "ScreenSaverIsSecure", "0"));
  LoadPolicies();
  EXPECT_STREQ(PolicyLockingCommand(kRangeSetTimeout + 5), "ScreenSaveTimeOut");
  EXPECT_STREQ(PolicyLockingCommand(kCmdOtherTimeout), "ScreenSaveTimeOut");
  EXPECT_STREQ(PolicyLockingCommand(kCmdTogglePassword), "ScreenSaverIsSecure");
  EXPECT_EQ(PolicyLockingCommand(kCmdToggleSaver), nullptr);
  EXPECT_EQ(PolicyLockingCommand(kRangeChooseSaver + 1), nullptr);
  EXPECT_EQ(PolicyLockingCommand(kRangeDisableMinutes + 5), nullptr);
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kDesktopPolicyKey, "SCRNSAVE.EXE", "C:\\x.scr"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kDesktopPolicyKey, "ScreenSaveActive", "1"));
  LoadPolicies();
  EXPECT_STREQ(PolicyLockingCommand(kRangeChooseSaver + 1), "SCRNSAVE.EXE");
  EXPECT_STREQ(PolicyLockingCommand(kCmdChooseNoSaver), "SCRNSAVE.EXE");
  EXPECT_STREQ(PolicyLockingCommand(kCmdToggleSaver), "ScreenSaveActive");

  // Exit and the update check: only a 0 locks them.
  Clear();
  Put(HKEY_LOCAL_MACHINE, kPolicyKey, "allowexit", 1);
  Put(HKEY_LOCAL_MACHINE, kPolicyKey, "updatecheck", 1);
  LoadPolicies();
  EXPECT_EQ(PolicyLockingCommand(kCmdExit), nullptr);
  EXPECT_EQ(PolicyLockingCommand(kCmdCheckForUpdates), nullptr);
  EXPECT_TRUE(ExitAllowed());
  EXPECT_TRUE(UpdateCheckAllowed());
  Put(HKEY_CURRENT_USER, kPolicyKey, "allowexit", 0);  // the machine's 1 wins
  Put(HKEY_LOCAL_MACHINE, kPolicyKey, "updatecheck", 0);
  LoadPolicies();
  EXPECT_TRUE(ExitAllowed());
  EXPECT_FALSE(UpdateCheckAllowed());
  EXPECT_STREQ(PolicyLockingCommand(kCmdCheckForUpdates), "updatecheck");
  Put(HKEY_LOCAL_MACHINE, kPolicyKey, "allowexit", 0);
  LoadPolicies();
  EXPECT_STREQ(PolicyLockingCommand(kCmdExit), "allowexit");
}
