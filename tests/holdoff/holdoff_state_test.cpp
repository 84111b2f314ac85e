// The hold-off run for real under the emulator: sample savers in other processes are the
// full-screen window, the running program and the program in front; the display request
// is seen through its entry point, the rest through the log, the tooltip and the menu.
#include "holdoff/holdoff_state.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/dispatcher.h"
#include "holdoff/display_request.h"
#include "holdoff/fullscreen.h"
#include "holdoff/holdoff_store.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "tray/holdoff_menu.h"

namespace {

constexpr const char* kFullScreen = "a full-screen window is in front";
constexpr DWORD kStartMs = 20000;  // a program start under a loaded emulator

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

// One sample saver started in its own process, ended with the test.
class Program {
 public:
  Program(const char* saver, const char* mode)
      : Program("\"" + BuildFilePath((std::string("savers\\") + saver).c_str()) + "\" " + mode) {}
  explicit Program(const std::string& commandLine) { process_ = StartProcess(commandLine, {}, &id_); }
  ~Program() { End(); }
  // Waits for its window and brings it to the front.
  HWND Front() {
    HWND window = BringProcessToFront(id_, kStartMs);
    AnnounceForeground();
    return window;
  }
  // Closes its window as a user would (the front then passes to another window), or ends it.
  bool End() {
    if (!process_) return true;
    if (HWND window = FindProcessWindow(id_)) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 0);
    bool ended = WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0;
    CloseHandle(process_);
    process_ = nullptr;
    return ended;
  }
  bool started() const { return process_ != nullptr; }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

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
  Program saver("aurora.scr", "/s");
  ASSERT_TRUE(saver.started());
  HWND window = saver.Front();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(HeldFor(kFullScreen, 1000));
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back(), std::string("Dozelite: ") + kFullScreen);
  EXPECT_TRUE(Contains(BufferedLog(), std::string("HoldOff: start (") + kFullScreen + ")"));
  EXPECT_TRUE(Contains(tooltip, std::string("\nHeld off: ") + kFullScreen)) << tooltip;
  EXPECT_EQ(shownIcon, disabled) << "the icon has the disabled look while held";

  ASSERT_TRUE(saver.End());
  SetForegroundWindow(behindWindow);
  AnnounceForeground();
  EXPECT_TRUE(Released(1000));
  EXPECT_EQ(requests.back(), "");
  EXPECT_EQ(requests.size(), 2u) << "one request and one release";
  EXPECT_TRUE(Contains(BufferedLog(), "HoldOff: end"));
  EXPECT_FALSE(Contains(tooltip, "Held off")) << tooltip;
  EXPECT_EQ(shownIcon, normal);
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
  Program probe("\"" + BuildFilePath("window_probe.exe") + "\"");
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
  Program saver("aurora.scr", "/s");
  ASSERT_NE(saver.Front(), nullptr);
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
