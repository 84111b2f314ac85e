// The hold-off rules in the registry: read over the defaults, bad values named in the
// log once each and left out, saved without losing what the user wrote by hand.
#include "holdoff/holdoff_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "support/log_capture.h"
#include "support/test_support.h"

namespace {

class HoldOffStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffPolicyKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kHoldOffPolicyKey);
  }

  static void Put(const std::string& name, const std::string& data) {
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kHoldOffKey, name.c_str(), data));
  }
  static void PutDword(const char* name, DWORD value) {
    ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, name, value));
  }

  HoldOffRules rules_;
};

}  // namespace

TEST_F(HoldOffStoreTest, NoKeyGivesTheDefaults) {
  rules_.enabled = 0;
  rules_.count = 9;
  EXPECT_FALSE(LoadHoldOffRules(&rules_));
  EXPECT_EQ(rules_.enabled, 1);
  EXPECT_EQ(rules_.fullscreen, 1);
  EXPECT_EQ(rules_.count, 0);
}

TEST_F(HoldOffStoreTest, EachBadValueIsLoggedOnceAndLeftOut) {
  LogCapture log("holdoff-store");
  Put("vlc.exe", "running");
  Put("Slides.EXE", "front");
  PutDword("enabled", 0);
  // Bad values, each with the part of its log line that names it.
  const std::string longName(300, 'n');
  struct Bad {
    std::string name;
    std::string logged;
  };
  const Bad bad[] = {{"C:\\Tools\\path.exe", "C:\\Tools\\path.exe"},
                     {"*.exe", "*.exe"},
                     {"odd.exe", "odd.exe"},
                     {"dword.exe", "dword.exe"},
                     {"long.exe", "long.exe"},
                     {"fullscreen", "fullscreen"},
                     {longName, "\" ignored"}};
  Put(bad[0].name, "running");
  Put(bad[1].name, "front");
  Put(bad[2].name, "sometimes");
  PutDword(bad[3].name.c_str(), 1);
  Put(bad[4].name, "running" + std::string(100, ' '));
  Put(bad[5].name, "0");  // a switch stored as text
  Put(bad[6].name, "running");

  EXPECT_TRUE(LoadHoldOffRules(&rules_));
  EXPECT_EQ(rules_.enabled, 0);
  EXPECT_EQ(rules_.fullscreen, 1) << "a switch of the wrong type keeps its default";
  ASSERT_EQ(rules_.count, 2);
  EXPECT_EQ(FindHoldOffRule(rules_, kHoldWhileRunning, "vlc.exe"),
            FindHoldOffRule(rules_, kHoldWhileRunning, "VLC.EXE"));
  EXPECT_GE(FindHoldOffRule(rules_, kHoldWhileRunning, "vlc.exe"), 0);
  EXPECT_GE(FindHoldOffRule(rules_, kHoldWhileInFront, "slides.exe"), 0);
  EXPECT_EQ(log.Count("HoldOff: value"), std::size(bad));
  for (const Bad& value : bad)
    EXPECT_EQ(log.Count("HoldOff: value \"" + value.logged), 1u) << value.logged << "\n" << log.Text();
}

TEST_F(HoldOffStoreTest, ProgramsPastTheLimitAreLoggedAndLeftOut) {
  LogCapture log("holdoff-limit");
  for (int n = 0; n < kMaxHoldOffPrograms + 3; n++) Put("p" + std::to_string(n) + ".exe", "running");
  LoadHoldOffRules(&rules_);
  EXPECT_EQ(rules_.count, kMaxHoldOffPrograms);
  EXPECT_EQ(log.Count("more than 256 programs"), 3u);
  ASSERT_TRUE(SaveHoldOffRules(rules_, rules_));
  DWORD values = 0;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kHoldOffKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  EXPECT_EQ(values, static_cast<DWORD>(kMaxHoldOffPrograms + 3 + 2)) << "programs past the limit were dropped";
}

TEST_F(HoldOffStoreTest, SaveReplacesTheProgramsButKeepsValuesItCannotRead) {
  Put("old.exe", "running");
  Put("*.exe", "running");
  Put("kept.exe", "front");
  LoadHoldOffRules(&rules_);
  ASSERT_EQ(rules_.count, 2);
  static HoldOffRules edited;
  edited = rules_;
  HoldOffRule vlc;
  ASSERT_TRUE(ParseHoldOffRule("vlc.exe", "front", &vlc, nullptr));
  RemoveHoldOffRule(&edited, FindHoldOffRule(edited, kHoldWhileRunning, "old.exe"));
  PutHoldOffRule(&edited, vlc);
  edited.fullscreen = 0;
  Put("late.exe", "running");  // written by hand while the rules were being edited
  ASSERT_TRUE(SaveHoldOffRules(rules_, edited));

  std::string value;
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "old.exe", &value)) << "a removed rule stays";
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "vlc.exe", &value));
  EXPECT_EQ(value, "front");
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "kept.exe", &value));
  EXPECT_EQ(value, "front");
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "*.exe", &value)) << "a hand-written value was lost";
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "late.exe", &value)) << "only removed rules go";
  DWORD fullscreen = 7;
  ASSERT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, "fullscreen", &fullscreen));
  EXPECT_EQ(fullscreen, 0u);

  HoldOffRules again;
  LoadHoldOffRules(&again);
  EXPECT_EQ(again.count, 3);
  EXPECT_EQ(again.fullscreen, 0);
}

// Where a value is written: the machine's policy, the user's policy, the user's own.
struct Place {
  HKEY hive;
  const char* key;
};
const Place kMachine = {HKEY_LOCAL_MACHINE, kHoldOffPolicyKey};
const Place kUserPolicy = {HKEY_CURRENT_USER, kHoldOffPolicyKey};
const Place kOwn = {HKEY_CURRENT_USER, kHoldOffKey};

