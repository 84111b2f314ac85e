#include "holdoff/holdoff_rules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace {

HoldOffRules Rules(std::initializer_list<HoldOffRule> programs, int fullscreen = 1, int enabled = 1) {
  static HoldOffRules rules;
  ResetHoldOffRules(&rules);
  rules.enabled = enabled;
  rules.fullscreen = fullscreen;
  for (const HoldOffRule& rule : programs) EXPECT_TRUE(PutHoldOffRule(&rules, rule));
  return rules;
}

HoldOffRule Rule(const char* name, HoldOffKind kind) {
  HoldOffRule rule = {};
  snprintf(rule.name, sizeof(rule.name), "%s", name);
  rule.kind = kind;
  return rule;
}

std::string Reason(const HoldOffRules& rules, HoldOffScene scene) {
  char reason[kHoldOffReasonSize] = "untouched";
  bool held = ChooseHoldOffReason(rules, scene, reason, sizeof(reason));
  EXPECT_EQ(held, reason[0] != 0) << reason;
  return reason;
}

struct ParseCase {
  const char* name;
  const char* data;
  bool valid;
  const char* storedName;
  HoldOffKind kind;
};

}  // namespace

TEST(ParseHoldOffRule, AcceptsBareNamesWithAKnownKindOnly) {
  const std::string tooLong(kProgramNameSize, 'a');
  const std::string longest(kProgramNameSize - 1, 'a');
  const ParseCase cases[] = {
      {"vlc.exe", "running", true, "vlc.exe", kHoldWhileRunning},
      {"VLC.EXE", "front", true, "vlc.exe", kHoldWhileInFront},
      {"Game.exe", "Front", true, "game.exe", kHoldWhileInFront},
      {"no extension", "running", true, "no extension", kHoldWhileRunning},
      {longest.c_str(), "running", true, longest.c_str(), kHoldWhileRunning},
      {tooLong.c_str(), "running", false, nullptr, kHoldWhileRunning},
      {"vlc.exe", "", false, nullptr, kHoldWhileRunning},
      {"vlc.exe", "runningx", false, nullptr, kHoldWhileRunning},
      {"vlc.exe", "in front", false, nullptr, kHoldWhileRunning},
      {"vlc.exe", nullptr, false, nullptr, kHoldWhileRunning},
      {"C:\\Program Files\\vlc.exe", "running", false, nullptr, kHoldWhileRunning},
      {"bin/vlc.exe", "running", false, nullptr, kHoldWhileRunning},
      {"c:vlc.exe", "running", false, nullptr, kHoldWhileRunning},
      {"*.exe", "running", false, nullptr, kHoldWhileRunning},
      {"vl?.exe", "running", false, nullptr, kHoldWhileRunning},
      {"..", "running", false, nullptr, kHoldWhileRunning},
      {"", "running", false, nullptr, kHoldWhileRunning},
      {nullptr, "running", false, nullptr, kHoldWhileRunning},
      {"tab\there.exe", "running", false, nullptr, kHoldWhileRunning},
  };
  for (const ParseCase& test : cases) {
    HoldOffRule rule = Rule("before", kHoldWhileInFront);
    const char* problem = nullptr;
    std::string label = std::string(test.name ? test.name : "(null)") + " = " + (test.data ? test.data : "(null)");
    EXPECT_EQ(ParseHoldOffRule(test.name, test.data, &rule, &problem), test.valid) << label;
    if (test.valid) {
      EXPECT_STREQ(rule.name, test.storedName) << label;
      EXPECT_EQ(rule.kind, test.kind) << label;
    } else {
      EXPECT_TRUE(problem && problem[0]) << label;
      EXPECT_STREQ(rule.name, "before") << "a failed parse must leave the rule untouched: " << label;
    }
  }
}

TEST(PutHoldOffRule, ReplacesTheKindOfAKnownNameAndStopsAtTheLimit) {
  static HoldOffRules rules;
  ResetHoldOffRules(&rules);
  EXPECT_TRUE(PutHoldOffRule(&rules, Rule("vlc.exe", kHoldWhileRunning)));
  EXPECT_TRUE(PutHoldOffRule(&rules, Rule("VLC.exe", kHoldWhileInFront)));
  ASSERT_EQ(rules.count, 1);
  EXPECT_EQ(rules.programs[0].kind, kHoldWhileInFront);
  for (int n = 1; n < kMaxHoldOffPrograms; n++) {
    char name[32];
    snprintf(name, sizeof(name), "p%d.exe", n);
    EXPECT_TRUE(PutHoldOffRule(&rules, Rule(name, kHoldWhileRunning)));
  }
  EXPECT_FALSE(PutHoldOffRule(&rules, Rule("one-too-many.exe", kHoldWhileRunning)));
  EXPECT_EQ(rules.count, kMaxHoldOffPrograms);
  EXPECT_TRUE(PutHoldOffRule(&rules, Rule("p9.exe", kHoldWhileInFront))) << "a known name still changes when full";

  RemoveHoldOffRule(&rules, 0);
  RemoveHoldOffRule(&rules, kMaxHoldOffPrograms);  // past the end: ignored
  RemoveHoldOffRule(&rules, -1);
  EXPECT_EQ(rules.count, kMaxHoldOffPrograms - 1);
  EXPECT_STREQ(rules.programs[0].name, "p1.exe") << "removal keeps the order of the rest";
  EXPECT_STREQ(rules.programs[rules.count - 1].name, "p255.exe");
}

