// The checks judged from facts: every check's states and fixes from one table, the
// boundaries of the timeout comparisons, and the report's lines and their cutting.
#include "diagnose/diagnosis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

// A machine where nothing keeps the saver from starting.
DiagnosisFacts OrderlyFacts() {
  DiagnosisFacts facts;
  ResetDiagnosisFacts(&facts);
  facts.saverActive = 1;
  facts.timeoutSeconds = 600;
  facts.secure = 0;
  facts.pathState = SaverPathState::kSet;
  strcpy(facts.saverPath, "C:\\windows\\system32\\Bubbles.scr");
  facts.fileState = SaverFileState::kExists;
  facts.kindState = SaverKindState::kRunnable;
  facts.userPolicy = {true, 0, 0};
  facts.machinePolicy = {true, 0, 0};
  facts.displayOffAcSeconds = 900;
  facts.displayOffDcSeconds = 0;  // never
  facts.displayRequired = 0;
  return facts;
}

const CheckResult& Check(const Diagnosis& diagnosis, CheckId id) { return diagnosis.checks[static_cast<int>(id)]; }

TEST(DiagnosisTest, AnOrderlyMachineHasOnlyOkChecks) {
  Diagnosis diagnosis;
  EvaluateDiagnosis(OrderlyFacts(), &diagnosis);
  for (const CheckResult& check : diagnosis.checks) {
    EXPECT_EQ(check.state, CheckState::kOk) << CheckIdName(check.id) << ": " << check.text;
    EXPECT_EQ(check.fix, FixKind::kNone) << CheckIdName(check.id);
    EXPECT_NE(check.text[0], 0) << CheckIdName(check.id);
  }
  EXPECT_EQ(diagnosis.fixTimeoutSeconds, 0);
}

TEST(DiagnosisTest, NothingKnownGivesUnknownNeverProblem) {
  DiagnosisFacts facts;
  ResetDiagnosisFacts(&facts);
  facts.userPolicy.readable = false;
  Diagnosis diagnosis;
  EvaluateDiagnosis(facts, &diagnosis);
  for (const CheckResult& check : diagnosis.checks) EXPECT_NE(check.state, CheckState::kProblem) << CheckIdName(check.id);
  for (CheckId id : {CheckId::kSaverOff, CheckId::kNoSaver, CheckId::kSaverInvalid, CheckId::kPolicy,
                     CheckId::kDisplayOffFirst, CheckId::kDisplayRequest, CheckId::kTimeout,
                     CheckId::kSecureWithoutSaver})
    EXPECT_EQ(Check(diagnosis, id).state, CheckState::kUnknown) << CheckIdName(id);
}

