// Each fix's effect, read back from the registry, the program state, the main window's
// queue or the report sent to the asking window; the elevated power report through its
// entry point, since tests cannot elevate.
#include <string>

#include "diagnose/diagnosis_facts.h"
#include "diagnose_fixture.h"
#include "system/saver_operations.h"

namespace {

std::string received;
int receivedCount = 0;

LRESULT CALLBACK ReportReceiver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDiagnoseReportMessage) {
    received = reinterpret_cast<char*>(lParam);
    receivedCount++;
    free(reinterpret_cast<char*>(lParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class DiagnoseFixesTest : public DiagnoseFixture {
 protected:
  bool Fix(CheckId id) { return ApplyDiagnosisFix(window_, Diagnose(), id); }
};

TEST_F(DiagnoseFixesTest, SwitchingTheSaverOnWritesTheRegistry) {
  SetDesktopValue("ScreenSaveActive", "0");
  ASSERT_TRUE(Fix(CheckId::kSaverOff));
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
  EXPECT_EQ(Check(Diagnose(), CheckId::kSaverOff).state, CheckState::kOk);
}

TEST_F(DiagnoseFixesTest, PickingARandomSaverNeedsASaverToPick) {
  SetSystemSaver("");
  EXPECT_FALSE(Fix(CheckId::kNoSaver));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(DesktopValue("SCRNSAVE.EXE"), "<absent>");

  InstallSavers({{"Aurora", sampleSaver_}});
  ASSERT_TRUE(Fix(CheckId::kNoSaver));
  EXPECT_EQ(DesktopValue("SCRNSAVE.EXE"), sampleSaver_);
}

TEST_F(DiagnoseFixesTest, TheTimeoutIsSetOnlyWhenTheUserAgrees) {
  recordedPower.acSeconds = 300;
  boxes_->set_answer(IDNO);
  EXPECT_FALSE(Fix(CheckId::kDisplayOffFirst));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_TRUE(Contains(boxes()[0].text, "4:00 Minutes")) << boxes()[0].text;
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "600");

  boxes_->set_answer(IDYES);
  ASSERT_TRUE(Fix(CheckId::kDisplayOffFirst));
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "240");
  EXPECT_EQ(Check(Diagnose(), CheckId::kDisplayOffFirst).state, CheckState::kOk);
}

TEST_F(DiagnoseFixesTest, EndingTheDisablePeriodSwitchesTheSaverBackOn) {
  DisableSaverTimeout(600);
  ASSERT_EQ(DesktopValue("ScreenSaveActive"), "0");
  ASSERT_TRUE(Fix(CheckId::kDisabledByDozelite));
  EXPECT_EQ(AppState.disableSeconds, 0);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
}

TEST_F(DiagnoseFixesTest, HoldOffSettingsAreAskedOfTheMainWindow) {
  DiagnosisFacts facts;
  GatherDiagnosisFacts(&facts);
  facts.heldOff = true;
  Diagnosis diagnosis;
  EvaluateDiagnosis(facts, &diagnosis);
  ASSERT_TRUE(ApplyDiagnosisFix(window_, diagnosis, CheckId::kHeldOff));
  EXPECT_EQ(TakePostedCommands(window_), std::vector<int>{kCmdHoldOffPrograms});
}

TEST_F(DiagnoseFixesTest, AnOkCheckHasNothingToFix) {
  EXPECT_FALSE(Fix(CheckId::kSaverOff));
  EXPECT_FALSE(Fix(static_cast<CheckId>(kCheckCount)));
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
}

TEST_F(DiagnoseFixesTest, FindWhichRunsThePowerReportElevatedAndSendsItsText) {
  recordedPower.state = ES_DISPLAY_REQUIRED;
  RunElevatedEntry = FakeRunElevated;
  HWND receiver = CreateTestWindow(ReportReceiver);
  struct Case {
    const char* writes;
    const char* expected;
  } cases[] = {
      {"DISPLAY:\r\n[PROCESS] \\Device\\HarddiskVolume1\\player.exe\r\n", "[PROCESS] \\Device\\HarddiskVolume1\\player.exe"},
      {nullptr, "did not run"},
  };
  for (const Case& c : cases) {
    elevated = ElevatedCall();
    elevatedWrites = c.writes;
    receivedCount = 0;
    received.clear();
    ASSERT_TRUE(ApplyDiagnosisFix(receiver, Diagnose(), CheckId::kDisplayRequest));
    ASSERT_TRUE(WaitFor([] { return receivedCount > 0; }, 10000));
    EXPECT_TRUE(Contains(received, c.expected)) << received;
    EXPECT_EQ(elevated.count, 1);
    EXPECT_EQ(elevated.parameters.rfind("/c powercfg /requests >\"", 0), 0u) << elevated.parameters;
    EXPECT_TRUE(Contains(elevated.program, "\\cmd.exe")) << elevated.program;
    EXPECT_FALSE(elevated.output.empty());
    EXPECT_FALSE(FileExists(elevated.output)) << "the temporary report is removed";
  }
  DestroyWindow(receiver);
}

}  // namespace
