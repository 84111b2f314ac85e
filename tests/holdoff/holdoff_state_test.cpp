// The hold-off run for real under the emulator: windows of known kinds and sample savers
// in other processes are the full-screen window, the running program and the program in
// front; the display request is seen through its entry point, the rest through the log,
// the tooltip and the menu. Where a test raises the foreground event itself (the emulator
// raises none), it says so; the tests without it show that no event is needed.
#include "holdoff/holdoff_state.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/dispatcher.h"
#include "holdoff/display_request.h"
#include "holdoff/fullscreen.h"
#include "holdoff/holdoff_store.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/test_program.h"
#include "tray/holdoff_menu.h"
#include "tray/tray_menu_parts.h"

namespace {

constexpr const char* kFullScreen = "a full-screen window is in front";
constexpr DWORD kStartMs = kProgramStartMs;

std::vector<std::string> requests;  // "" for a release
std::string tooltip;
HICON shownIcon = nullptr;
bool shellReportsFullScreen = false;

bool RecordRequest(const char* reason) {
  requests.push_back(reason ? reason : "");
  return true;
}

bool ShellReport() { return shellReportsFullScreen; }

BOOL RecordTooltip(DWORD, NOTIFYICONDATAA* data) {
  tooltip = data->szTip;
  shownIcon = data->hIcon;
  return TRUE;
}

std::string Reason() {
  char reason[kHoldOffReasonSize];
  GetHoldOffReason(reason, sizeof(reason));
  return reason;
}

// A sample saver, started from savers\.
class Program : public TestProgram {
 public:
  Program(const char* saver, const char* mode) : TestProgram((std::string("savers\\") + saver).c_str(), mode) {}
};

// A window of a known kind (tools/windows/window_kinds.cpp).
class Window : public TestProgram {
 public:
  explicit Window(const char* kind) : TestProgram("window_kinds.exe", kind) {}
};

// The screen saver settings as the system calls give them in this process, put back after.
class SaverTimeout {
 public:
  explicit SaverTimeout(UINT seconds) {
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &oldSeconds_, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &oldActive_, 0);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE);
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, seconds, nullptr, SPIF_UPDATEINIFILE);
  }
  ~SaverTimeout() {
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, oldSeconds_, nullptr, SPIF_UPDATEINIFILE);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, oldActive_, nullptr, SPIF_UPDATEINIFILE);
  }

 private:
  UINT oldSeconds_ = 600;
  BOOL oldActive_ = FALSE;
};

// Mouse input as the user's: the system's last-input time moves.
void MoveMouse() {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = 1;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof(input));
}

class HoldOffStateTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey);
    requests.clear();
    tooltip.clear();
    shellReportsFullScreen = false;
    DisplayRequestEntry = RecordRequest;
    ShellFullScreenEntry = ShellReport;
    ShellNotifyIconEntry = RecordTooltip;
  }
  void TearDown() override {
    StopHoldOff();
    DisplayRequestEntry = RealDisplayRequest;
    ShellFullScreenEntry = RealShellFullScreen;
    ShellNotifyIconEntry = RealShellNotifyIcon;
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffPolicyKey);
    AppFixture::TearDown();
  }
  static void Rule(const char* name, const char* kind) {
    WriteRegistryString(HKEY_CURRENT_USER, kHoldOffKey, name, kind);
  }
  static void Switch(const char* name, DWORD on) { WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, name, on); }
  static bool HeldFor(const std::string& reason, DWORD ms) {
    return WaitFor([&] { return Reason() == reason; }, ms);
  }
  static bool Released(DWORD ms) {
    return WaitFor([] { return Reason().empty(); }, ms);
  }
};

std::string MenuItemText(HMENU menu, UINT position) {
  char text[256] = "";
  GetMenuStringA(menu, position, text, sizeof(text), MF_BYPOSITION);
  return text;
}

