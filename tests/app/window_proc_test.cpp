#include "app/window_proc.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <vector>

#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/test_support.h"
#include "tray/tray_icon.h"
#include "update/update_scheduler.h"

namespace {

std::vector<DWORD> shellMessages;

BOOL FakeShellNotifyIcon(DWORD message, NOTIFYICONDATAA*) {
  shellMessages.push_back(message);
  return TRUE;
}

class WindowProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    ResetTrayIconRecord();
    shellMessages.clear();
    ShellNotifyIconEntry = FakeShellNotifyIcon;
    static bool registered = false;
    if (!registered) {
      WNDCLASSA windowClass = {};
      windowClass.style = CS_DBLCLKS;
      windowClass.lpfnWndProc = TrayWindowProc;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.lpszClassName = "DozeliteWindowProcTest";
      RegisterClassA(&windowClass);
      registered = true;
    }
    window_ = CreateWindowExA(0, "DozeliteWindowProcTest", "Dozelite test", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    AppState.mainWindow = window_;
    AppState.singleLeftActionMessage = kCmdRunSaverNow;
    AppState.doubleLeftActionMessage = kCmdToggleSaver;
    AppState.singleRightActionMessage = 0;
    AppState.doubleRightActionMessage = 0;
  }
  void TearDown() override {
    DestroyWindow(window_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    ShellNotifyIconEntry = RealShellNotifyIcon;
    AppState.mainWindow = nullptr;
  }
  void Tray(UINT mouseMessage) { SendMessageA(window_, kTrayCallbackMessage, 1, mouseMessage); }
  void DoubleClickTimerFires() { SendMessageA(window_, WM_TIMER, kTimerDoubleClick, 0); }
  std::vector<int> Commands() { return TakePostedCommands(window_); }
  HWND window_ = nullptr;
};

using Ids = std::vector<int>;

}  // namespace

TEST_F(WindowProcTest, SingleLeftClickWaitsForTheDoubleClickTime) {
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONUP);
  EXPECT_EQ(Commands(), Ids{});
  EXPECT_EQ(AppState.leftClicks, 1);
  DoubleClickTimerFires();
  EXPECT_EQ(Commands(), Ids{kCmdRunSaverNow});
  EXPECT_EQ(AppState.leftClicks, 0);
  DoubleClickTimerFires();  // a late tick with nothing counted does nothing
  EXPECT_EQ(Commands(), Ids{});
}

TEST_F(WindowProcTest, TwoOrMorePressesAreADoubleClick) {
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONUP);
  Tray(WM_LBUTTONDBLCLK);
  Tray(WM_LBUTTONUP);
  DoubleClickTimerFires();
  EXPECT_EQ(Commands(), Ids{kCmdToggleSaver});

  for (int i = 0; i < 3; i++) Tray(WM_LBUTTONDOWN);
  DoubleClickTimerFires();
  EXPECT_EQ(Commands(), Ids{kCmdToggleSaver});
}

TEST_F(WindowProcTest, EqualActionsActOnEveryReleaseAtOnce) {
  // Right single and double are both 0: each release shows the menu, no timer runs.
  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONUP);
  EXPECT_EQ(AppState.rightClicks, 0);
  EXPECT_EQ(Commands(), Ids{kCmdShowTrayMenu});

  AppState.singleLeftActionMessage = kCmdRunSaverNow;
  AppState.doubleLeftActionMessage = kCmdRunSaverNow;
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONUP);
  Tray(WM_LBUTTONDBLCLK);
  Tray(WM_LBUTTONUP);
  EXPECT_EQ(Commands(), (Ids{kCmdRunSaverNow, kCmdRunSaverNow}));
}

TEST_F(WindowProcTest, OnlyOneButtonIsCountedAtATime) {
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONUP);
  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONUP);
  EXPECT_EQ(AppState.rightClicks, 0);
  DoubleClickTimerFires();
  EXPECT_EQ(Commands(), Ids{kCmdRunSaverNow});
}