TEST(FindHoldOffRule, MatchesTheFileNameOfAPathOfTheRightKind) {
  HoldOffRules rules = Rules({Rule("vlc.exe", kHoldWhileRunning), Rule("game.exe", kHoldWhileInFront)});
  EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileRunning, "vlc.exe"), 0);
  EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileRunning, "C:\\Program Files\\VideoLAN\\VLC.EXE"), 0);
  EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileInFront, "\\\\?\\D:\\Games\\game.exe"), 1);
  EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileInFront, "vlc.exe"), -1) << "kind must match";
  EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileRunning, "vlc.exe.bak"), -1);
  EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileRunning, "myvlc.exe"), -1);
  EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileRunning, "C:\\vlc.exe\\"), -1) << "a folder path names no program";
  EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileRunning, nullptr), -1);
  EXPECT_TRUE(HasRunningRules(rules));
  EXPECT_TRUE(HasFrontRules(rules));
  EXPECT_FALSE(HasFrontRules(Rules({Rule("vlc.exe", kHoldWhileRunning)})));
}

TEST(ChooseHoldOffReason, FullScreenWinsOverFrontOverRunningAndSwitchesApply) {
  HoldOffRules rules = Rules({Rule("vlc.exe", kHoldWhileRunning), Rule("slides.exe", kHoldWhileInFront)});
  struct Case {
    const char* what;
    int enabled;
    int fullscreen;
    HoldOffScene scene;
    const char* reason;
  };
  const Case cases[] = {
      {"nothing seen", 1, 1, {false, nullptr, nullptr}, ""},
      {"full screen", 1, 1, {true, nullptr, nullptr}, "a full-screen window is in front"},
      {"full screen off", 1, 0, {true, nullptr, nullptr}, ""},
      {"front", 1, 1, {false, "C:\\Apps\\Slides.exe", nullptr}, "slides.exe is in front"},
      {"running", 1, 1, {false, nullptr, "vlc.exe"}, "vlc.exe is running"},
      {"running program in front is no front rule", 1, 1, {false, "vlc.exe", nullptr}, ""},
      {"front program merely running", 1, 1, {false, nullptr, "slides.exe"}, ""},
      {"all three", 1, 1, {true, "slides.exe", "vlc.exe"}, "a full-screen window is in front"},
      {"front and running", 1, 1, {false, "slides.exe", "vlc.exe"}, "slides.exe is in front"},
      {"full screen off, running", 1, 0, {true, nullptr, "vlc.exe"}, "vlc.exe is running"},
      {"master switch off", 0, 1, {true, "slides.exe", "vlc.exe"}, ""},
  };
  for (const Case& test : cases) {
    rules.enabled = test.enabled;
    rules.fullscreen = test.fullscreen;
    EXPECT_EQ(Reason(rules, test.scene), test.reason) << test.what;
  }
}

TEST(ChooseHoldOffReason, CutsTheReasonToTheBuffer) {
  HoldOffRules rules = Rules({});
  char reason[8];
  memset(reason, '#', sizeof(reason));
  EXPECT_TRUE(ChooseHoldOffReason(rules, {true, nullptr, nullptr}, reason, 6));
  EXPECT_STREQ(reason, "a ful");
  EXPECT_EQ(reason[6], '#');
  EXPECT_TRUE(ChooseHoldOffReason(rules, {true, nullptr, nullptr}, nullptr, 0)) << "no buffer still answers";
}