bool IsChecked(HMENU menu, int id) {
  return (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

}  // namespace

TEST_F(HoldOffStateTest, AFullScreenWindowInFrontHoldsUntilItCloses) {
  HICON normal = LoadIconA(nullptr, IDI_APPLICATION);
  HICON disabled = LoadIconA(nullptr, IDI_WARNING);
  for (int n = 0; n < kAnimationFrames; n++) AppState.frameIcons[n] = AppState.crossedFrameIcons[n] = normal;
  AppState.disabledIcon = disabled;
  StartHoldOff(window_);
  EXPECT_TRUE(requests.empty()) << "nothing holds at rest";
  // The window that gets the front when the full-screen one closes (with no window
  // manager the emulator leaves no window in front after a close).
  Program behind("starlight.scr", "/c");
  HWND behindWindow = behind.Front();
  ASSERT_NE(behindWindow, nullptr);
  Window video("popup");
  ASSERT_TRUE(video.started());
  HWND window = video.Front();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(HeldFor(kFullScreen, 1000));
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back(), std::string("Dozelite: ") + kFullScreen);
  EXPECT_TRUE(Contains(BufferedLog(), std::string("HoldOff: start (") + kFullScreen + ")"));
  EXPECT_TRUE(Contains(tooltip, std::string("\nHeld off: ") + kFullScreen)) << tooltip;
  EXPECT_EQ(shownIcon, disabled) << "the icon has the disabled look while held";

  ASSERT_TRUE(video.End());
  SetForegroundWindow(behindWindow);
  AnnounceForeground();
  EXPECT_TRUE(Released(1000));
  EXPECT_EQ(requests.back(), "");
  EXPECT_EQ(requests.size(), 2u) << "one request and one release";
  EXPECT_TRUE(Contains(BufferedLog(), "HoldOff: end"));
  EXPECT_FALSE(Contains(tooltip, "Held off")) << tooltip;
  EXPECT_EQ(shownIcon, normal);
}

// A saver covers the monitor: holding the display on for it would keep the monitor from
// ever powering off. A maximised window that draws its own frame covers it too.
TEST_F(HoldOffStateTest, ASaverOrAMaximisedSelfFramedWindowInFrontHoldsNothing) {
  StartHoldOff(window_);
  struct Case {
    const char* file;
    const char* arguments;
  };
  for (const Case& test : {Case{"savers\\aurora.scr", "/s"}, Case{"window_kinds.exe", "selfframed"},
                           Case{"window_kinds.exe", "saverclass"}}) {
    TestProgram program(test.file, test.arguments);
    ASSERT_NE(program.Front(), nullptr) << test.file << " " << test.arguments;
    WaitFor([] { return !Reason().empty(); }, 1500);  // the 0.5 s look, if the event were missed
    EXPECT_TRUE(requests.empty()) << test.file << " " << test.arguments << " left a display request";
  }
}

// No event at all (the emulator raises none; on Windows a window that goes full screen in
// place raises none either): the look armed from the last input sees the full-screen
// window before the saver's 60 s are up, and the look every 0.5 s while it holds sees it go.
TEST_F(HoldOffStateTest, AFullScreenWindowIsSeenWithoutEventsBeforeTheSaverWouldStartAndItsEndSoon) {
  SaverTimeout timeout(60);
  Program behind("starlight.scr", "/c");
  ASSERT_NE(behind.Front(false), nullptr);
  StartHoldOff(window_);
  MoveMouse();
  DWORD input = GetTickCount();
  Window video("popup");
  ASSERT_NE(video.Front(false), nullptr);
  ASSERT_TRUE(HeldFor(kFullScreen, 62000)) << "never held";
  EXPECT_LT(GetTickCount() - input, 60000u) << "held only after the saver would have started";
  EXPECT_TRUE(Contains(BufferedLog(), std::string("HoldOff: start (") + kFullScreen + ")"));

  ASSERT_TRUE(video.End());
  SetForegroundWindow(behind.Front(false));
  EXPECT_TRUE(Released(6000));
}

