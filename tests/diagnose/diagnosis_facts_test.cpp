// The facts read for real under Wine: each registry- and file-based check against real
// values and files, the power checks from recorded probe answers, one run of the real
// power calls, and the rule that a diagnosis changes nothing.
#include "diagnose/diagnosis_facts.h"

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

TEST_F(DiagnosisFactsTest, AMachineInOrderHasNoProblem) {
  Diagnosis diagnosis = Diagnose();
  for (const CheckResult& check : diagnosis.checks)
    EXPECT_EQ(check.state, CheckState::kOk) << CheckIdName(check.id) << ": " << check.text;
  EXPECT_TRUE(Contains(BufferedLog(), "Diagnose: saver-invalid: ok: "));
}

TEST_F(DiagnosisFactsTest, EachCheckReadsTheSystem) {
  auto write = [](HKEY root, const char* key, const char* name, DWORD value) {
    WriteRegistryValue(root, key, name, REG_DWORD, &value, sizeof(value));
  };
  struct Case {
    const char* what;
    std::function<void()> arrange;
    CheckId id;
    CheckState state;
    const char* mentions;
  } cases[] = {
      {"saver off", [] { SetDesktopValue("ScreenSaveActive", "0"); }, CheckId::kSaverOff, CheckState::kProblem, ""},
      {"saver switch stored as a number", [&] { write(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive", 1); },
       CheckId::kSaverOff, CheckState::kUnknown, ""},
      {"no current saver", [] { SetSystemSaver(""); }, CheckId::kNoSaver, CheckState::kProblem, ""},
      {"(NONE) as the saver", [] { SetSystemSaver("(NONE)"); }, CheckId::kNoSaver, CheckState::kProblem, ""},
      {"quoted saver path", [&] { SetSystemSaver("\"" + sampleSaver_ + "\""); }, CheckId::kSaverMissing,
       CheckState::kOk, ""},
      {"saver path too long", [] { SetSystemSaver("C:\\" + std::string(600, 'a') + ".scr"); }, CheckId::kNoSaver,
       CheckState::kUnknown, ""},
      {"saver file gone", [&] { SetSystemSaver(folder_ + "\\gone.scr"); }, CheckId::kSaverMissing,
       CheckState::kProblem, "gone.scr does not exist"},
      {"saver in a folder that is gone", [&] { SetSystemSaver(folder_ + "\\no\\gone.scr"); },
       CheckId::kSaverMissing, CheckState::kProblem, ""},
      {"bare name found where programs are", [] { SetSystemSaver("notepad.exe"); }, CheckId::kSaverInvalid,
       CheckState::kOk, ""},
      {"a text file as the saver",
       [&] {
         WriteTextFile(folder_ + "\\notes.scr", "just words\r\n");
         SetSystemSaver(folder_ + "\\notes.scr");
       },
       CheckId::kSaverInvalid, CheckState::kProblem, "notes.scr is not a program"},
      {"a folder as the saver", [&] { SetSystemSaver(folder_); }, CheckId::kSaverInvalid, CheckState::kProblem, ""},
      {"user policy", [] { SetPolicy(HKEY_CURRENT_USER, "ScreenSaveTimeOut", "60"); }, CheckId::kPolicy,
       CheckState::kProblem, "ScreenSaveTimeOut (current user)"},
      {"machine policy", [] { SetPolicy(HKEY_LOCAL_MACHINE, "SCRNSAVE.EXE", "x.scr"); }, CheckId::kPolicy,
       CheckState::kProblem, "SCRNSAVE.EXE (machine)"},
      {"policy of the wrong type", [&] { write(HKEY_CURRENT_USER, kPolicyKey, "ScreenSaverIsSecure", 1); },
       CheckId::kPolicy, CheckState::kUnknown, ""},
      {"policy key without saver values", [] { SetPolicy(HKEY_CURRENT_USER, "Wallpaper", "x.bmp"); },
       CheckId::kPolicy, CheckState::kOk, ""},
      {"half-minute timeout", [] { SetDesktopValue("ScreenSaveTimeOut", "30"); }, CheckId::kTimeout,
       CheckState::kNote, "30 Seconds"},
      {"timeout not a number", [] { SetDesktopValue("ScreenSaveTimeOut", "soon"); }, CheckId::kTimeout,
       CheckState::kUnknown, ""},
      {"password with the saver off",
       [] {
         SetDesktopValue("ScreenSaverIsSecure", "1");
         SetDesktopValue("ScreenSaveActive", "0");
       },
       CheckId::kSecureWithoutSaver, CheckState::kProblem, ""},
      {"disable period running",
       [] {
         AppState.disableSeconds = 600;
         AppState.disableStartTick = GetTickCount() - 60000;
       },
       CheckId::kDisabledByDozelite, CheckState::kProblem, "another 9:"},
      {"display off first on battery", [] { recordedPower.dcSeconds = 300; }, CheckId::kDisplayOffFirst,
       CheckState::kProblem, "on battery"},
      {"plan not told", [] { recordedPower.acSeconds = kFactUnknown; }, CheckId::kDisplayOffFirst,
       CheckState::kUnknown, ""},
      {"display required", [] { recordedPower.state = ES_DISPLAY_REQUIRED | ES_CONTINUOUS; },
       CheckId::kDisplayRequest, CheckState::kProblem, ""},
      {"only the system required", [] { recordedPower.state = ES_SYSTEM_REQUIRED | ES_CONTINUOUS; },
       CheckId::kDisplayRequest, CheckState::kOk, ""},
      {"execution state not told", [] { recordedPower.stateKnown = false; }, CheckId::kDisplayRequest,
       CheckState::kUnknown, ""},
  };
  for (const Case& c : cases) {
    SetInOrder();
    c.arrange();
    Diagnosis diagnosis = Diagnose();
    const CheckResult& check = Check(diagnosis, c.id);
    EXPECT_EQ(std::string(CheckStateName(check.state)), CheckStateName(c.state)) << c.what << ": " << check.text;
    EXPECT_TRUE(Contains(check.text, c.mentions)) << c.what << ": " << check.text;
  }
}

TEST_F(DiagnosisFactsTest, ADiagnosisChangesNothing) {
  SetDesktopValue("ScreenSaveActive", "0");
  SetDesktopValue("ScreenSaverIsSecure", "1");
  SetSystemSaver(folder_ + "\\gone.scr");
  const char* names[] = {"ScreenSaveActive", "ScreenSaveTimeOut", "ScreenSaverIsSecure", "SCRNSAVE.EXE"};
  std::string before[4];
  for (int i = 0; i < 4; i++) before[i] = DesktopValue(names[i]);
  Diagnose();
  for (int i = 0; i < 4; i++) EXPECT_EQ(DesktopValue(names[i]), before[i]) << names[i];
  EXPECT_TRUE(boxes().empty());
}

TEST_F(DiagnosisFactsTest, TheRealPowerCallsAnswerOrSayUnknown) {
  PowerProbe real = RealPowerProbe();
  int ac = -2, dc = -2;
  real.readDisplayTimeouts(&ac, &dc);
  EXPECT_GE(ac, kFactUnknown);
  EXPECT_GE(dc, kFactUnknown);
  DWORD state = 0xFFFFFFFF;
  bool told = real.readExecutionState(&state);
  EXPECT_TRUE(!told || state != 0xFFFFFFFF);
  printf("real power answers: display off after %d / %d s, execution state %s 0x%lx\n", ac, dc,
         told ? "told" : "not told", static_cast<unsigned long>(state));
}

}  // namespace
