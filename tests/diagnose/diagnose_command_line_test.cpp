// The option "diagnose": in-process, the report logged and the dialog asked for unless
// the process ends; as the real program under Wine, the report in its own log, or in the
// running copy's log when one runs.
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

// A second start asks the running copy, which alone knows its holds and its disable
// period: the report is in that copy's log, and the second start ends once it is there.
TEST_F(DiagnoseCommandLineTest, ASecondStartReportsOnTheRunningCopy) {
  std::string residentFolder = MakeTempFolder("diagnose-resident");
  std::string secondFolder = MakeTempFolder("diagnose-second");
  std::string exe = "\"" + BuildFilePath("Dozelite.exe") + "\"";
  WriteRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite\\HoldOff", "bubbles.scr", "running");
  WriteRegistryDword(HKEY_CURRENT_USER, "Software\\Dozelite\\HoldOff", "fullscreen", 0);
  HANDLE holder = StartProcess("\"" + BuildFilePath("savers\\bubbles.scr") + "\" /c", {});
  ASSERT_NE(holder, nullptr);
  HANDLE resident = StartProcess(exe + " nosplash notips", {"TEMP=" + residentFolder, "TMP=" + residentFolder});
  ASSERT_NE(resident, nullptr);
  auto residentLog = [&] { return ReadTextFile(residentFolder + "\\Dozelite.log"); };
  EXPECT_TRUE(WaitFor([&] { return Contains(residentLog(), "HoldOff: start (bubbles.scr is running)"); }, 20000))
      << residentLog();
  HWND window = FindWindowA(kWindowClassName, kWindowTitle);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_COMMAND, kRangeDisableMinutes + 30, 0);  // disabled for half an hour
  EXPECT_TRUE(WaitFor([&] { return Contains(residentLog(), "DisableSaverTimeout"); }, 5000)) << residentLog();

  DWORD start = GetTickCount();
  ProcessResult second = RunProcess(exe + " kill diagnose", {"TEMP=" + secondFolder, "TMP=" + secondFolder}, 30000);
  DWORD took = GetTickCount() - start;
  EXPECT_TRUE(second.finished);
  std::string report = residentLog();
  for (const char* line : {"Diagnose: held-off: problem: A hold-off rule holds the saver off: bubbles.scr is running.",
                           "Diagnose: disabled-by-dozelite: problem: Dozelite has disabled the saver for another "})
    EXPECT_TRUE(Contains(report, line)) << line << "\n" << report;
  std::string own = ReadTextFile(secondFolder + "\\Dozelite.log");
  EXPECT_TRUE(Contains(own, "Diagnose: the running copy wrote its report to its log")) << own;
  EXPECT_FALSE(Contains(own, "Diagnose: held-off:")) << "the second start diagnosed itself\n" << own;
  EXPECT_LT(took, 20000u);

  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(resident, 30000), WAIT_OBJECT_0);
  TerminateProcess(holder, 0);
  WaitForSingleObject(holder, 5000);
  CloseHandle(holder);
  CloseHandle(resident);
  RemoveTree(residentFolder);
  RemoveTree(secondFolder);
}

}  // namespace