// The tray menu leaves this program's hidden window in front. A window that held and goes
// while it is there (closed, crashed) must end the hold, event or not.
TEST_F(HoldOffStateTest, AHoldEndsWhenItsWindowGoesWhileThisProgramsWindowIsInFront) {
  Rule("plasma.scr", "front");
  StartHoldOff(window_);
  Program behind("starlight.scr", "/c");
  ASSERT_NE(behind.Front(), nullptr);
  struct Case {
    const char* file;
    const char* arguments;
    std::string reason;
  };
  for (const Case& test : {Case{"window_kinds.exe", "popup", kFullScreen},
                           Case{"savers\\plasma.scr", "/c", "plasma.scr is in front"}}) {
    TestProgram program(test.file, test.arguments);
    ASSERT_NE(program.Front(), nullptr) << test.arguments;
    ASSERT_TRUE(HeldFor(test.reason, 1000)) << test.arguments;
    ShowWindow(window_, SW_SHOW);
    WaitFor([&] { return SetForegroundWindow(window_) && GetForegroundWindow() == window_; }, 3000);
    AnnounceForeground();
    WaitFor([] { return false; }, 700);
    EXPECT_EQ(Reason(), test.reason) << "the menu over the window keeps the hold";
    ASSERT_TRUE(program.End());
    DWORD closed = GetTickCount();
    EXPECT_TRUE(Released(1000)) << test.arguments << ": held " << Reason();
    EXPECT_LE(GetTickCount() - closed, 1000u) << test.arguments;
    ShowWindow(window_, SW_HIDE);
  }
}

// Under the UTF-8 code page a folder of non-Latin characters passes 260 bytes long before
// 260 characters: the program's name must still be read.
TEST_F(HoldOffStateTest, AFrontRuleMatchesAProgramInAFolderPastTwoHundredSixtyBytes) {
  Rule("plasma.scr", "front");
  Switch(kHoldOffFullScreenValue, 0);
  std::string folder = MakeTempFolder("holdoff-long");
  std::string deep = folder;
  for (int level = 0; level < 2; level++) {
    deep += "\\";
    for (int n = 0; n < 50; n++) deep += "\xE9\x95\xB7";  // U+9577, three bytes each
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << GetLastError();
  }
  std::string copy = deep + "\\plasma.scr";
  ASSERT_GT(copy.size(), 300u);
  ASSERT_TRUE(CopyFileA(BuildFilePath("savers\\plasma.scr").c_str(), copy.c_str(), FALSE));
  StartHoldOff(window_);
  {
    TestProgram program(copy, "/c");
    ASSERT_NE(program.Front(), nullptr);
    EXPECT_TRUE(HeldFor("plasma.scr is in front", 1000));
  }
  RemoveTree(folder);
}

// A window in front that goes full screen in place raises no foreground event, only a
// location change on its own thread: the location hook follows the thread of the window
// in front, and a change it reports is looked at at once. The emulator raises no such
// change for another program's window: the test calls the hook as the system would.
static WINEVENTPROC locationProcedure = nullptr;
static DWORD locationThread = 0;

static HWINEVENTHOOK RecordLocationHook(DWORD eventMin, DWORD eventMax, WINEVENTPROC procedure, DWORD processId,
                                        DWORD threadId) {
  if (eventMin == EVENT_OBJECT_LOCATIONCHANGE) {
    locationProcedure = procedure;
    locationThread = threadId;
  }
  return RealSetWinEventHook(eventMin, eventMax, procedure, processId, threadId);
}

TEST_F(HoldOffStateTest, AWindowInFrontGoingFullScreenInPlaceHolds) {
  SetWinEventHookEntry = RecordLocationHook;
  StartHoldOff(window_);
  TestProgram probe("window_probe.exe", "");
  HWND window = probe.Front();
  DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  // The foreground event arrives through this thread's messages.
  WaitFor([&] { return locationThread == thread; }, 2000);
  SetWinEventHookEntry = RealSetWinEventHook;
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(locationThread, thread) << "the location hook does not follow the window in front";
  EXPECT_TRUE(Reason().empty()) << "a small window in front";
  PostMessageA(window, WM_APP + 1, 0, 0);  // the probe covers its monitor
  ASSERT_TRUE(WaitFor([&] { return FindFullScreenForeground(nullptr) == window; }, 5000));
  ASSERT_NE(locationProcedure, nullptr);
  locationProcedure(nullptr, EVENT_OBJECT_LOCATIONCHANGE, window, OBJID_WINDOW, CHILDID_SELF, thread, GetTickCount());
  EXPECT_EQ(Reason(), kFullScreen);
}

