// The judgement's edges, natively: what counts as at or before, when unknown wins and
// when it does not, the fix's timeout, and the report's lines and their cutting. The
// common problem states are read from the real system in diagnosis_facts_test.
#include "diagnose/diagnosis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

DiagnosisFacts OrderlyFacts() {
  DiagnosisFacts f;
  ResetDiagnosisFacts(&f);
  f.saverActive = 1, f.timeoutSeconds = 600, f.secure = 0;
  f.pathState = SaverPathState::kSet, f.fileState = SaverFileState::kExists, f.kindState = SaverKindState::kRunnable;
  strcpy(f.saverPath, "C:\\windows\\system32\\Bubbles.scr");
  f.userPolicy = f.machinePolicy = {true, 0, 0};
  f.displayOffAcSeconds = 900, f.displayOffDcSeconds = 0, f.displayRequired = 0;
  return f;
}

Diagnosis Judge(const std::function<void(DiagnosisFacts&)>& change) {
  DiagnosisFacts facts = OrderlyFacts();
  change(facts);
  Diagnosis diagnosis;
  EvaluateDiagnosis(facts, &diagnosis);
  return diagnosis;
}

TEST(DiagnosisTest, NoFactsAreNeverAProblem) {
  Diagnosis unknown = Judge([](DiagnosisFacts& f) { ResetDiagnosisFacts(&f); });
  for (const CheckResult& check : unknown.checks) EXPECT_NE(check.state, CheckState::kProblem) << CheckIdName(check.id);
  EXPECT_EQ(unknown.checks[static_cast<int>(CheckId::kDisplayOffFirst)].state, CheckState::kUnknown);
}

