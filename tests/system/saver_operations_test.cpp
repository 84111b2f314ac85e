// Saver operations observed for real: sample savers started with their exact command
// lines, the system settings in the registry, and the timers of the main window firing.
#include "system/saver_operations.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/saver_record.h"

namespace {

// Records the system commands the main window receives, instead of carrying them out,
// and hands everything else to the real window procedure.
std::vector<std::pair<WPARAM, LPARAM>> systemCommands;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND) {
    systemCommands.push_back({wParam, lParam});
    return 0;
  }
  return TrayWindowProc(window, message, wParam, lParam);
}

class SaverOperationsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    systemCommands.clear();
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
  }
  SaverRecord record_;
};

bool TimerWasRunning(HWND window, UINT_PTR id) { return KillTimer(window, id) != 0; }

TEST_F(SaverOperationsTest, SaverInAFolderWithASpaceIsStartedQuoted) {
  std::string saver = CopySampleSaver("aurora.scr", "my savers");
  // Unquoted, "...\dozelite-test-my savers\aurora.scr /S" would first start this program.
  std::string decoy = saver.substr(0, saver.find(" savers")) + ".exe";
  ASSERT_TRUE(CopyFileA(BuildFilePath("savers\\plasma.scr").c_str(), decoy.c_str(), FALSE));

  EXPECT_EQ(RunSaverFile(saver.c_str(), "/S"), 1);
  std::vector<std::string> lines = record_.WaitLines(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "\"" + saver + "\" /S");
  DeleteFileA(decoy.c_str());
  RemoveTree(saver.substr(0, saver.rfind('\\')));
}

TEST_F(SaverOperationsTest, CommandLineThatDoesNotFitStartsNothing) {
  // Cut short, the line would lose its closing quote and name another file.
  std::string saver = CopySampleSaver("aurora.scr", "long arguments");
  EXPECT_EQ(RunSaverFile(saver.c_str(), std::string(400, 'x').c_str()), 0);
  EXPECT_TRUE(record_.LinesAfterQuiet().empty());
  EXPECT_TRUE(Contains(BufferedLog(), "RunSaverFile: command line too long"));
  RemoveTree(saver.substr(0, saver.rfind('\\')));
}

std::vector<std::string> startedLines;
BOOL RecordStart(const char*, char* commandLine, const char*, STARTUPINFOA*, PROCESS_INFORMATION*) {
  startedLines.push_back(commandLine);
  return FALSE;
}

// The current saver as stored, longer than a path buffer: started whole while the
// command line holds it, else not at all, never cut to another path.
TEST_F(SaverOperationsTest, LongCurrentSaverIsStartedWholeOrNotAtAll) {
  CreateProcessEntry = RecordStart;
  struct Case {
    size_t length;
    bool started;
  } cases[] = {{259, true}, {300, true}, {394, true}, {395, false}, {450, false}};
  for (const Case& c : cases) {
    std::string path = "C:\\" + std::string(c.length - 9, 'd') + "\\s.scr";
    EXPECT_EQ(path.size(), c.length);
    SetSystemSaver(path);
    startedLines.clear();
    ClearLogBuffer();
    EXPECT_EQ(RunSaverFile(nullptr, "/S"), c.started ? 1 : 0) << c.length;
    EXPECT_EQ(startedLines, c.started ? std::vector<std::string>{"\"" + path + "\" /S"} : std::vector<std::string>{})
        << c.length;
    EXPECT_EQ(Contains(BufferedLog(), "RunSaverFile: command line too long"), !c.started) << c.length;
  }
  CreateProcessEntry = RealCreateProcess;
}

