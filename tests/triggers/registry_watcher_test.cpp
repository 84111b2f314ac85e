// The registry watcher against real registry writes by another process: its readings
// reach the mirrored settings only through the main window, none is lost while the main
// thread saves, and a box about the tray never hangs the two threads.
#include "triggers/registry_watcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>

#include "app/dispatcher.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/watchdog.h"
#include "system/saver_operations.h"
#include "system/system_saver_settings.h"
#include "tray/tray_icon.h"

namespace {

// The watcher never ends, so one runs for the whole test program; it posts to whatever
// AppState.mainWindow is at the time.
void StartRegistryWatcher() {
  static bool started = false;
  if (started) return;
  HANDLE thread = CreateThread(nullptr, 0, RegistryWatcherThread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  CloseHandle(thread);
  started = true;
}

// Another process writes the desktop key, as the control panel would.
void WriteFromOutside(const char* name, const std::string& value) {
  std::string command = std::string("reg.exe add \"HKCU\\Control Panel\\desktop\" /v ") + name + " /d " + value + " /f";
  ProcessResult writer = RunProcess(command, {}, 20000);
  ASSERT_TRUE(writer.finished && writer.exitCode == 0) << command;
}

// Waits, without handling anything, until a reading of the watcher is queued.
bool ReadingQueued(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  MSG message;
  while (!PeekMessageA(&message, window, kSaverSettingsReadMessage, kSaverSettingsReadMessage, PM_NOREMOVE)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

// Handles queued readings alone, oldest first, up to `most`; returns how many.
int HandleReadings(HWND window, int most = INT_MAX) {
  int handled = 0;
  MSG message;
  while (handled < most &&
         PeekMessageA(&message, window, kSaverSettingsReadMessage, kSaverSettingsReadMessage, PM_REMOVE)) {
    DispatchMessageA(&message);
    handled++;
  }
  return handled;
}

std::atomic<int> trayCalls{0};
BOOL CountTrayCalls(DWORD, NOTIFYICONDATAA*) {
  trayCalls++;
  return TRUE;
}

class RegistryWatcherTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ShellNotifyIconEntry = CountTrayCalls;
    StartRegistryWatcher();
    // The fixture's own writes woke the watcher: let their readings arrive and go.
    WaitFor([] { return false; }, 500);
    TakePostedCommands(window_);
    LoadWindowsSaverSettings();
  }
  void TearDown() override {
    ShellNotifyIconEntry = RealShellNotifyIcon;
    MessageBoxEntry = RealMessageBox;
    SetShowDebugMessages(false);
    SetLogWindow(nullptr);
    SetDesktopValue("ScreenSaveTimeOut", "600");
    WaitFor([] { return false; }, 300);
    AppFixture::TearDown();
  }
};

TEST_F(RegistryWatcherTest, AnOutsideWriteChangesTheFieldsOnlyWhenTheMainWindowHandlesIt) {
  int before = 600;
  ASSERT_EQ(AppState.saverTimeout, before);
  for (int timeout : {777, 840}) {
    ResetTrayIconRecord();  // otherwise an unchanged icon sends nothing to the shell
    trayCalls = 0;
    WriteFromOutside("ScreenSaveTimeOut", std::to_string(timeout));
    // The main thread is busy elsewhere: the reading waits for it, the fields stay.
    ASSERT_TRUE(ReadingQueued(window_, 5000)) << timeout;
    Sleep(200);
    EXPECT_EQ(AppState.saverTimeout, before);
    EXPECT_EQ(trayCalls.load(), 0) << "the watcher refreshed the icon itself";
    EXPECT_GE(HandleReadings(window_), 1);
    EXPECT_EQ(AppState.saverTimeout, timeout);
    EXPECT_GE(trayCalls.load(), 1);
    EXPECT_EQ(TakePostedCommands(window_), std::vector<int>{kCmdAnimateIcon});
    before = timeout;
  }
  // A write of another value of the key changes no setting, but its notification still
  // reaches the main window, which plays the icon's animation.
  WriteFromOutside("DozeliteWatcherProbe", "1");
  ASSERT_TRUE(ReadingQueued(window_, 5000)) << "an unchanged reading after a notification was dropped";
  EXPECT_GE(HandleReadings(window_), 1);
  EXPECT_EQ(AppState.saverTimeout, before);
  EXPECT_EQ(TakePostedCommands(window_), std::vector<int>{kCmdAnimateIcon});
  HKEY desktop = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_SET_VALUE, &desktop), ERROR_SUCCESS);
  RegDeleteValueA(desktop, "DozeliteWatcherProbe");
  RegCloseKey(desktop);
  ASSERT_TRUE(ReadingQueued(window_, 5000));
  HandleReadings(window_);
  // Nothing more comes while the key stays untouched.
  Sleep(1200);
  EXPECT_EQ(HandleReadings(window_), 0);
}

