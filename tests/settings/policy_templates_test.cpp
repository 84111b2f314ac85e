// Every value the Group Policy template can write (its table is generated from the
// template at build time), written into the policy key of each hive its policy's class
// allows, over a user's own value that differs: the program must then do what the
// template's text promises. A value the template writes that this test cannot tell the
// effect of fails, so a policy added to the template comes with its check.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "admx_rows.h"
#include "holdoff/clock_holds.h"
#include "holdoff/clock_store.h"
#include "holdoff/holdoff_state.h"
#include "holdoff/holdoff_store.h"
#include "log/log.h"
#include "settings/policy_store.h"
#include "settings/settings_store.h"
#include "state/app_state.h"
#include "support/test_support.h"
#include "triggers/corner_stay.h"

namespace {

constexpr const char* kOwnKey = "Software\\Dozelite";
constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";

// What the program does with a value, read after a reload: the number it acts on.
struct Effect {
  const char* valueName;
  std::function<int()> acted;
};

int AsNumber(bool on) { return on ? 1 : 0; }

// A hold-off switch as the rules hold it: -1 when no policy sets it.
int HoldOffSwitch(int bit) {
  static HoldOffRules rules;
  GetHoldOffRules(&rules);
  if (!(rules.policySwitches & bit)) return -1;
  return AsNumber(bit == kHoldOffEnabledByPolicy ? rules.enabled : rules.fullscreen);
}

const Effect kEffects[] = {
    {"nosplash", [] { return AppState.nosplash; }},
    {"notips", [] { return AppState.notips; }},
    {"randomonactivate", [] { return AppState.randomonactivate; }},
    {"randomonclick", [] { return AppState.randomonclick; }},
    {"randomonload", [] { return AppState.randomonload; }},
    {"corneraction", [] { return AppState.corneraction.load(); }},
    {"cornerscope", [] { return AppState.cornerscope.load(); }},
    {"cornersfullscreen", [] { return AppState.cornersfullscreen.load(); }},
    {"splitlist", [] { return AppState.splitlist; }},
    {"chooselaunch", [] { return AppState.chooselaunch; }},
    {"unifiedlist", [] { return AppState.unifiedlist; }},
    {"notifications", [] { return AppState.notifications; }},
    {"autolog", [] { return AsNumber(GetAutoLogToFile()); }},
    {"updatecheck", [] { return AsNumber(UpdateCheckAllowed()); }},
    {"allowexit", [] { return AsNumber(ExitAllowed()); }},
    {"delay", [] { return AppState.delay; }},
    // The dwell the corner watcher waits, after its own bounds: an item it would cut is wrong.
    {"cornerdelay", [] { return CornerDelayMs(AppState.cornerdelay.load()); }},
    {"enabled", [] { return HoldOffSwitch(kHoldOffEnabledByPolicy); }},
    {"fullscreen", [] { return HoldOffSwitch(kHoldOffFullScreenByPolicy); }},
};

const Effect* EffectOf(const char* valueName) {
  for (const Effect& effect : kEffects)
    if (strcmp(effect.valueName, valueName) == 0) return &effect;
  return nullptr;
}

class PolicyTemplatesTest : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override {
    Clear();
    Reload();
    SetAutoLogToFile(false);
    FreeSaverPaths();
  }
  static void Clear() {
    DeleteRegistryTree(HKEY_CURRENT_USER, kOwnKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
    ResetAppState(GetModuleHandleA(nullptr));
  }
  // As a policy change does: the settings, then the hold-off's rules and clock.
  static void Reload() {
    LoadSettings();
    ReloadHoldOff();
  }
};

}  // namespace

TEST_F(PolicyTemplatesTest, EveryValueTheTemplateWritesDoesWhatItSays) {
  int checked = 0;
  for (const AdmxRow& row : kAdmxRows) {
    const HKEY hives[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY hive : hives) {
      bool machine = hive == HKEY_LOCAL_MACHINE;
      if (strcmp(row.scope, "Both") != 0 && strcmp(row.scope, machine ? "Machine" : "User") != 0) continue;
      SCOPED_TRACE(std::string(row.policy) + " " + row.how + " " + std::to_string(row.value) +
                   (machine ? " (computer)" : " (user)"));
      Clear();
      if (strcmp(row.how, "list") == 0) {
        bool schedules = strstr(row.key, "\\Schedules") != nullptr;
        // The user's own entry of the same name says otherwise: the organisation's must win.
        const char* ownKey = schedules ? kSchedulesKey : kHoldOffKey;
        const char* name = schedules ? "Office" : "slides.exe";
        ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, ownKey, name, schedules ? "sun 01:00-02:00" : "running"));
        ASSERT_TRUE(WriteRegistryString(hive, row.key, name, schedules ? "mon-fri 08:30-17:30" : "front"));
        Reload();
        if (schedules) {
          static HoldSchedules given;
          GetHoldSchedules(&given);
          int at = FindHoldSchedule(given, name);
          ASSERT_GE(at, 0);
          EXPECT_TRUE(given.items[at].fromPolicy);
          EXPECT_EQ(given.items[at].days, kWorkDays);
          EXPECT_EQ(given.items[at].startMinute, 8 * 60 + 30);
          EXPECT_EQ(given.items[at].endMinute, 17 * 60 + 30);
        } else {
          static HoldOffRules rules;
          GetHoldOffRules(&rules);
          int at = FindHoldOffRule(rules, kHoldWhileInFront, name);
          ASSERT_GE(at, 0);
          EXPECT_TRUE(rules.programs[at].fromPolicy);
          EXPECT_LT(FindHoldOffRule(rules, kHoldWhileRunning, name), 0) << "the user's own rule held too";
        }
        checked++;
        continue;
      }
      const Effect* effect = EffectOf(row.valueName);
      ASSERT_NE(effect, nullptr) << "no check for what " << row.valueName << " does: add one to kEffects";
      // The user's own value, where there is one, is another: the policy's must be the one acted on.
      bool holdOff = strstr(row.key, "\\HoldOff") != nullptr;
      DWORD own = row.value == 0 ? 1 : row.value == 1 ? 0 : row.value + 1;
      ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, holdOff ? kHoldOffKey : kOwnKey, row.valueName, own));
      ASSERT_TRUE(WriteRegistryDword(hive, row.key, row.valueName, row.value));
      Reload();
      EXPECT_EQ(effect->acted(), static_cast<int>(row.value));
      if (!holdOff) {
        EXPECT_TRUE(IsSetByPolicy(row.valueName));
      }
      checked++;
    }
  }
  EXPECT_GE(checked, static_cast<int>(sizeof(kAdmxRows) / sizeof(kAdmxRows[0])));
}
