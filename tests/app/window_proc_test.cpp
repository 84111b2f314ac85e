#include "app/window_proc.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/test_support.h"
#include "tray/tray_icon.h"
#include "tray/tray_menu.h"

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
    ForgetTrayInput();
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
  // The version-4 form: the event and the icon's id in lParam, the anchor in wParam.
  void Tray4(UINT event, int x = 1200, int y = 790) {
    SendMessageA(window_, kTrayCallbackMessage, MAKEWPARAM(x, y), MAKELPARAM(event, kTrayIconId));
  }
  // The commands waiting, each with its source.
  std::vector<std::pair<int, LPARAM>> CommandsWithSource() {
    std::vector<std::pair<int, LPARAM>> found;
    MSG message;
    while (PeekMessageA(&message, window_, WM_COMMAND, WM_COMMAND, PM_REMOVE))
      found.emplace_back(LOWORD(message.wParam), message.lParam);
    return found;
  }
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

TEST_F(WindowProcTest, TaskbarCreatedAddsTheIconAgain) {
  ASSERT_NE(AppState.taskbarCreatedMessage, 0u);
  SendMessageA(window_, AppState.taskbarCreatedMessage, 0, 0);
  EXPECT_EQ(shellMessages, (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_MODIFY}));
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

TEST(DecodeTrayCallback, TellsTheTwoFormsApart) {
  struct Case {
    WPARAM wParam;
    LPARAM lParam;
    UINT event;
    bool hasAnchor;
    LONG x, y;
  } cases[] = {
      {1, WM_LBUTTONUP, WM_LBUTTONUP, false, 0, 0},                                      // the older form
      {1, WM_MOUSEMOVE, WM_MOUSEMOVE, false, 0, 0},
      {MAKEWPARAM(1200, 790), MAKELPARAM(WM_CONTEXTMENU, 1), WM_CONTEXTMENU, true, 1200, 790},
      {MAKEWPARAM(static_cast<WORD>(-1270), 20), MAKELPARAM(NIN_KEYSELECT, 1), NIN_KEYSELECT, true, -1270, 20},
  };
  for (const Case& c : cases) {
    TrayCallback callback = DecodeTrayCallback(c.wParam, c.lParam);
    EXPECT_EQ(callback.event, c.event);
    EXPECT_EQ(callback.hasAnchor, c.hasAnchor) << c.event;
    if (c.hasAnchor) {
      EXPECT_EQ(callback.anchor.x, c.x);  // a monitor left of the main one has negative x
      EXPECT_EQ(callback.anchor.y, c.y);
    }
  }
}

// The keyboard's events of version 4 act once, at once, at the icon; the same events sent
// after mouse clicks leave those to the click counting, so a click still acts once.
TEST_F(WindowProcTest, KeyboardSelectRunsTheSingleLeftActionAtOnce) {
  Tray4(NIN_KEYSELECT, 1250, 780);
  Tray4(NIN_KEYSELECT, 1250, 780);  // the shell may send one press twice
  EXPECT_EQ(CommandsWithSource(), (std::vector<std::pair<int, LPARAM>>{{kCmdRunSaverNow, kSourceTrayIcon}}));
  EXPECT_EQ(AppState.clickPoint.x, 1250);
  EXPECT_EQ(AppState.clickPoint.y, 780);
  EXPECT_EQ(AppState.leftClicks, 0);  // no timer, no count
  ForgetTrayInput();
  AppState.singleLeftActionMessage = 0;  // a click kind without action shows the menu
  Tray4(NIN_SELECT);
  EXPECT_EQ(Commands(), Ids{kCmdShowTrayMenu});
}

TEST_F(WindowProcTest, ContextMenuKeyOpensTheMenuAtTheAnchor) {
  AppState.singleRightActionMessage = kCmdChooseRandomSaver;  // what a right click would do
  Tray4(WM_CONTEXTMENU, 900, 795);
  EXPECT_EQ(CommandsWithSource(), (std::vector<std::pair<int, LPARAM>>{{kCmdShowTrayMenu, kSourceTrayIcon}}));
  EXPECT_EQ(AppState.clickPoint.x, 900);
  EXPECT_EQ(AppState.clickPoint.y, 795);
}

TEST_F(WindowProcTest, MouseClicksInTheNewFormActOnceAsBefore) {
  Tray4(WM_RBUTTONDOWN);
  Tray4(WM_RBUTTONUP);
  Tray4(WM_CONTEXTMENU);  // follows every right click
  EXPECT_EQ(Commands(), Ids{kCmdShowTrayMenu});
  Tray4(WM_LBUTTONDOWN);
  Tray4(WM_LBUTTONUP);
  Tray4(NIN_SELECT);  // follows every left click
  EXPECT_EQ(Commands(), Ids{});
  DoubleClickTimerFires();
  EXPECT_EQ(Commands(), Ids{kCmdRunSaverNow});
}

// Only a menu opened from the icon that closes with no choice gives the icon the focus.
std::vector<int> postedByMenu;
BOOL TrackAndChoose(HMENU, UINT, int, int, HWND owner) {
  for (int command : postedByMenu) PostMessageA(owner, WM_COMMAND, static_cast<WPARAM>(command), 0);
  return TRUE;
}

TEST_F(WindowProcTest, MenuClosedUnusedGivesTheIconTheFocus) {
  ShowWindow(window_, SW_SHOW);
  UpdateTrayIcon(NIM_ADD);
  TrackPopupMenuEntry = TrackAndChoose;
  struct Case {
    LPARAM source;
    std::vector<int> chosen;
    bool focus;
  } cases[] = {{kSourceTrayIcon, {}, true},
               {kSourceTrayIcon, {kCmdRunSaverNow}, false},
               {kSourceHotKey, {}, false},
               {kSourceMenu, {}, false}};
  for (const Case& c : cases) {
    postedByMenu = c.chosen;
    shellMessages.clear();
    SendMessageA(window_, WM_COMMAND, kCmdShowTrayMenu, c.source);
    bool focused = std::count(shellMessages.begin(), shellMessages.end(), static_cast<DWORD>(NIM_SETFOCUS)) == 1;
    EXPECT_EQ(focused, c.focus) << c.source << " " << c.chosen.size();
    Commands();
  }
  TrackPopupMenuEntry = RealTrackPopupMenu;
  ShowWindow(window_, SW_HIDE);
  ForgetTrayMenu();
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

// Group Policy applied anew asks for a reload; other setting changes and a change without
// a name do not.
TEST_F(WindowProcTest, PolicySettingChangeAsksForAReload) {
  SendMessageA(window_, WM_SETTINGCHANGE, 1, reinterpret_cast<LPARAM>("Policy"));
  EXPECT_EQ(Commands(), Ids{kCmdReloadSettings});
  SendMessageA(window_, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"));
  SendMessageA(window_, WM_SETTINGCHANGE, 0, 0);
  EXPECT_EQ(Commands(), Ids{});
}