// A reading still on its way when the main thread saves is older than the save: it must
// not undo it, and the main window reads the registry afresh instead.
TEST_F(RegistryWatcherTest, AReadingOvertakenByASaveDoesNotUndoIt) {
  WriteFromOutside("ScreenSaveTimeOut", "700");
  ASSERT_TRUE(ReadingQueued(window_, 5000));
  SetSaverTimeout(900);
  EXPECT_EQ(HandleReadings(window_, 1), 1);  // the one from before the save
  EXPECT_EQ(AppState.saverTimeout, 900);
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "900");
}

// A timeout and a "Run Saver Now" with the saver off, round after round, while the
// watcher reads back every one of their writes: none may undo another.
TEST_F(RegistryWatcherTest, SavesWhileTheWatcherRunsLoseNothing) {
  constexpr int kRounds = 2000;
  int mismatches = 0;
  int lastTimeout = 0;
  for (int round = 0; round < kRounds; round++) {
    lastTimeout = 100 + round;
    SetSaverTimeout(lastTimeout);
    LaunchScreenSaver();
    HandleReadings(window_);  // as the message loop would between two commands
    if (AppState.saverTimeout != lastTimeout || AppState.saverActive != 0) mismatches++;
  }
  EXPECT_EQ(mismatches, 0) << "of " << kRounds << " rounds";
  // Once the watcher has read back the last writes, all agrees with the last round.
  WaitFor([] { return false; }, 1000);
  EXPECT_EQ(AppState.saverTimeout, lastTimeout);
  EXPECT_EQ(AppState.saverActive, 0);
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), std::to_string(lastTimeout));
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "0");
}

// A box of the debug log talks to its owner, the main window, as a real one does.
std::atomic<DWORD> boxesOffTheMainThread{0};
DWORD mainThread = 0;
int BoxAnsweringItsOwner(HWND owner, const char*, const char*, UINT) {
  if (GetCurrentThreadId() != mainThread) boxesOffTheMainThread++;
  if (owner) SendMessageA(owner, WM_NULL, 0, 0);
  return IDOK;
}
BOOL FailingShell(DWORD, NOTIFYICONDATAA*) { return FALSE; }

TEST_F(RegistryWatcherTest, ATrayFailureBoxNeverHangsTheWatcherAndTheMainThread) {
  Watchdog watchdog(60000, "the tray failure box test");
  mainThread = GetCurrentThreadId();
  boxesOffTheMainThread = 0;
  SetLogWindow(window_);
  SetShowDebugMessages(true);  // every log line opens a box
  MessageBoxEntry = BoxAnsweringItsOwner;
  ShellNotifyIconEntry = FailingShell;  // every refresh fails and says so
  WriteFromOutside("ScreenSaveTimeOut", "555");
  // Meanwhile the main thread refreshes the icon, as moves of the mouse over it do.
  EXPECT_TRUE(WaitFor(
      [] {
        UpdateTrayIcon(NIM_MODIFY);
        return AppState.saverTimeout == 555;
      },
      20000));
  EXPECT_EQ(boxesOffTheMainThread.load(), 0u);
}

}  // namespace