TEST_F(SaverOperationsTest, NullPathStartsTheCurrentSaverOrNothing) {
  EXPECT_EQ(RunSaverFile(nullptr, "/S"), 0);
  EXPECT_EQ(ChangePassword(nullptr), 0);
  EXPECT_TRUE(record_.LinesAfterQuiet().empty());

  std::string saver = CopySampleSaver("bubbles.scr", "current");
  SetSystemSaver(saver);
  EXPECT_EQ(ChangePassword(nullptr), 1);
  std::vector<std::string> lines = record_.WaitLines(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "\"" + saver + "\" /A");
  RemoveTree(saver.substr(0, saver.rfind('\\')));
}

TEST_F(SaverOperationsTest, ConfigurePassesTheMainWindowInDecimal) {
  std::string saver = CopySampleSaver("starlight.scr", "configure");
  EXPECT_EQ(ConfigureScreenSaver(saver.c_str()), 1);
  std::vector<std::string> lines = record_.WaitLines(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "\"" + saver + "\" /C:" + std::to_string(reinterpret_cast<INT_PTR>(window_)));
  RemoveTree(saver.substr(0, saver.rfind('\\')));
}

TEST_F(SaverOperationsTest, LaunchWithTheSaverOffEnablesItOnlyForTheStart) {
  AppState.delay = 200;
  AppState.saverActive = 0;
  SetDesktopValue("ScreenSaveActive", "0");
  std::atomic<bool> sawEnabled{false};
  std::atomic<bool> stop{false};
  std::thread watcher([&] {
    while (!stop) {
      if (DesktopValue("ScreenSaveActive") == "1") sawEnabled = true;
      Sleep(5);
    }
  });
  EXPECT_EQ(LaunchScreenSaver(), 0);
  stop = true;
  watcher.join();
  EXPECT_TRUE(sawEnabled);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "0");
  EXPECT_EQ(AppState.saverActive, 0);

  // With the saver on, the setting is not written at all.
  AppState.delay = 0;
  AppState.saverActive = 1;
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_WRITE, &key);
  RegDeleteValueA(key, "ScreenSaveActive");
  RegCloseKey(key);
  LaunchScreenSaver();
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "<absent>");
}

TEST_F(SaverOperationsTest, EnableAndPasswordWriteTheSystemSettings) {
  EXPECT_EQ(EnableSaver(true), 1);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
  EXPECT_EQ(EnablePassword(true), 1);
  EXPECT_EQ(DesktopValue("ScreenSaverIsSecure"), "1");
  EXPECT_EQ(AppState.passwordActive, 1);
  EXPECT_EQ(EnableSaver(false), 1);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "0");
  EXPECT_EQ(EnablePassword(false), 1);
  EXPECT_EQ(DesktopValue("ScreenSaverIsSecure"), "0");
}

TEST_F(SaverOperationsTest, DisablePeriodEndsWithItsTimer) {
  AppState.saverActive = 1;
  EXPECT_EQ(DisableSaverTimeout(1), 1);
  EXPECT_EQ(AppState.saverActive, 0);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "0");
  EXPECT_EQ(AppState.disableSeconds, 1);
  ASSERT_TRUE(WaitFor([] { return AppState.disableSeconds == 0; }, 5000));
  EXPECT_EQ(AppState.saverActive, 1);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
  EXPECT_FALSE(TimerWasRunning(window_, kTimerDisablePeriod));
}

TEST_F(SaverOperationsTest, SecondDisableRequestReplacesTheFirst) {
  // A long period replaced by a short one ends with the short one.
  DisableSaverTimeout(30 * 60);
  DisableSaverTimeout(1);
  ASSERT_TRUE(WaitFor([] { return AppState.disableSeconds == 0; }, 5000));
  EXPECT_EQ(AppState.saverActive, 1);

  // A short period replaced by a long one does not end at the short one's time.
  DisableSaverTimeout(1);
  DWORD start = GetTickCount();
  DisableSaverTimeout(10 * 60);
  WaitFor([] { return false; }, 2000);
  EXPECT_EQ(AppState.disableSeconds, 600);
  EXPECT_EQ(AppState.saverActive, 0);
  EXPECT_LE(AppState.disableStartTick - start, 1000u);
  EXPECT_TRUE(TimerWasRunning(window_, kTimerDisablePeriod));
}