TEST_F(HoldOffStateTest, ARunningRuleHoldsWhileAnyProcessOfThatNameRuns) {
  Rule("Bubbles.scr", "running");
  Switch(kHoldOffFullScreenValue, 0);
  StartHoldOff(window_);
  DWORD start = GetTickCount();
  Program first("bubbles.scr", "/c");
  Program second("bubbles.scr", "/c");
  ASSERT_TRUE(first.started() && second.started());
  ASSERT_TRUE(HeldFor("bubbles.scr is running", kStartMs));
  EXPECT_LE(GetTickCount() - start, 6000u) << "the process list is scanned every 5 s";
  EXPECT_EQ(requests.back(), "Dozelite: bubbles.scr is running");
  // Two more scans see the same two processes: each is watched through one handle.
  WaitFor([] { return false; }, 1000);
  int handles = CountOwnHandles();
  ASSERT_GT(handles, 0);
  WaitFor([] { return false; }, 10500);
  EXPECT_LE(CountOwnHandles(), handles) << "a process already watched was opened again";

  ASSERT_TRUE(first.End());
  WaitFor([] { return false; }, 500);
  EXPECT_EQ(Reason(), "bubbles.scr is running") << "another copy still runs";
  ASSERT_TRUE(second.End());
  EXPECT_TRUE(Released(1000));
}

// The watcher's thread runs only while a "running" rule is in force. A rule that comes
// later (saved by the dialog, or read by a reload) starts it; one that comes after the
// last went away reaches the new thread, not the ended one.
TEST_F(HoldOffStateTest, TheProcessWatcherRunsOnlyWhileARunningRuleIsInForce) {
  Switch(kHoldOffFullScreenValue, 0);
  Program program("bubbles.scr", "/c");
  ASSERT_TRUE(program.started());
  int idle = CountOwnThreads();
  StartHoldOff(window_);
  EXPECT_EQ(CountOwnThreads(), idle) << "a thread with nothing to watch";
  HoldOffRules none;
  GetHoldOffRules(&none);
  HoldOffRules running = none;
  ASSERT_TRUE(PutHoldOffRule(&running, HoldOffRule{"bubbles.scr", kHoldWhileRunning}));
  for (int round = 0; round < 2; round++) {
    if (round == 0) {
      SetHoldOffRules(running);
    } else {
      Rule("bubbles.scr", "running");
      DispatchCommand(window_, kCmdReloadSettings);
    }
    EXPECT_TRUE(HeldFor("bubbles.scr is running", kStartMs)) << "round " << round;
    EXPECT_EQ(CountOwnThreads(), idle + 1) << "round " << round;
    // Gone by the dialog, then by the master switch.
    if (round == 0)
      SetHoldOffRules(none);
    else
      DispatchCommand(window_, kCmdToggleHoldOff);
    EXPECT_EQ(Reason(), "") << "round " << round;
    EXPECT_TRUE(WaitFor([&] { return CountOwnThreads() == idle; }, 10000)) << "round " << round;
  }
}

TEST_F(HoldOffStateTest, AFrontRuleFollowsTheForegroundButNotThisProgramsOwnWindows) {
  Rule("plasma.scr", "front");
  Switch(kHoldOffFullScreenValue, 0);
  StartHoldOff(window_);
  Program other("starlight.scr", "/c");
  HWND otherWindow = other.Front();
  ASSERT_NE(otherWindow, nullptr);
  EXPECT_TRUE(Reason().empty()) << "a program without a rule in front";
  Program held("plasma.scr", "/c");
  HWND heldWindow = held.Front();
  ASSERT_NE(heldWindow, nullptr);
  EXPECT_TRUE(HeldFor("plasma.scr is in front", 1000));

  ShowWindow(window_, SW_SHOW);
  WaitFor([&] { return SetForegroundWindow(window_) && GetForegroundWindow() == window_; }, 3000);
  AnnounceForeground();
  WaitFor([] { return false; }, 300);
  EXPECT_EQ(Reason(), "plasma.scr is in front") << "opening the tray menu must not end the hold";
  ShowWindow(window_, SW_HIDE);

  ASSERT_EQ(other.Front(), otherWindow);
  EXPECT_TRUE(Released(1000));
  ASSERT_EQ(held.Front(), heldWindow);
  EXPECT_TRUE(HeldFor("plasma.scr is in front", 1000));
}

