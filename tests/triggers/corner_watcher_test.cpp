// The corner watcher under Wine, on the one primary monitor of the virtual screen: the
// cursor is moved with SendInput (which reaches the low-level hook) and the commands the
// watcher posts to a test window are read back. One watcher thread serves every test.
#include "triggers/corner_watcher.h"

#include <gtest/gtest.h>
#include <wtsapi32.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "holdoff/fullscreen.h"
#include "log/log.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "triggers/corner_stay.h"

namespace {

HWND WatcherWindow() {
  HWND window = FindWindowA(kCornerWatcherClassName, nullptr);
  return window ? window : FindWindowExA(HWND_MESSAGE, nullptr, kCornerWatcherClassName, nullptr);
}

// Has the watcher thread look at the settings and waits until it has.
void Resync() {
  DWORD_PTR result;
  SendMessageTimeoutA(WatcherWindow(), kCornerWakeMessage, 0, 0, SMTO_NORMAL, 10000, &result);
}

void SendMouse(DWORD flags, int x = 0, int y = 0) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  // Absolute coordinates map 0..65535 onto the screen as x = dx * width / 65536.
  input.mi.dx = (x * 65536 + width - 1) / width;
  input.mi.dy = (y * 65536 + height - 1) / height;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

// Moves the cursor as a mouse would (the hook sees it) and waits until it is there.
bool MoveMouse(int x, int y) {
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
  return Within(5000, [&] {
    POINT at;
    return GetCursorPos(&at) && at.x == x && at.y == y;
  });
}

// The corner commands posted to `window` within `ms`; each must carry the corner source.
std::vector<int> CornerCommands(HWND window, DWORD ms, bool stopAtFirst = false, DWORD* elapsed = nullptr) {
  std::vector<int> commands;
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
      EXPECT_EQ(message.lParam, kSourceCorner);
      commands.push_back(LOWORD(message.wParam));
      if (elapsed) *elapsed = GetTickCount() - start;
    }
    if (stopAtFirst && !commands.empty()) break;
    Sleep(10);
  } while (GetTickCount() - start < ms);
  return commands;
}

int FirstCornerCommand(HWND window, DWORD ms, DWORD* elapsed = nullptr) {
  std::vector<int> commands = CornerCommands(window, ms, true, elapsed);
  return commands.empty() ? 0 : commands.front();
}

class CornerWatcherTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool started = false;
    if (started) return;
    started = true;
    AppState.corneraction = 0;
    HANDLE thread = CreateThread(nullptr, 0, CornerWatcherThread, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    CloseHandle(thread);
    ASSERT_TRUE(Within(10000, [] { return WatcherWindow() != nullptr; }));
  }

  void SetUp() override {
    width_ = GetSystemMetrics(SM_CXSCREEN);
    height_ = GetSystemMetrics(SM_CYSCREEN);
    window_ = CreateTestWindow();
    AppState.mainWindow = window_;
    AppState.topLeftActionMessage = kCmdRunSaverNow;
    AppState.cornerscope = 0;
    AppState.cornerdelay = 0;
    AppState.cornersfullscreen = 0;
    AppState.corneraction = 0;
    Resync();
    ASSERT_TRUE(MoveMouse(width_ / 2, height_ / 2));
    AppState.corneraction = 1;
    Resync();
    CornerCommands(window_, 0);
  }

  void TearDown() override {
    AppState.corneraction = 0;
    Resync();
    InstallMouseHookEntry = RealInstallMouseHook;
    AppState.mainWindow = nullptr;
    DestroyWindow(window_);
  }

  // Leaves the corners, then enters the top-left one.
  void EnterTopLeft() {
    ASSERT_TRUE(MoveMouse(width_ / 2, height_ / 2));
    ASSERT_TRUE(MoveMouse(0, 0));
  }

  int width_ = 0;
  int height_ = 0;
  HWND window_ = nullptr;
};