TEST(DiagnosisTest, EdgesOfEachCheck) {
  using F = DiagnosisFacts&;
  struct Case {
    const char* what;
    std::function<void(DiagnosisFacts&)> change;
    CheckId id;
    CheckState state;
    FixKind fix;
    const char* mentions;
  } cases[] = {
      {"both policy scopes named", [](F f) { f.userPolicy.setMask = 1, f.machinePolicy.setMask = 4; },
       CheckId::kPolicy, CheckState::kProblem, FixKind::kNone,
       "ScreenSaveActive (current user), SCRNSAVE.EXE (machine): changes made here have no effect"},
      {"a set value outweighs a wrong type", [](F f) { f.userPolicy.wrongMask = 2, f.userPolicy.setMask = 8; },
       CheckId::kPolicy, CheckState::kProblem, FixKind::kNone, "ScreenSaverIsSecure (current user):"},
      {"display off with the saver", [](F f) { f.displayOffAcSeconds = 600; }, CheckId::kDisplayOffFirst,
       CheckState::kProblem, FixKind::kSetTimeoutBelowDisplay,
       "after 10:00 Minutes on mains power, at or before the saver's 10:00 Minutes"},
      {"display off a second later", [](F f) { f.displayOffAcSeconds = 601; }, CheckId::kDisplayOffFirst,
       CheckState::kOk, FixKind::kNone, ""},
      {"no room for the fix", [](F f) { f.displayOffDcSeconds = 60; }, CheckId::kDisplayOffFirst,
       CheckState::kProblem, FixKind::kNone, "on battery"},
      {"unknown hides no known problem", [](F f) { f.displayOffDcSeconds = kFactUnknown, f.displayOffAcSeconds = 120; },
       CheckId::kDisplayOffFirst, CheckState::kProblem, FixKind::kSetTimeoutBelowDisplay, ""},
      {"own hold beside a display request", [](F f) { f.displayRequired = 1, f.ownHold = true; },
       CheckId::kDisplayRequest, CheckState::kNote, FixKind::kFindDisplayRequests, "Dozelite's own hold-off"},
      {"own hold alone", [](F f) { f.ownHold = true; }, CheckId::kDisplayRequest, CheckState::kOk, FixKind::kNone, ""},
      {"hold-off reason", [](F f) { f.heldOff = true, strcpy(f.holdReason, "game.exe is running"); },
       CheckId::kHeldOff, CheckState::kProblem, FixKind::kOpenHoldOffSettings, "off: game.exe is running."},
      {"a policy keeps the saver off: no fix, the value named",
       [](F f) { f.saverActive = 0, f.machinePolicy.setMask = 1u; }, CheckId::kSaverOff, CheckState::kProblem,
       FixKind::kNone, "itself. A policy sets ScreenSaveActive: only the organisation can change it."},
      {"a policy of another value leaves the saver's fix",
       [](F f) { f.saverActive = 0, f.userPolicy.setMask = 1u << 2; }, CheckId::kSaverOff, CheckState::kProblem,
       FixKind::kSwitchSaverOn, "by itself."},
      {"a policy sets the timeout the display outlasts",
       [](F f) { f.timeoutSeconds = 600, f.displayOffAcSeconds = 300, f.userPolicy.setMask = 1u << 1; },
       CheckId::kDisplayOffFirst, CheckState::kProblem, FixKind::kNone, "A policy sets ScreenSaveTimeOut"},
      {"the organisation's rule holds, so the settings cannot help",
       [](F f) { f.heldOff = true, f.heldByPolicy = true, strcpy(f.holdReason, "game.exe is running"); },
       CheckId::kHeldOff, CheckState::kProblem, FixKind::kNone,
       "running. The rule is set by your organisation: only its policy can change it."},
      {"an until time behind a full screen",
       [](F f) { f.heldOff = true, strcpy(f.holdReason, "a full-screen window is in front"), strcpy(f.holdUntil, "17:30"); },
       CheckId::kHeldOff, CheckState::kProblem, FixKind::kOpenHoldOffSettings,
       "in front. A hold until 17:30 is set."},
      {"a schedule behind an until time, named once each",
       [](F f) {
         f.heldOff = true, strcpy(f.holdReason, "held until 17:30"), strcpy(f.holdUntil, "17:30");
         strcpy(f.scheduleLabel, "Work"), strcpy(f.scheduleUntil, "18:00");
       },
       CheckId::kHeldOff, CheckState::kProblem, FixKind::kOpenHoldOffSettings,
       "off: held until 17:30. The schedule \"Work\" is in force until 18:00."},
      {"a schedule while the battery pauses it",
       [](F f) { strcpy(f.scheduleLabel, "Work"), strcpy(f.scheduleUntil, "18:00"); }, CheckId::kHeldOff,
       CheckState::kOk, FixKind::kNone, "off. The schedule \"Work\" is in force until 18:00."},
      {"battery pause", [](F f) { strcpy(f.batteryPause, "battery at 18%"), strcpy(f.pausedReason, "held until 17:30"); },
       CheckId::kBattery, CheckState::kNote, FixKind::kNone,
       "paused (battery at 18%); otherwise held until 17:30 would hold"},
      {"no battery pause", [](F f) { strcpy(f.pausedReason, "stale"); }, CheckId::kBattery, CheckState::kOk,
       FixKind::kNone, "no hold"},
      {"a minute", [](F f) { f.timeoutSeconds = 60; }, CheckId::kTimeout, CheckState::kOk, FixKind::kNone, ""},
      {"a day", [](F f) { f.timeoutSeconds = 86400; }, CheckId::kTimeout, CheckState::kOk, FixKind::kNone, ""},
      {"over a day", [](F f) { f.timeoutSeconds = 86401; }, CheckId::kTimeout, CheckState::kNote, FixKind::kNone,
       "over a day"},
      {"password, saver unknown", [](F f) { f.secure = 1, f.saverActive = kFactUnknown; },
       CheckId::kSecureWithoutSaver, CheckState::kUnknown, FixKind::kNone, ""},
      {"password unknown, saver on", [](F f) { f.secure = kFactUnknown; }, CheckId::kSecureWithoutSaver,
       CheckState::kOk, FixKind::kNone, ""},
  };
  for (const Case& c : cases) {
    Diagnosis diagnosis = Judge(c.change);
    const CheckResult& check = diagnosis.checks[static_cast<int>(c.id)];
    EXPECT_EQ(std::string(CheckStateName(check.state)), CheckStateName(c.state)) << c.what << ": " << check.text;
    EXPECT_EQ(check.fix, c.fix) << c.what;
    EXPECT_NE(strstr(check.text, c.mentions), nullptr) << c.what << ": " << check.text;
  }
}