TEST_F(HoldOffStateTest, TheShellsOwnFullScreenReportCountsWithTheFullScreenRule) {
  StartHoldOff(window_);
  Program dialog("starlight.scr", "/c");
  ASSERT_NE(dialog.Front(), nullptr);
  EXPECT_TRUE(Reason().empty()) << "a settings dialog covers no monitor";
  shellReportsFullScreen = true;
  Program again("lanterns.scr", "/c");
  ASSERT_NE(again.Front(), nullptr);
  EXPECT_TRUE(HeldFor(kFullScreen, 1000));
}

TEST_F(HoldOffStateTest, TheSwitchesReleaseAtOnceAndTheMenuTellsWhy) {
  StartHoldOff(window_);
  Window video("popup");
  ASSERT_NE(video.Front(), nullptr);
  ASSERT_TRUE(HeldFor(kFullScreen, 1000));
  HMENU menu = BuildHoldOffMenu();
  EXPECT_EQ(MenuItemText(menu, 0), std::string("Now: ") + kFullScreen);
  EXPECT_TRUE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(IsChecked(menu, kCmdToggleFullScreenHoldOff));
  EXPECT_TRUE(IsChecked(menu, kCmdToggleHoldOff));
  DestroyMenu(menu);

  struct Step {
    int command;  // 0: a reload after the registry was written behind the program's back
    const char* value;
    DWORD stored;
    bool held;
  };
  const Step steps[] = {
      {kCmdToggleHoldOff, kHoldOffEnabledValue, 0, false},
      {kCmdToggleHoldOff, kHoldOffEnabledValue, 1, true},
      {kCmdToggleFullScreenHoldOff, kHoldOffFullScreenValue, 0, false},
      {kCmdToggleFullScreenHoldOff, kHoldOffFullScreenValue, 1, true},
      {kCmdReloadSettings, kHoldOffEnabledValue, 0, false},
  };
  for (const Step& step : steps) {
    if (step.command == kCmdReloadSettings) Switch(step.value, step.stored);
    DispatchCommand(window_, step.command);
    EXPECT_EQ(Reason(), step.held ? kFullScreen : "") << step.command << " " << step.value;
    DWORD stored = 99;
    EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, step.value, &stored));
    EXPECT_EQ(stored, step.stored) << step.command;
  }
  menu = BuildHoldOffMenu();
  EXPECT_EQ(MenuItemText(menu, 0), "Now: not held");
  EXPECT_FALSE(IsChecked(menu, kCmdToggleHoldOff));
  DestroyMenu(menu);
  EXPECT_EQ(requests.size(), 6u) << "each change one request or release, never a repeat";
}

// The organisation's switch is read on the policy change's reload, holds against the
// user's own and is refused from the menu, where it is greyed and says why.
TEST_F(HoldOffStateTest, APolicySwitchOverridesTheUsersAndItsItemIsGreyed) {
  Switch(kHoldOffEnabledValue, 1);
  StartHoldOff(window_);
  Window video("popup");
  ASSERT_NE(video.Front(), nullptr);
  ASSERT_TRUE(HeldFor(kFullScreen, 1000));

  ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffPolicyKey, kHoldOffEnabledValue, 0));
  DispatchCommand(window_, kCmdReloadSettings);
  EXPECT_EQ(Reason(), "") << "the policy's off did not win over the user's on";
  DispatchCommand(window_, kCmdToggleHoldOff);
  EXPECT_EQ(Reason(), "") << "the toggle went through the policy";
  DWORD stored = 99;
  ASSERT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, kHoldOffEnabledValue, &stored));
  EXPECT_EQ(stored, 1u) << "the user's own switch was written";

  HMENU menu = BuildHoldOffMenu();
  MarkPolicyItems(menu);
  EXPECT_FALSE(IsChecked(menu, kCmdToggleHoldOff));
  EXPECT_TRUE(GetMenuState(menu, kCmdToggleHoldOff, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, kCmdToggleFullScreenHoldOff, MF_BYCOMMAND) & MF_GRAYED) << "the other switch";
  char text[256] = "";
  GetMenuStringA(menu, kCmdToggleHoldOff, text, sizeof(text), MF_BYCOMMAND);
  EXPECT_NE(strstr(text, "(set by your organisation)"), nullptr) << text;
  DestroyMenu(menu);

  DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffPolicyKey);
  DispatchCommand(window_, kCmdReloadSettings);
  EXPECT_TRUE(HeldFor(kFullScreen, 1000)) << "the user's own switch is back with the policy gone";
}