TEST_F(CornerWatcherTest, FiresAfterTheDelayOnlyWhenTheCursorStays) {
  AppState.cornerdelay = 500;
  Resync();

  // 300 ms in the corner, then out: nothing, now or later.
  DWORD entered = GetTickCount();
  ASSERT_TRUE(MoveMouse(0, 0));
  EXPECT_TRUE(CornerCommands(window_, 300).empty());
  ASSERT_TRUE(MoveMouse(width_ / 2, height_ / 2));
  DWORD stayed = GetTickCount() - entered;
  std::vector<int> late = CornerCommands(window_, 1000);
  if (stayed < 450) {
    EXPECT_TRUE(late.empty()) << "fired after leaving at " << stayed << " ms";
  }

  // A stay of 800 ms fires once, not before the delay.
  ASSERT_TRUE(MoveMouse(0, 0));
  DWORD elapsed = 0;
  EXPECT_EQ(FirstCornerCommand(window_, 5000, &elapsed), kCmdRunSaverNow);
  EXPECT_GE(elapsed, 450u);
  EXPECT_TRUE(CornerCommands(window_, 1200).empty()) << "fired twice in one stay";
}

TEST_F(CornerWatcherTest, NeverFiresWhileAButtonIsHeld) {
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_TRUE(MoveMouse(0, 0));
  EXPECT_TRUE(CornerCommands(window_, 1000).empty()) << "fired while dragging";
  SendMouse(MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(CornerCommands(window_, 800).empty()) << "a dragged-in stay fired on release";
  EnterTopLeft();
  EXPECT_EQ(FirstCornerCommand(window_, 5000), kCmdRunSaverNow);
}

// A borderless window covering the monitor (tools/windows/window_kinds.cpp) is the
// window in front; the cursor waits 6 pixels from the corner while it starts.
TEST_F(CornerWatcherTest, AFullScreenWindowInFrontHoldsCornersOffUnlessAllowed) {
  for (int allowed = 0; allowed <= 1; allowed++) {
    AppState.cornersfullscreen = allowed;
    Resync();
    ASSERT_TRUE(MoveMouse(6, 6));
    HANDLE saver = StartProcess("\"" + BuildFilePath("window_kinds.exe") + "\" popup", {});
    ASSERT_NE(saver, nullptr);
    bool inFront = Within(15000, [] { return FindFullScreenForeground(nullptr) != nullptr; });
    if (inFront) {
      ClearLogBuffer();
      EXPECT_TRUE(MoveMouse(0, 0));
      if (allowed) {
        EXPECT_EQ(FirstCornerCommand(window_, 5000), kCmdRunSaverNow);
      } else {
        EXPECT_TRUE(CornerCommands(window_, 1000).empty()) << "fired over a full-screen window";
      }
      EXPECT_EQ(BufferedLog().find("held off by a full-screen window") != std::string::npos, !allowed);
    }
    TerminateProcess(saver, 0);
    WaitForSingleObject(saver, 10000);
    CloseHandle(saver);
    ASSERT_TRUE(inFront) << "the full-screen window never came to the front";
    Within(10000, [] { return FindFullScreenForeground(nullptr) == nullptr; });
  }
}

HHOOK NoHook(HOOKPROC, HINSTANCE) {
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}

TEST_F(CornerWatcherTest, PollsWhenNoHookCanBeInstalledAndSaysSoOnce) {
  ClearLogBuffer();
  InstallMouseHookEntry = NoHook;
  for (int round = 0; round < 2; round++) {
    AppState.corneraction = 0;
    Resync();
    SetCursorPos(width_ / 2, height_ / 2);
    AppState.corneraction = 1;
    Resync();
    // SetCursorPos reaches no hook: only a poll can see it.
    Sleep(300);
    SetCursorPos(0, 0);
    EXPECT_EQ(FirstCornerCommand(window_, 5000), kCmdRunSaverNow) << "round " << round;
  }
  std::string log = BufferedLog();
  size_t said = log.find("no mouse hook, polling the cursor every 250 ms");
  EXPECT_NE(said, std::string::npos) << log;
  EXPECT_EQ(said, log.rfind("no mouse hook")) << "said more than once";
}

// Switched on, the watcher starts only when woken; a move no hook saw (SetCursorPos) is
// caught by the check a display change runs.
TEST_F(CornerWatcherTest, StartsWhenWokenAndCatchesUpOnADisplayChange) {
  AppState.corneraction = 0;
  Resync();
  ASSERT_TRUE(MoveMouse(0, 0));
  AppState.corneraction = 1;
  EXPECT_TRUE(CornerCommands(window_, 700).empty()) << "watched while switched off";
  WakeCornerWatcher();
  EXPECT_EQ(FirstCornerCommand(window_, 5000), kCmdRunSaverNow);

  // On the top edge: the move to the corner changes one coordinate only.
  ASSERT_TRUE(MoveMouse(width_ / 2, 0));
  Sleep(800);
  SetCursorPos(0, 0);
  EXPECT_TRUE(CornerCommands(window_, 700).empty());
  // Broadcast to top-level windows only: the watcher must have one while corners are on.
  HWND topLevel = FindWindowA(kCornerWatcherClassName, nullptr);
  ASSERT_NE(topLevel, nullptr);
  SendMessageA(topLevel, WM_DISPLAYCHANGE, 32, MAKELPARAM(width_, height_));
  EXPECT_EQ(FirstCornerCommand(window_, 5000), kCmdRunSaverNow);
}

// A delay setting beyond the longest (a value written by hand) waits the longest delay.
TEST_F(CornerWatcherTest, ADelayBeyondTheRangeWaitsTheLongest) {
  AppState.cornerdelay = 600000;
  Resync();
  ASSERT_TRUE(MoveMouse(0, 0));
  DWORD elapsed = 0;
  EXPECT_EQ(FirstCornerCommand(window_, kMaxCornerDelayMs + 3000, &elapsed), kCmdRunSaverNow);
  EXPECT_GE(elapsed, static_cast<DWORD>(kMaxCornerDelayMs) - 500);
}

// Locking the session or switching the monitors off stops watching; coming back with the
// cursor in a corner does not fire it.
TEST_F(CornerWatcherTest, NothingIsWatchedWhileLockedOrDark) {
  // The console display state as the system reports it: a GUID, a length, the DWORD.
  alignas(POWERBROADCAST_SETTING) unsigned char display[3][sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)] = {};
  for (DWORD state = 0; state < 3; state++) {
    auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(display[state]);
    setting->PowerSetting = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    setting->DataLength = sizeof(DWORD);
    memcpy(display[state] + offsetof(POWERBROADCAST_SETTING, Data), &state, sizeof(state));
  }
  struct Pause {
    const char* what;
    UINT message;
    WPARAM stop, resume;
    LPARAM stopData, resumeData;
  } pauses[] = {
      {"locked", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK, 1, 1},
      {"monitors off", WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, PBT_POWERSETTINGCHANGE,
       reinterpret_cast<LPARAM>(display[0]), reinterpret_cast<LPARAM>(display[1])},
  };
  for (const Pause& pause : pauses) {
    ASSERT_TRUE(MoveMouse(width_ / 2, height_ / 2));
    SendMessageA(WatcherWindow(), pause.message, pause.stop, pause.stopData);
    ASSERT_TRUE(MoveMouse(0, 0));
    EXPECT_TRUE(CornerCommands(window_, 700).empty()) << pause.what;
    SendMessageA(WatcherWindow(), pause.message, pause.resume, pause.resumeData);
    EXPECT_TRUE(CornerCommands(window_, 700).empty()) << pause.what << ": fired on coming back";
    EnterTopLeft();
    EXPECT_EQ(FirstCornerCommand(window_, 5000), kCmdRunSaverNow) << pause.what;
  }
  // Dimmed monitors (state 2) are not dark: the corners stay on (entered after the pause
  // that makes a quick return the same stay).
  SendMessageA(WatcherWindow(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(display[2]));
  EXPECT_TRUE(CornerCommands(window_, 800).empty());
  EnterTopLeft();
  EXPECT_EQ(FirstCornerCommand(window_, 5000), kCmdRunSaverNow) << "dimmed";
  SendMessageA(WatcherWindow(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(display[1]));
}

}  // namespace
