#include "triggers/watchers.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <atomic>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/tray_icon.h"
#include "shell/entry_points.h"
#include "support/test_support.h"

namespace {

// Collects the commands posted to `window` for `ms` milliseconds without dispatching
// anything (a message pump would swallow them).
std::vector<int> CollectCommands(HWND window, DWORD ms) {
  std::vector<int> all;
  DWORD start = GetTickCount();
  do {
    std::vector<int> some = TakePostedCommands(window);
    all.insert(all.end(), some.begin(), some.end());
    Sleep(20);
  } while (GetTickCount() - start < ms);
  std::vector<int> some = TakePostedCommands(window);
  all.insert(all.end(), some.begin(), some.end());
  return all;
}

std::atomic<int> trayModifies{0};

BOOL CountTrayCalls(DWORD message, NOTIFYICONDATAA*) {
  if (message == NIM_MODIFY) trayModifies++;
  return TRUE;
}

// The watcher threads never end, so each runs once per test program, on the state set
// up by the first test that needs it.
HWND StartedWatcherWindow() {
  static HWND window = nullptr;
  if (!window) {
    ResetAppState(GetModuleHandleA(nullptr));
    window = CreateTestWindow();
    AppState.mainWindow = window;
  }
  return window;
}

}  // namespace

TEST(RegistryWatcher, AnotherProcessWritingTheDesktopKeyRefreshesTheIconAndAnimates) {
  HWND window = StartedWatcherWindow();
  ShellNotifyIconEntry = CountTrayCalls;
  HANDLE thread = CreateThread(nullptr, 0, RegistryWatcherThread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  CloseHandle(thread);
  Sleep(300);  // let it arm the notification
  TakePostedCommands(window);

  for (int round = 0; round < 2; round++) {
    ResetTrayIconRecord();  // otherwise an unchanged icon sends nothing to the shell
    trayModifies = 0;
    std::string command = "reg.exe add \"HKCU\\Control Panel\\desktop\" /v DozeliteWatcherProbe /d " +
                          std::to_string(round) + " /f";
    ProcessResult writer = RunProcess(command, {}, 20000);
    ASSERT_TRUE(writer.finished);
    ASSERT_EQ(writer.exitCode, 0u);
    std::vector<int> commands = CollectCommands(window, 1500);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), kCmdAnimateIcon), 1) << "round " << round;
    EXPECT_GE(trayModifies.load(), 1) << "round " << round;
  }
  // Nothing else happens while the key stays untouched: the watcher only waits.
  EXPECT_TRUE(CollectCommands(window, 1200).empty());
  ShellNotifyIconEntry = RealShellNotifyIcon;
  RegDeleteKeyValueA(HKEY_CURRENT_USER, "Control Panel\\desktop", "DozeliteWatcherProbe");
}