// The programs dialog works on a copy taken when it opened; the rules may change before
// OK (a reload, a hand-over of "holdoff=0"). Only the user's own changes may reach them.
TEST(ApplyHoldOffEdits, CarriesOnlyTheEditorsChangesIntoTheRulesAsTheyAreNow) {
  const HoldOffRule vlc = Rule("vlc.exe", kHoldWhileRunning);
  const HoldOffRule vlcFront = Rule("vlc.exe", kHoldWhileInFront);
  const HoldOffRule game = Rule("game.exe", kHoldWhileInFront);
  const HoldOffRule late = Rule("late.exe", kHoldWhileRunning);
  const HoldOffRule added = Rule("added.exe", kHoldWhileRunning);
  struct Case {
    const char* what;
    HoldOffRules before, after, current, expected;
  };
  static const Case cases[] = {
      {"an addition keeps a rule that came meanwhile", Rules({vlc}), Rules({vlc, added}), Rules({vlc, late}),
       Rules({vlc, late, added})},
      {"a removal removes that rule only", Rules({vlc, game}), Rules({game}), Rules({vlc, game, late}),
       Rules({game, late})},
      {"a kind changed in the editor", Rules({vlc}), Rules({vlcFront}), Rules({vlc, late}), Rules({vlcFront, late})},
      {"a kind changed meanwhile and not in the editor", Rules({vlc}), Rules({vlc, added}), Rules({vlcFront}),
       Rules({vlcFront, added})},
      {"removed in both", Rules({vlc, game}), Rules({game}), Rules({game}), Rules({game})},
      {"removed meanwhile, untouched in the editor", Rules({vlc, game}), Rules({vlc, game}), Rules({game}),
       Rules({game})},
      {"switches turned off meanwhile stay off", Rules({vlc}), Rules({}), Rules({vlc, late}, 0, 0),
       Rules({late}, 0, 0)},
      {"switches the editor's copies differ in are not the editor's", Rules({}, 0, 0), Rules({added}, 1, 1),
       Rules({}, 0, 1), Rules({added}, 0, 1)},
  };
  for (const Case& test : cases) {
    HoldOffRules current = test.current;
    EXPECT_TRUE(ApplyHoldOffEdits(test.before, test.after, &current)) << test.what;
    EXPECT_EQ(current.enabled, test.expected.enabled) << test.what;
    EXPECT_EQ(current.fullscreen, test.expected.fullscreen) << test.what;
    ASSERT_EQ(current.count, test.expected.count) << test.what;
    for (int n = 0; n < current.count; n++) {
      EXPECT_STREQ(current.programs[n].name, test.expected.programs[n].name) << test.what << " " << n;
      EXPECT_EQ(current.programs[n].kind, test.expected.programs[n].kind) << test.what << " " << n;
    }
  }
}

TEST(ApplyHoldOffEdits, AnAdditionToAFullListIsReported) {
  static HoldOffRules full;
  ResetHoldOffRules(&full);
  for (int n = 0; n < kMaxHoldOffPrograms; n++) {
    char name[32];
    snprintf(name, sizeof(name), "p%d.exe", n);
    ASSERT_TRUE(PutHoldOffRule(&full, Rule(name, kHoldWhileRunning)));
  }
  static HoldOffRules current;
  current = full;
  EXPECT_FALSE(ApplyHoldOffEdits(Rules({}), Rules({Rule("one.exe", kHoldWhileRunning)}), &current));
  EXPECT_EQ(current.count, kMaxHoldOffPrograms);
  EXPECT_LT(FindHoldOffRule(current, kHoldWhileRunning, "one.exe"), 0);
}

// A rule the organisation gives survives every way the user's editing can reach it.
TEST(HoldOffRules, ARuleGivenByPolicyCannotBeRemovedOrChanged) {
  HoldOffRule given = Rule("slides.exe", kHoldWhileInFront);
  given.fromPolicy = true;
  struct Case {
    const char* what;
    void (*edit)(HoldOffRules* rules);
  };
  const Case cases[] = {
      {"Remove", [](HoldOffRules* rules) { EXPECT_FALSE(RemoveHoldOffRule(rules, 0)); }},
      {"a rule of the same name and another kind",
       [](HoldOffRules* rules) { EXPECT_TRUE(PutHoldOffRule(rules, Rule("SLIDES.EXE", kHoldWhileRunning))); }},
      {"an editor that dropped it",
       [](HoldOffRules* rules) {
         HoldOffRules after = *rules;
         after.count = 1;  // the policy rule, second in the editor's copy, is gone
         after.programs[0] = rules->programs[1];
         HoldOffRules before = *rules;
         EXPECT_TRUE(ApplyHoldOffEdits(before, after, rules));
       }},
  };
  for (const Case& test : cases) {
    HoldOffRules rules = Rules({Rule("mine.exe", kHoldWhileRunning)});
    ASSERT_TRUE(PutHoldOffRule(&rules, given));
    std::swap(rules.programs[0], rules.programs[1]);  // the policy's first, as loaded
    test.edit(&rules);
    int found = FindHoldOffRule(rules, kHoldWhileInFront, "slides.exe");
    ASSERT_GE(found, 0) << test.what;
    EXPECT_TRUE(rules.programs[found].fromPolicy) << test.what;
    EXPECT_EQ(FindHoldOffRule(rules, kHoldWhileRunning, "slides.exe"), -1) << test.what;
  }
  HoldOffRules rules = Rules({Rule("mine.exe", kHoldWhileRunning)});
  EXPECT_TRUE(RemoveHoldOffRule(&rules, 0)) << "the user's own rule goes";
  EXPECT_EQ(rules.count, 0);
}
