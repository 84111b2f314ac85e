// The option "diagnose": in-process, the report logged and the dialog asked for unless
// the process ends; as the real program under Wine, the report in its own log.
#include "app/command_line.h"
#include "diagnose_fixture.h"

namespace {

class DiagnoseCommandLineTest : public DiagnoseFixture {
 protected:
  void Parse(const char* text) {
    char line[64];
    strcpy(line, text);
    ParseCommandLine(line);
  }
};

TEST_F(DiagnoseCommandLineTest, KillLogsOnlyWithoutKillTheDialogIsAsked) {
  SetDesktopValue("ScreenSaveActive", "0");
  Parse("kill diagnose");
  EXPECT_TRUE(Contains(BufferedLog(), "Diagnose: saver-off: problem: ")) << BufferedLog();
  EXPECT_TRUE(TakePostedCommands(window_).empty());

  AppState.kill = 0;
  Parse("/Diagnose");
  EXPECT_EQ(TakePostedCommands(window_), std::vector<int>{kCmdDiagnose});
}

// The real program, started with "kill diagnose" in its own temporary folder.
std::string RunProgram(const std::string& folder) {
  std::string command = "\"" + BuildFilePath("Dozelite.exe") + "\" kill diagnose";
  ProcessResult result = RunProcess(command, {"TEMP=" + folder, "TMP=" + folder}, 30000);
  EXPECT_TRUE(result.finished);
  return ReadTextFile(folder + "\\Dozelite.log");
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
  DeleteFileA((folder + "\\Dozelite.log").c_str());
  std::string orderly = RunProgram(folder);
  EXPECT_TRUE(Contains(orderly, "Diagnose: secure-without-saver: ok")) << orderly;
  EXPECT_FALSE(Contains(orderly, ": problem:")) << orderly;
  RemoveTree(folder);
}

}  // namespace