TEST_F(WindowProcTest, AClickKindWithoutActionShowsTheMenu) {
  AppState.doubleLeftActionMessage = 0;
  Tray(WM_LBUTTONDOWN);
  Tray(WM_LBUTTONDBLCLK);
  DoubleClickTimerFires();
  EXPECT_EQ(Commands(), Ids{kCmdShowTrayMenu});

  AppState.singleRightActionMessage = kCmdChooseRandomSaver;
  AppState.doubleRightActionMessage = 0;
  Tray(WM_RBUTTONDOWN);
  DoubleClickTimerFires();
  EXPECT_EQ(Commands(), Ids{kCmdChooseRandomSaver});
  Tray(WM_RBUTTONDOWN);
  Tray(WM_RBUTTONDBLCLK);
  DoubleClickTimerFires();
  EXPECT_EQ(Commands(), Ids{kCmdShowTrayMenu});
}

TEST_F(WindowProcTest, MouseMovesReloadAtMostOncePerSecond) {
  AppState.lastMouseMoveTick = GetTickCount() - 5000;
  Tray(WM_MOUSEMOVE);
  DWORD first = AppState.lastMouseMoveTick;
  EXPECT_LE(GetTickCount() - first, 1000u);
  Sleep(30);
  Tray(WM_MOUSEMOVE);
  EXPECT_EQ(AppState.lastMouseMoveTick, first);
  AppState.lastMouseMoveTick = GetTickCount() - 1001;
  Tray(WM_MOUSEMOVE);
  EXPECT_NE(AppState.lastMouseMoveTick, first);
}

TEST_F(WindowProcTest, HotKeysPostTheirCommands) {
  SendMessageA(window_, WM_HOTKEY, 0, 0);
  SendMessageA(window_, WM_HOTKEY, 1, 0);
  SendMessageA(window_, WM_HOTKEY, 7, 0);
  SendMessageA(window_, WM_HOTKEY, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(Commands(), (Ids{kCmdRunSaverNow, kCmdPowerOff}));
}

TEST_F(WindowProcTest, AnimationRunsTenTicksThenStops) {
  SendMessageA(window_, WM_COMMAND, kCmdAnimateIcon, 0);
  EXPECT_EQ(AppState.animationFrame, 0);
  for (int tick = 1; tick <= 9; tick++) {
    SendMessageA(window_, WM_TIMER, kTimerAnimation, 0);
    EXPECT_EQ(AppState.animationFrame, tick);
  }
  SendMessageA(window_, WM_TIMER, kTimerAnimation, 0);
  EXPECT_EQ(AppState.animationFrame, 0);
  // The timer is gone: KillTimer on it now fails.
  EXPECT_FALSE(KillTimer(window_, kTimerAnimation));
}

TEST_F(WindowProcTest, AFinishedUpdateCheckArmsTheNextOne) {
  KillTimer(window_, kTimerUpdateCheck);
  SendMessageA(window_, kUpdateCheckedMessage, 0, 0);
  EXPECT_TRUE(KillTimer(window_, kTimerUpdateCheck)) << "no next check armed";
}

TEST_F(WindowProcTest, TaskbarCreatedAddsTheIconAgain) {
  ASSERT_NE(AppState.taskbarCreatedMessage, 0u);
  SendMessageA(window_, AppState.taskbarCreatedMessage, 0, 0);
  EXPECT_EQ(shellMessages, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
}

TEST_F(WindowProcTest, ExitClosesTheWindowAndQuits) {
  SendMessageA(window_, WM_COMMAND, kCmdExit, 0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  DispatchMessageA(&message);
  EXPECT_FALSE(IsWindow(window_));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
}

TEST_F(WindowProcTest, UnknownCommandsAndTimersAreIgnored) {
  SendMessageA(window_, WM_COMMAND, 39999, 0);
  SendMessageA(window_, WM_TIMER, 999, 0);
  EXPECT_EQ(Commands(), Ids{});
}

TEST(ReportUnexpectedError, ShowsTheGeneralErrorBox) {
  MessageBoxCapture boxes;
  ReportUnexpectedError();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text,
            "An error occured.\r\nPlease contact support (using the options in the Help menu) to report this error "
            "and have it resolved.");
  EXPECT_EQ(boxes.boxes()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}