TEST(DiagnosisTest, EachCheckJudgesItsFacts) {
  struct Case {
    const char* what;
    std::function<void(DiagnosisFacts&)> change;
    CheckId id;
    CheckState state;
    FixKind fix;
    const char* mentions;
  } cases[] = {
      {"saver off", [](DiagnosisFacts& f) { f.saverActive = 0; }, CheckId::kSaverOff, CheckState::kProblem,
       FixKind::kSwitchSaverOn, "switched off"},
      {"no saver", [](DiagnosisFacts& f) { f.pathState = SaverPathState::kNone; }, CheckId::kNoSaver,
       CheckState::kProblem, FixKind::kPickRandomSaver, "No screen saver"},
      {"no saver, no file to look for", [](DiagnosisFacts& f) { f.pathState = SaverPathState::kNone; },
       CheckId::kSaverMissing, CheckState::kOk, FixKind::kNone, ""},
      {"path too long", [](DiagnosisFacts& f) { f.pathState = SaverPathState::kUnknown; }, CheckId::kSaverInvalid,
       CheckState::kUnknown, FixKind::kNone, ""},
      {"file gone", [](DiagnosisFacts& f) { f.fileState = SaverFileState::kMissing; }, CheckId::kSaverMissing,
       CheckState::kProblem, FixKind::kPickRandomSaver, "Bubbles.scr does not exist"},
      {"file gone, nothing to examine", [](DiagnosisFacts& f) { f.fileState = SaverFileState::kMissing; },
       CheckId::kSaverInvalid, CheckState::kOk, FixKind::kNone, ""},
      {"not a program", [](DiagnosisFacts& f) { f.kindState = SaverKindState::kNotRunnable; },
       CheckId::kSaverInvalid, CheckState::kProblem, FixKind::kPickRandomSaver, "Bubbles.scr is not a program"},
      {"file unreadable", [](DiagnosisFacts& f) { f.kindState = SaverKindState::kUnknown; }, CheckId::kSaverInvalid,
       CheckState::kUnknown, FixKind::kNone, ""},
      {"policies in both scopes",
       [](DiagnosisFacts& f) {
         f.userPolicy.setMask = 1u << 0;
         f.machinePolicy.setMask = 1u << 2;
       },
       CheckId::kPolicy, CheckState::kProblem, FixKind::kNone,
       "ScreenSaveActive (current user), SCRNSAVE.EXE (machine): changes made here have no effect"},
      {"policy of the wrong type", [](DiagnosisFacts& f) { f.userPolicy.wrongMask = 1u << 1; }, CheckId::kPolicy,
       CheckState::kUnknown, FixKind::kNone, "wrong type"},
      {"a wrong type beside a set value",
       [](DiagnosisFacts& f) {
         f.userPolicy.wrongMask = 1u << 1;
         f.userPolicy.setMask = 1u << 3;
       },
       CheckId::kPolicy, CheckState::kProblem, FixKind::kNone, "ScreenSaverIsSecure (current user):"},
      {"machine policies unreadable", [](DiagnosisFacts& f) { f.machinePolicy.readable = false; }, CheckId::kPolicy,
       CheckState::kUnknown, FixKind::kNone, ""},
      {"display off on mains first", [](DiagnosisFacts& f) { f.displayOffAcSeconds = 300; },
       CheckId::kDisplayOffFirst, CheckState::kProblem, FixKind::kSetTimeoutBelowDisplay,
       "after 5:00 Minutes on mains power, at or before the saver's 10:00 Minutes"},
      {"display off on battery at the same time", [](DiagnosisFacts& f) { f.displayOffDcSeconds = 600; },
       CheckId::kDisplayOffFirst, CheckState::kProblem, FixKind::kSetTimeoutBelowDisplay, "on battery"},
      {"display off a second after the saver", [](DiagnosisFacts& f) { f.displayOffAcSeconds = 601; },
       CheckId::kDisplayOffFirst, CheckState::kOk, FixKind::kNone, ""},
      {"display off after a minute: no room for a fix", [](DiagnosisFacts& f) { f.displayOffAcSeconds = 60; },
       CheckId::kDisplayOffFirst, CheckState::kProblem, FixKind::kNone, ""},
      {"one plan value unknown", [](DiagnosisFacts& f) { f.displayOffDcSeconds = kFactUnknown; },
       CheckId::kDisplayOffFirst, CheckState::kUnknown, FixKind::kNone, ""},
      {"an unknown value does not hide a known problem",
       [](DiagnosisFacts& f) {
         f.displayOffDcSeconds = kFactUnknown;
         f.displayOffAcSeconds = 120;
       },
       CheckId::kDisplayOffFirst, CheckState::kProblem, FixKind::kSetTimeoutBelowDisplay, ""},
      {"display held", [](DiagnosisFacts& f) { f.displayRequired = 1; }, CheckId::kDisplayRequest,
       CheckState::kProblem, FixKind::kFindDisplayRequests, "keep the display on"},
      {"display held while Dozelite holds too",
       [](DiagnosisFacts& f) {
         f.displayRequired = 1;
         f.ownHold = true;
       },
       CheckId::kDisplayRequest, CheckState::kNote, FixKind::kFindDisplayRequests, "Dozelite's own hold-off"},
      {"own hold without a display request", [](DiagnosisFacts& f) { f.ownHold = true; }, CheckId::kDisplayRequest,
       CheckState::kOk, FixKind::kNone, ""},
      {"disable period", [](DiagnosisFacts& f) { f.disableSecondsLeft = 720; }, CheckId::kDisabledByDozelite,
       CheckState::kProblem, FixKind::kEndDisablePeriod, "another 12:00 Minutes"},
      {"hold-off rule",
       [](DiagnosisFacts& f) {
         f.heldOff = true;
         strcpy(f.holdReason, "game.exe is running");
       },
       CheckId::kHeldOff, CheckState::kProblem, FixKind::kOpenHoldOffSettings, "holds the saver off: game.exe is running."},
      {"short timeout", [](DiagnosisFacts& f) { f.timeoutSeconds = 59; }, CheckId::kTimeout, CheckState::kNote,
       FixKind::kNone, "59 Seconds"},
      {"one minute", [](DiagnosisFacts& f) { f.timeoutSeconds = 60; }, CheckId::kTimeout, CheckState::kOk,
       FixKind::kNone, ""},
      {"a whole day", [](DiagnosisFacts& f) { f.timeoutSeconds = 86400; }, CheckId::kTimeout, CheckState::kOk,
       FixKind::kNone, ""},
      {"over a day", [](DiagnosisFacts& f) { f.timeoutSeconds = 86401; }, CheckId::kTimeout, CheckState::kNote,
       FixKind::kNone, "over a day"},
      {"password without saver",
       [](DiagnosisFacts& f) {
         f.secure = 1;
         f.saverActive = 0;
       },
       CheckId::kSecureWithoutSaver, CheckState::kProblem, FixKind::kSwitchSaverOn, "never locks"},
      {"password, saver switch unknown",
       [](DiagnosisFacts& f) {
         f.secure = 1;
         f.saverActive = kFactUnknown;
       },
       CheckId::kSecureWithoutSaver, CheckState::kUnknown, FixKind::kNone, ""},
      {"password unknown, saver on", [](DiagnosisFacts& f) { f.secure = kFactUnknown; },
       CheckId::kSecureWithoutSaver, CheckState::kOk, FixKind::kNone, ""},
  };
  for (const Case& c : cases) {
    DiagnosisFacts facts = OrderlyFacts();
    c.change(facts);
    Diagnosis diagnosis;
    EvaluateDiagnosis(facts, &diagnosis);
    const CheckResult& check = Check(diagnosis, c.id);
    EXPECT_EQ(check.id, c.id) << c.what;
    EXPECT_EQ(CheckStateName(check.state), std::string(CheckStateName(c.state))) << c.what << ": " << check.text;
    EXPECT_EQ(check.fix, c.fix) << c.what;
    EXPECT_NE(strstr(check.text, c.mentions), nullptr) << c.what << ": " << check.text;
  }
}

