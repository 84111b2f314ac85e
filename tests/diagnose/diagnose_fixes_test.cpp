// Each fix's effect, read back from the registry, the program state or the main
// window's queue. "Find which" is driven through the dialog in diagnose_dialog_test.
#include "diagnose/diagnosis_facts.h"
#include "diagnose_fixture.h"
#include "system/saver_operations.h"

namespace {

class DiagnoseFixesTest : public DiagnoseFixture {
 protected:
  bool Fix(CheckId id) { return ApplyDiagnosisFix(window_, Diagnose(), id); }
};

TEST_F(DiagnoseFixesTest, SwitchingOnAndEndingTheDisablePeriodWriteTheSwitch) {
  SetDesktopValue("ScreenSaveActive", "0");
  EXPECT_FALSE(Fix(CheckId::kDisabledByDozelite)) << "no period runs: nothing to end";
  ASSERT_TRUE(Fix(CheckId::kSaverOff));
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");

  DisableSaverTimeout(600);
  ASSERT_EQ(DesktopValue("ScreenSaveActive"), "0");
  ASSERT_TRUE(Fix(CheckId::kDisabledByDozelite));
  EXPECT_EQ(AppState.disableSeconds, 0);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
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
  EXPECT_EQ(StateOf(CheckId::kDisplayOffFirst), CheckState::kOk);
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

}  // namespace