TEST_F(HoldOffStoreTest, PolicyRulesAreAddedToTheUsersAndTheStrongerWins) {
  struct Value {
    Place place;
    const char* data;  // null: not written
  };
  struct Case {
    const char* what;
    Value machine, userPolicy, own;
    const char* kind;  // the rule in force for game.exe
    bool fromPolicy;
  };
  const Case cases[] = {
      {"own alone", {kMachine, nullptr}, {kUserPolicy, nullptr}, {kOwn, "front"}, "front", false},
      {"user policy over own", {kMachine, nullptr}, {kUserPolicy, "running"}, {kOwn, "front"}, "running", true},
      {"machine over user policy", {kMachine, "front"}, {kUserPolicy, "running"}, {kOwn, nullptr}, "front", true},
      {"machine over own", {kMachine, "running"}, {kUserPolicy, nullptr}, {kOwn, "front"}, "running", true},
      {"a bad policy value leaves the own", {kMachine, "often"}, {kUserPolicy, nullptr}, {kOwn, "front"}, "front",
       false},
  };
  for (const Case& test : cases) {
    TearDown();
    for (const Value& value : {test.machine, test.userPolicy, test.own})
      if (value.data) ASSERT_TRUE(WriteRegistryString(value.place.hive, value.place.key, "game.exe", value.data));
    ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "mine.exe", "running"));
    ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kHoldOffPolicyKey, "given.exe", "front"));
    LoadHoldOffRules(&rules_);
    ASSERT_EQ(rules_.count, 3) << test.what << ": the rules of every key are kept together";
    HoldOffKind kind = strcmp(test.kind, "front") == 0 ? kHoldWhileInFront : kHoldWhileRunning;
    int game = FindHoldOffRule(rules_, kind, "game.exe");
    ASSERT_GE(game, 0) << test.what;
    EXPECT_EQ(rules_.programs[game].fromPolicy, test.fromPolicy) << test.what;
    EXPECT_FALSE(rules_.programs[FindHoldOffRule(rules_, kHoldWhileRunning, "mine.exe")].fromPolicy) << test.what;
    EXPECT_TRUE(rules_.programs[FindHoldOffRule(rules_, kHoldWhileInFront, "given.exe")].fromPolicy) << test.what;
  }
}

TEST_F(HoldOffStoreTest, PolicySwitchesOverrideTheUsersMachineFirst) {
  struct Case {
    const char* what;
    int machine, userPolicy, own;  // -1: not written
    int enabled;
    bool byPolicy;
  };
  const Case cases[] = {
      {"own off", -1, -1, 0, 0, false},
      {"user policy off over own on", -1, 0, 1, 0, true},
      {"user policy on over own off", -1, 1, 0, 1, true},
      {"machine on over user policy off", 1, 0, 0, 1, true},
      {"machine off over own on", 0, -1, 1, 0, true},
  };
  for (const Case& test : cases) {
    TearDown();
    const std::pair<Place, int> values[] = {{kMachine, test.machine}, {kUserPolicy, test.userPolicy}, {kOwn, test.own}};
    for (const auto& value : values)
      if (value.second >= 0)
        ASSERT_TRUE(WriteRegistryDword(value.first.hive, value.first.key, "enabled", static_cast<DWORD>(value.second)));
    LoadHoldOffRules(&rules_);
    EXPECT_EQ(rules_.enabled, test.enabled) << test.what;
    EXPECT_EQ((rules_.policySwitches & kHoldOffEnabledByPolicy) != 0, test.byPolicy) << test.what;
    EXPECT_EQ(rules_.policySwitches & kHoldOffFullScreenByPolicy, 0) << test.what << ": only the switch given";
  }
}

TEST_F(HoldOffStoreTest, SavingNeverWritesWhatThePolicyGivesIntoTheUsersKey) {
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kHoldOffPolicyKey, "given.exe", "front"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kHoldOffPolicyKey, "shadow.exe", "front"));
  ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffPolicyKey, "fullscreen", 0));
  Put("shadow.exe", "running");  // the user's own, hidden while the policy gives one
  PutDword("fullscreen", 1);
  LoadHoldOffRules(&rules_);
  static HoldOffRules edited;
  edited = rules_;
  HoldOffRule mine;
  ASSERT_TRUE(ParseHoldOffRule("mine.exe", "running", &mine, nullptr));
  ASSERT_TRUE(PutHoldOffRule(&edited, mine));
  ASSERT_TRUE(SaveHoldOffRules(rules_, edited));

  std::string value;
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "given.exe", &value)) << "a policy rule leaked";
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "shadow.exe", &value)) << "the user's own was lost";
  EXPECT_EQ(value, "running") << "the policy's kind was written over the user's";
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "mine.exe", &value));
  DWORD fullscreen = 7;
  ASSERT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, "fullscreen", &fullscreen));
  EXPECT_EQ(fullscreen, 1u) << "the policy's switch was written over the user's";
  EXPECT_FALSE(SaveHoldOffSwitch(kHoldOffFullScreenValue, false)) << "the command line's hand-over went through";
  EXPECT_TRUE(SaveHoldOffSwitch(kHoldOffEnabledValue, false)) << "a switch the policy leaves is the user's";
  ASSERT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, "fullscreen", &fullscreen));
  EXPECT_EQ(fullscreen, 1u);

  DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffPolicyKey);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kHoldOffPolicyKey);
  LoadHoldOffRules(&rules_);
  EXPECT_EQ(rules_.count, 2) << "without the policy the user's own rules are back";
  EXPECT_EQ(rules_.fullscreen, 1);
  EXPECT_EQ(rules_.enabled, 0);
}