// The saver file's facts only as the gathering leaves them: with no saver chosen, or an
// unreadable setting, no file is looked at; a missing file is not read.
TEST(DiagnosisTest, SaverChecksFollowWhatWasLookedAt) {
  using F = DiagnosisFacts&;
  auto notLookedAt = [](F f) {
    f.saverPath[0] = 0, f.fileState = SaverFileState::kUnknown, f.kindState = SaverKindState::kUnknown;
  };
  struct Case {
    const char* what;
    std::function<void(DiagnosisFacts&)> change;
    CheckState noSaver, missing, invalid;
  } cases[] = {
      {"no saver chosen", [&](F f) { notLookedAt(f), f.pathState = SaverPathState::kNone; }, CheckState::kProblem,
       CheckState::kOk, CheckState::kOk},
      {"setting unreadable", [&](F f) { notLookedAt(f), f.pathState = SaverPathState::kUnknown; },
       CheckState::kUnknown, CheckState::kUnknown, CheckState::kUnknown},
      {"file gone", [](F f) { f.fileState = SaverFileState::kMissing, f.kindState = SaverKindState::kUnknown; },
       CheckState::kOk, CheckState::kProblem, CheckState::kOk},
      {"existence not told", [](F f) { f.fileState = SaverFileState::kUnknown, f.kindState = SaverKindState::kUnknown; },
       CheckState::kOk, CheckState::kUnknown, CheckState::kUnknown},
      {"file unreadable", [](F f) { f.kindState = SaverKindState::kUnknown; }, CheckState::kOk, CheckState::kOk,
       CheckState::kUnknown},
      {"not a program", [](F f) { f.kindState = SaverKindState::kNotRunnable; }, CheckState::kOk, CheckState::kOk,
       CheckState::kProblem},
  };
  for (const Case& c : cases) {
    Diagnosis diagnosis = Judge(c.change);
    auto state = [&](CheckId id) { return std::string(CheckStateName(diagnosis.checks[static_cast<int>(id)].state)); };
    EXPECT_EQ(state(CheckId::kNoSaver), CheckStateName(c.noSaver)) << c.what;
    EXPECT_EQ(state(CheckId::kSaverMissing), CheckStateName(c.missing)) << c.what;
    EXPECT_EQ(state(CheckId::kSaverInvalid), CheckStateName(c.invalid)) << c.what;
  }
}

TEST(DiagnosisTest, TimeoutFixIsOneMinuteBeforeTheEarlierDisplayTimeOut) {
  auto fix = [](int ac, int dc) {
    return Judge([&](DiagnosisFacts& f) { f.displayOffAcSeconds = ac, f.displayOffDcSeconds = dc; }).fixTimeoutSeconds;
  };
  EXPECT_EQ(fix(540, 180), 120);
  EXPECT_EQ(fix(0, 480), 420);
  EXPECT_EQ(fix(900, 0), 0);
}

TEST(DiagnosisTest, ReportHasOneLinePerCheckAndIsCutToItsBuffer) {
  Diagnosis diagnosis = Judge([](DiagnosisFacts& f) {
    f.saverActive = 0, f.kindState = SaverKindState::kNotRunnable, f.heldOff = true;
    memset(f.saverPath, 'x', sizeof(f.saverPath) - 1);
    memset(f.holdReason, 'y', sizeof(f.holdReason) - 1);
    f.userPolicy.setMask = f.machinePolicy.setMask = 0xF;
  });
  char report[16384];
  ASSERT_EQ(FormatDiagnosisReport(diagnosis, report, sizeof(report)), 1);
  std::string text = report;
  EXPECT_EQ(text.rfind("saver-off: problem: The screen saver is switched off, so it never starts by itself. A policy "
                       "sets ScreenSaveActive: only the organisation can change it.\r\n",
                       0),
            0u);
  EXPECT_NE(text.find("ScreenSaverIsSecure (machine)"), std::string::npos);
  EXPECT_NE(text.find("\r\nsecure-without-saver: "), std::string::npos);
  size_t lines = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) lines++;
  EXPECT_EQ(lines, static_cast<size_t>(kCheckCount));

  char small[40];
  EXPECT_EQ(FormatDiagnosisReport(diagnosis, small, sizeof(small)), 0);
  EXPECT_EQ(strlen(small), sizeof(small) - 1);
  EXPECT_EQ(FormatCheckLine(diagnosis.checks[0], small, sizeof(small)), static_cast<int>(sizeof(small) - 1));
}

}  // namespace
