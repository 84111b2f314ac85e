// The one watcher thread of the resident program serves a registry write and the corners'
// event alike. It runs in a child process of this test program: a process has one corner
// watch, and the corner watcher's own tests hold it here.
#include "triggers/watcher_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "triggers/corner_watcher.h"

namespace {

constexpr const char* kChildVariable = "DOZELITE_WATCHER_THREAD_CHILD";

bool InChild() { return getenv(kChildVariable) != nullptr; }

BOOL AcceptTrayCalls(DWORD, NOTIFYICONDATAA*) { return TRUE; }

}  // namespace

TEST(WatcherThread, ServesTheRegistryAndTheCornersInAChildProcess) {
  if (InChild()) GTEST_SKIP() << "the child runs only its own test";
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof(self));
  std::string command = std::string("\"") + self + "\" --gtest_filter=WatcherThreadChild.*";
  ProcessResult child = RunProcess(command, {std::string(kChildVariable) + "=1"}, 120000);
  EXPECT_TRUE(child.finished);
  EXPECT_EQ(child.exitCode, 0u) << "the child's checks failed (its output is above)";
}

class WatcherThreadChild : public AppFixture {
 protected:
  void SetUp() override {
    if (!InChild()) GTEST_SKIP() << "run by WatcherThread.ServesTheRegistryAndTheCornersInAChildProcess";
    AppFixture::SetUp();
    ShellNotifyIconEntry = AcceptTrayCalls;
  }
  void TearDown() override {
    if (!InChild()) return;
    AppState.corneraction = 0;
    SetDesktopValue("ScreenSaveTimeOut", "600");
    ShellNotifyIconEntry = RealShellNotifyIcon;
    AppFixture::TearDown();
  }
};

// Round after round, so that serving one watch is seen not to spoil the other's next wait.
TEST_F(WatcherThreadChild, AWriteAndTheCornersEventEachReachTheMainWindow) {
  AppState.corneraction = 0;
  AppState.topLeftActionMessage = kCmdRunSaverNow;
  AppState.cornerdelay = 0;
  int idle = CountOwnThreads();
  HANDLE thread = CreateThread(nullptr, 0, WatcherThread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  CloseHandle(thread);
  HWND cornerWindow = nullptr;
  ASSERT_TRUE(Within(10000, [&] {
    cornerWindow = FindWindowA(kCornerWatcherClassName, nullptr);
    if (!cornerWindow) cornerWindow = FindWindowExA(HWND_MESSAGE, nullptr, kCornerWatcherClassName, nullptr);
    return cornerWindow != nullptr;
  }));
  EXPECT_EQ(CountOwnThreads(), idle + 1) << "one thread for both watches";

  for (int timeout : {777, 840}) {
    SetDesktopValue("ScreenSaveTimeOut", std::to_string(timeout));
    EXPECT_TRUE(Within(5000, [&] {
      MSG message;
      while (PeekMessageA(&message, window_, kSaverSettingsReadMessage, kSaverSettingsReadMessage, PM_REMOVE))
        DispatchMessageA(&message);  // the main window applies the reading
      return AppState.saverTimeout == timeout;
    })) << timeout;

    // Switched off (through the window), the cursor waits in a corner; the event switches
    // the corners on and the corner fires at once.
    DWORD_PTR result;
    SendMessageTimeoutA(cornerWindow, kCornerWakeMessage, 0, 0, SMTO_NORMAL, 10000, &result);
    ASSERT_TRUE(SetCursorPos(0, 0));
    TakePostedCommands(window_);
    AppState.corneraction = 1;
    WakeCornerWatcher();
    std::vector<int> commands;
    EXPECT_TRUE(Within(5000, [&] {
      for (int command : TakePostedCommands(window_)) commands.push_back(command);
      return std::find(commands.begin(), commands.end(), kCmdRunSaverNow) != commands.end();
    })) << timeout;
    AppState.corneraction = 0;
  }
}