TEST(DiagnosisTest, TimeoutFixIsOneMinuteBeforeTheEarlierDisplayTimeOut) {
  struct Case {
    int ac, dc, expected;
  } cases[] = {{300, 0, 240}, {0, 480, 420}, {540, 180, 120}, {120, 120, 60}, {90, 0, 0}, {900, 0, 0}};
  for (const Case& c : cases) {
    DiagnosisFacts facts = OrderlyFacts();
    facts.displayOffAcSeconds = c.ac;
    facts.displayOffDcSeconds = c.dc;
    Diagnosis diagnosis;
    EvaluateDiagnosis(facts, &diagnosis);
    EXPECT_EQ(diagnosis.fixTimeoutSeconds, c.expected) << c.ac << "/" << c.dc;
  }
}

TEST(DiagnosisTest, ReportLinesNameIdStateAndText) {
  DiagnosisFacts facts = OrderlyFacts();
  facts.saverActive = 0;
  Diagnosis diagnosis;
  EvaluateDiagnosis(facts, &diagnosis);
  char line[kCheckTextSize + 64];
  FormatCheckLine(Check(diagnosis, CheckId::kSaverOff), line, sizeof(line));
  EXPECT_STREQ(line, "saver-off: problem: The screen saver is switched off, so it never starts by itself.");

  char report[16384];
  ASSERT_EQ(FormatDiagnosisReport(diagnosis, report, sizeof(report)), 1);
  std::string text = report;
  size_t lines = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) lines++;
  EXPECT_EQ(lines, static_cast<size_t>(kCheckCount));
  EXPECT_EQ(text.rfind("saver-off: problem: ", 0), 0u);  // in the order of the checks
  EXPECT_NE(text.find("\r\nsecure-without-saver: ok: "), std::string::npos);
}

TEST(DiagnosisTest, LongTextsAreCutToTheirBuffers) {
  DiagnosisFacts facts = OrderlyFacts();
  memset(facts.saverPath, 'x', sizeof(facts.saverPath) - 1);
  facts.saverPath[sizeof(facts.saverPath) - 1] = 0;
  facts.kindState = SaverKindState::kNotRunnable;
  facts.userPolicy.setMask = facts.machinePolicy.setMask = 0xF;
  facts.heldOff = true;
  memset(facts.holdReason, 'y', sizeof(facts.holdReason) - 1);
  facts.holdReason[sizeof(facts.holdReason) - 1] = 0;
  Diagnosis diagnosis;
  EvaluateDiagnosis(facts, &diagnosis);
  EXPECT_NE(strstr(Check(diagnosis, CheckId::kPolicy).text, "ScreenSaverIsSecure (machine)"), nullptr);
  for (const CheckResult& check : diagnosis.checks) EXPECT_LT(strlen(check.text), sizeof(check.text));

  char small[40];
  EXPECT_EQ(FormatDiagnosisReport(diagnosis, small, sizeof(small)), 0);
  EXPECT_EQ(strlen(small), sizeof(small) - 1);
  EXPECT_EQ(FormatCheckLine(Check(diagnosis, CheckId::kSaverOff), small, sizeof(small)),
            static_cast<int>(sizeof(small) - 1));
}

}  // namespace
