// The facts read for real under Wine: each registry- and file-based check against real
// values and files, the power facts from recorded probe answers, one run of the real
// power calls, and the rule that a diagnosis changes nothing.
#include <functional>

#include "diagnose_fixture.h"

namespace {

class DiagnosisFactsTest : public DiagnoseFixture {
 protected:
  void SetUp() override {
    DiagnoseFixture::SetUp();
    folder_ = MakeTempFolder("diagnose-facts");
  }
  void TearDown() override {
    RemoveTree(folder_);
    DiagnoseFixture::TearDown();
  }
  std::string folder_;
};

TEST_F(DiagnosisFactsTest, EachCheckReadsTheSystem) {
  for (const CheckResult& check : Diagnose().checks)
    EXPECT_EQ(check.state, CheckState::kOk) << CheckIdName(check.id) << ": " << check.text;
  EXPECT_TRUE(Contains(BufferedLog(), "Diagnose: saver-invalid: ok: ")) << "every check is logged";

  auto dword = [](HKEY root, const char* key, const char* name) {
    DWORD one = 1;
    WriteRegistryValue(root, key, name, REG_DWORD, &one, sizeof(one));
  };
  auto text = [this](const char* name, const char* content) {
    WriteTextFile(folder_ + "\\" + name, content);
    return folder_ + "\\" + name;
  };
  struct Case {
    const char* what;
    std::function<void()> arrange;
    CheckId id;
    CheckState state;
  } cases[] = {
      {"saver off", [] { SetDesktopValue("ScreenSaveActive", "0"); }, CheckId::kSaverOff, CheckState::kProblem},
      {"switch of the wrong type", [&] { dword(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive"); },
       CheckId::kSaverOff, CheckState::kUnknown},
      {"no saver", [] { SetSystemSaver(""); }, CheckId::kNoSaver, CheckState::kProblem},
      {"no saver: no file to examine", [] { SetSystemSaver(""); }, CheckId::kSaverInvalid, CheckState::kOk},
      {"(NONE)", [] { SetSystemSaver("(NONE)"); }, CheckId::kNoSaver, CheckState::kProblem},
      {"path too long", [] { SetSystemSaver("C:\\" + std::string(600, 'a') + ".scr"); }, CheckId::kNoSaver,
       CheckState::kUnknown},
      {"quoted path", [&] { SetSystemSaver("\"" + sampleSaver_ + "\""); }, CheckId::kSaverInvalid, CheckState::kOk},
      {"file gone", [&] { SetSystemSaver(folder_ + "\\gone.scr"); }, CheckId::kSaverMissing, CheckState::kProblem},
      {"folder gone", [&] { SetSystemSaver(folder_ + "\\no\\gone.scr"); }, CheckId::kSaverMissing,
       CheckState::kProblem},
      {"bare name of a system program", [] { SetSystemSaver("notepad.exe"); }, CheckId::kSaverInvalid,
       CheckState::kOk},
      {"text file", [&] { SetSystemSaver(text("notes.scr", "words")); }, CheckId::kSaverInvalid, CheckState::kProblem},
      {"folder", [&] { SetSystemSaver(folder_); }, CheckId::kSaverInvalid, CheckState::kProblem},
      {"user policy", [] { SetPolicy(HKEY_CURRENT_USER, "ScreenSaveTimeOut", "60"); }, CheckId::kPolicy,
       CheckState::kProblem},
      {"machine policy", [] { SetPolicy(HKEY_LOCAL_MACHINE, "SCRNSAVE.EXE", "x.scr"); }, CheckId::kPolicy,
       CheckState::kProblem},
      {"policy of the wrong type", [&] { dword(HKEY_CURRENT_USER, kPolicyKey, "ScreenSaverIsSecure"); },
       CheckId::kPolicy, CheckState::kUnknown},
      {"other policies", [] { SetPolicy(HKEY_CURRENT_USER, "Wallpaper", "x.bmp"); }, CheckId::kPolicy,
       CheckState::kOk},
      {"half a minute", [] { SetDesktopValue("ScreenSaveTimeOut", "30"); }, CheckId::kTimeout, CheckState::kNote},
      {"timeout not a number", [] { SetDesktopValue("ScreenSaveTimeOut", "soon"); }, CheckId::kTimeout,
       CheckState::kUnknown},
      {"password, saver off", [] { SetDesktopValue("ScreenSaverIsSecure", "1"), SetDesktopValue("ScreenSaveActive", "0"); },
       CheckId::kSecureWithoutSaver, CheckState::kProblem},
      {"disable period", [] { AppState.disableSeconds = 600, AppState.disableStartTick = GetTickCount(); },
       CheckId::kDisabledByDozelite, CheckState::kProblem},
      {"disable period past its end, its timer not yet run",
       [] { AppState.disableSeconds = 60, AppState.disableStartTick = GetTickCount() - 90000; },
       CheckId::kDisabledByDozelite, CheckState::kProblem},
      {"display off first on battery", [] { recordedPower.dcSeconds = 300; }, CheckId::kDisplayOffFirst,
       CheckState::kProblem},
      {"plan not told", [] { recordedPower.acSeconds = kFactUnknown; }, CheckId::kDisplayOffFirst,
       CheckState::kUnknown},
      {"display required", [] { recordedPower.state = ES_DISPLAY_REQUIRED | ES_CONTINUOUS; },
       CheckId::kDisplayRequest, CheckState::kProblem},
      {"only the system required", [] { recordedPower.state = ES_SYSTEM_REQUIRED | ES_CONTINUOUS; },
       CheckId::kDisplayRequest, CheckState::kOk},
      {"state not told", [] { recordedPower.stateKnown = false; }, CheckId::kDisplayRequest, CheckState::kUnknown},
  };
  for (const Case& c : cases) {
    SetInOrder();
    c.arrange();
    EXPECT_EQ(std::string(CheckStateName(StateOf(c.id))), CheckStateName(c.state)) << c.what;
  }
}

TEST_F(DiagnosisFactsTest, ADiagnosisChangesNothing) {
  SetDesktopValue("ScreenSaveActive", "0");
  SetSystemSaver(folder_ + "\\gone.scr");
  const char* names[] = {"ScreenSaveActive", "ScreenSaveTimeOut", "ScreenSaverIsSecure", "SCRNSAVE.EXE"};
  std::string before[4];
  for (int i = 0; i < 4; i++) before[i] = DesktopValue(names[i]);
  Diagnose();
  for (int i = 0; i < 4; i++) EXPECT_EQ(DesktopValue(names[i]), before[i]) << names[i];
  EXPECT_TRUE(boxes().empty());
}

TEST_F(DiagnosisFactsTest, TheRealPowerCallsAnswerOrSayUnknown) {
  int ac = -2, dc = -2;
  RealPowerProbe().readDisplayTimeouts(&ac, &dc);
  EXPECT_GE(ac, kFactUnknown);
  EXPECT_GE(dc, kFactUnknown);
  DWORD state = 0xFFFFFFFF;
  bool told = RealPowerProbe().readExecutionState(&state);
  EXPECT_TRUE(!told || state != 0xFFFFFFFF);
}

}  // namespace
