// The option "diagnose": in-process, the report logged and the dialog asked for unless
// the process ends; as the real program under Wine, the report in its own log.
#include "app/command_line.h"
#include "diagnose_fixture.h"

namespace {

class DiagnoseCommandLineTest : public DiagnoseFixture {
 protected:
  static void Parse(const char* text) {
    char line[64];
    CopyText(line, text, sizeof(line));
    ParseCommandLine(line);
  }
  // The real program with "kill diagnose" in its own temporary folder; its log.
  std::string RunProgram(const std::string& folder) {
    DeleteFileA((folder + "\\Dozelite.log").c_str());
    std::string command = "\"" + BuildFilePath("Dozelite.exe") + "\" kill diagnose";
    EXPECT_TRUE(RunProcess(command, {"TEMP=" + folder, "TMP=" + folder}, 30000).finished);
    return ReadTextFile(folder + "\\Dozelite.log");
  }
};

TEST_F(DiagnoseCommandLineTest, WithoutKillTheDialogIsAsked) {
  Parse("kill diagnose");
  EXPECT_TRUE(TakePostedCommands(window_).empty());
  AppState.kill = 0;
  Parse("/Diagnose");
  EXPECT_EQ(TakePostedCommands(window_), std::vector<int>{kCmdDiagnose});
}

TEST_F(DiagnoseCommandLineTest, TheProgramLogsTheProblemsAndEnds) {
  std::string folder = MakeTempFolder("diagnose-program");
  WriteTextFile(folder + "\\notes.scr", "not a program");
  SetDesktopValue("ScreenSaveActive", "0");
  SetSystemSaver(folder + "\\notes.scr");
  SetPolicy(HKEY_CURRENT_USER, "ScreenSaveActive", "1");
  std::string broken = RunProgram(folder);
  for (const char* line : {"Diagnose: saver-off: problem", "Diagnose: saver-invalid: problem",
                           "Diagnose: policy: problem"})
    EXPECT_TRUE(Contains(broken, line)) << line << "\n" << broken;

  SetInOrder();
  std::string orderly = RunProgram(folder);
  EXPECT_TRUE(Contains(orderly, "Diagnose: secure-without-saver: ok")) << orderly;
  EXPECT_FALSE(Contains(orderly, ": problem:")) << orderly;
  RemoveTree(folder);
}

}  // namespace