TEST_F(SaverOperationsTest, EnablingDuringAPeriodEndsIt) {
  DisableSaverTimeout(600);
  EnableSaver(true);
  EXPECT_EQ(AppState.disableSeconds, 0);
  EXPECT_EQ(AppState.saverActive, 1);
  EXPECT_FALSE(TimerWasRunning(window_, kTimerDisablePeriod));

  // Ending a period that does not run simply enables the saver.
  AppState.saverActive = 0;
  EXPECT_EQ(DisableSaverTimeout(0), 1);
  EXPECT_EQ(AppState.saverActive, 1);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
}

TEST_F(SaverOperationsTest, RandomSaverTimerFollowsTheSystemTimeout) {
  std::string aurora = BuildFilePath("savers\\aurora.scr");
  InstallSavers({{"Aurora Ribbons", aurora}});
  // The period is the timeout in milliseconds: two seconds do not pass in one.
  SetDesktopValue("ScreenSaveTimeOut", "2");
  EXPECT_EQ(SetRandomSaverOnActivate(true), 1);
  EXPECT_EQ(AppState.saverTimeout, 2);
  WaitFor([] { return false; }, 1000);
  EXPECT_EQ(DesktopValue("SCRNSAVE.EXE"), "<absent>") << "timer 345 fired early";
  SetDesktopValue("ScreenSaveTimeOut", "1");
  EXPECT_EQ(SetRandomSaverOnActivate(true), 1);
  EXPECT_EQ(AppState.saverTimeout, 1);
  // Each tick makes a random saver current and starts the timer again.
  ASSERT_TRUE(WaitFor([&] { return DesktopValue("SCRNSAVE.EXE") == aurora; }, 5000));
  SetSystemSaver("");
  ASSERT_TRUE(WaitFor([&] { return DesktopValue("SCRNSAVE.EXE") == aurora; }, 5000));
  EXPECT_EQ(SetRandomSaverOnActivate(false), 1);
  EXPECT_FALSE(TimerWasRunning(window_, kTimerRandomSaver));
}

TEST_F(SaverOperationsTest, ZeroTimeoutStartsNoRandomSaverTimer) {
  SetDesktopValue("ScreenSaveTimeOut", "0");
  EXPECT_EQ(SetRandomSaverOnActivate(true), 1);
  EXPECT_FALSE(TimerWasRunning(window_, kTimerRandomSaver));
  // Nor does a timeout whose milliseconds do not fit the timer.
  SetDesktopValue("ScreenSaveTimeOut", "3000000");
  EXPECT_EQ(SetRandomSaverOnActivate(true), 1);
  EXPECT_FALSE(TimerWasRunning(window_, kTimerRandomSaver));
}

TEST_F(SaverOperationsTest, PowerModesAreSentToTheMainWindow) {
  EXPECT_EQ(SetPowerMode(-1), 0);
  EXPECT_TRUE(systemCommands.empty());
  EXPECT_EQ(SetPowerMode(2), 1);
  EXPECT_EQ(SetPowerMode(1), 1);
  EXPECT_EQ(SetPowerMode(0), 1);
  std::vector<std::pair<WPARAM, LPARAM>> expected = {
      {SC_MONITORPOWER, 2}, {SC_MONITORPOWER, 1}, {SC_MONITORPOWER, 0}};
  EXPECT_EQ(systemCommands, expected);
  EXPECT_NE(BufferedLog().find("SetPowerMode: -1"), std::string::npos);
}

TEST_F(SaverOperationsTest, NegativeDelayDoesNotBlock) {
  AppState.delay = -1;
  DWORD start = GetTickCount();
  SetPowerMode(-1);
  LaunchScreenSaver();
  EXPECT_LT(GetTickCount() - start, 5000u);
}

}  // namespace
