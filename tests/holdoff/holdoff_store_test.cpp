// The hold-off rules in the registry: read over the defaults, bad values named in the
// log once each and left out, saved without losing what the user wrote by hand.
#include "holdoff/holdoff_store.h"

#include <gtest/gtest.h>

#include <string>

#include "support/log_capture.h"
#include "support/test_support.h"

namespace {

class HoldOffStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey); }
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey); }

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
