// The tray icon: tooltip and image chosen from the state, only changes sent to the
// shell (observed through the notify-icon entry point), and one real icon under Xvfb.
#include "tray/tray_icon.h"

#include <cstdio>
#include <utility>

#include <gtest/gtest.h>

#include <shellapi.h>

#include <regex>
#include <string>
#include <vector>

#include "catalog/saver_info.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/log_capture.h"
#include "support/test_support.h"

namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";

struct TrayCall {
  DWORD message;
  NOTIFYICONDATAA data;
};

std::vector<TrayCall> calls;
BOOL answer = TRUE;

BOOL RecordTray(DWORD message, NOTIFYICONDATAA* data) {
  calls.push_back({message, *data});
  return answer;
}

// What a call changes, without the "show the tooltip" flag every version-4 call carries.
UINT Changed(const TrayCall& call) { return call.data.uFlags & ~static_cast<UINT>(NIF_SHOWTIP); }

HICON FakeIcon(int n) { return reinterpret_cast<HICON>(static_cast<INT_PTR>(0x1000 + n)); }

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    for (int i = 0; i < kAnimationFrames; i++) {
      AppState.frameIcons[i] = FakeIcon(i);
      AppState.crossedFrameIcons[i] = FakeIcon(100 + i);
    }
    AppState.disabledIcon = FakeIcon(200);
    window_ = CreateTestWindow();
    AppState.mainWindow = window_;
    hadSaver_ = ReadRegistryString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", &savedSaver_);
    SetSaverValue(nullptr);
    ResetTrayIconRecord();
    calls.clear();
    answer = TRUE;
    ShellNotifyIconEntry = RecordTray;
  }
  void TearDown() override {
    ShellNotifyIconEntry = RealShellNotifyIcon;
    ResetTrayIconRecord();
    AppState.mainWindow = nullptr;
    DestroyWindow(window_);
    FreeSaverList(AppState.savers, AppState.saverCount);
    AppState.savers = nullptr;
    AppState.saverCount = 0;
    SetSaverValue(hadSaver_ ? savedSaver_.c_str() : nullptr);
  }
  static void SetSaverValue(const char* path) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return;
    if (path)
      RegSetValueExA(key, "SCRNSAVE.EXE", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                     static_cast<DWORD>(strlen(path) + 1));
    else
      RegDeleteValueA(key, "SCRNSAVE.EXE");
    RegCloseKey(key);
  }
  // One catalog record, made the current saver.
  void CurrentSaver(const std::string& displayName) {
    AppState.saverCount = 1;
    AppState.savers = static_cast<SaverInfo*>(calloc(1, sizeof(SaverInfo)));
    AppState.savers[0].longName = _strdup("CURRENT.SCR");
    AppState.savers[0].folder = _strdup("C:\\Savers\\");
    AppState.savers[0].fullPath = _strdup("C:\\Savers\\CURRENT.SCR");
    AppState.savers[0].displayName = _strdup(displayName.c_str());
    SetSaverValue("C:\\Savers\\CURRENT.SCR");
  }
  std::string Tooltip() {
    calls.clear();
    ResetTrayIconRecord();
    EXPECT_NE(UpdateTrayIcon(NIM_ADD), 0);
    if (calls.empty()) return "{nothing sent}";
    std::string tip = calls.back().data.szTip;
    return tip.substr(0, tip.find('\n'));  // the first line: the saver or the time left
  }
  HWND window_ = nullptr;
  bool hadSaver_ = false;
  std::string savedSaver_;
};

TEST_F(TrayIconTest, TooltipNamesTheCurrentSaver) {
  EXPECT_EQ(Tooltip(), "Dozelite");  // no saver set
  SetSaverValue("C:\\Elsewhere\\OTHER.SCR");
  CurrentSaver("Starlight Drift");
  SetSaverValue("C:\\Elsewhere\\OTHER.SCR");  // a saver the list does not hold
  EXPECT_EQ(Tooltip(), "Dozelite");
  SetSaverValue("C:\\Savers\\CURRENT.SCR");
  EXPECT_EQ(Tooltip(), "Dozelite (Starlight Drift)");
}

TEST_F(TrayIconTest, LongNamesFallBackToTheProductName) {
  // The name plus "Dozelite" plus 4 must stay below 64: 51 characters fit, 52 do not.
  CurrentSaver(std::string(51, 'n'));
  EXPECT_EQ(Tooltip(), "Dozelite (" + std::string(51, 'n') + ")");
  FreeSaverList(AppState.savers, AppState.saverCount);
  CurrentSaver(std::string(52, 'n'));
  EXPECT_EQ(Tooltip(), "Dozelite");
}

TEST_F(TrayIconTest, TemporaryDisableShowsTheTimeLeft) {
  CurrentSaver("Soap Bubbles");
  AppState.saverActive = 0;  // a disable period switches the saver off
  AppState.disableSeconds = 300;
  AppState.disableStartTick = GetTickCount();
  std::string tip = Tooltip();
  EXPECT_TRUE(std::regex_match(tip, std::regex("Dozelite \\(Disabled - (5:00|4:5\\d) Minutes Left\\)"))) << tip;
  EXPECT_EQ(calls.back().data.hIcon, AppState.disabledIcon);
  // While the animation plays, the crossed-out frames show.
  AppState.animationFrame = 3;
  UpdateTrayIcon(NIM_MODIFY);
  EXPECT_EQ(calls.back().data.hIcon, AppState.crossedFrameIcons[3]);
  // An overdue period shows no time left rather than a wrapped-around one.
  AppState.animationFrame = 0;
  AppState.disableStartTick = GetTickCount() - 301000;
  EXPECT_EQ(Tooltip(), "Dozelite (Disabled - 0 Seconds Left)");
}

TEST_F(TrayIconTest, FramesFollowTheAnimationAndTheSaverState) {
  AppState.saverActive = 1;
  UpdateTrayIcon(NIM_ADD);
  // Ticks 1 to 8 show frames 2 to 9; tick 9 is the resting frame 1 again.
  for (int tick = 1; tick <= 9; tick++) {
    AppState.animationFrame = tick;
    calls.clear();
    UpdateTrayIcon(NIM_MODIFY);
    ASSERT_EQ(calls.size(), 1u) << tick;
    EXPECT_EQ(calls[0].data.hIcon, AppState.frameIcons[tick % 9]) << tick;
    EXPECT_EQ(Changed(calls[0]), static_cast<UINT>(NIF_ICON)) << tick;
  }
  AppState.saverActive = 0;
  AppState.animationFrame = 0;
  calls.clear();
  UpdateTrayIcon(NIM_MODIFY);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].data.hIcon, AppState.crossedFrameIcons[0]);
}

TEST_F(TrayIconTest, RepeatedRefreshSendsNothing) {
  CurrentSaver("Aurora Ribbons");
  ASSERT_NE(UpdateTrayIcon(NIM_ADD), 0);
  calls.clear();
  answer = FALSE;  // a call would now fail: the refresh must not make one
  EXPECT_EQ(UpdateTrayIcon(NIM_MODIFY), 1);
  EXPECT_EQ(UpdateTrayIcon(NIM_MODIFY), 1);
  EXPECT_TRUE(calls.empty());
}

TEST_F(TrayIconTest, OnlyWhatChangedIsSent) {
  HICON icon = FakeIcon(7);
  ASSERT_NE(SetTrayIcon(window_, NIM_ADD, "Dozelite", icon), 0);
  calls.clear();
  EXPECT_EQ(SetTrayIcon(window_, NIM_MODIFY, "DOZELITE", icon), 1);  // case only: not sent
  EXPECT_TRUE(calls.empty());
  EXPECT_NE(SetTrayIcon(window_, NIM_MODIFY, "Dozelite (Plasma Tiles)", icon), 0);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(Changed(calls[0]), static_cast<UINT>(NIF_TIP));
  EXPECT_NE(SetTrayIcon(window_, NIM_MODIFY, nullptr, FakeIcon(8)), 0);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(Changed(calls[1]), static_cast<UINT>(NIF_ICON));
  EXPECT_STREQ(calls[1].data.szTip, "Dozelite (Plasma Tiles)");
  EXPECT_EQ(SetTrayIcon(window_, NIM_MODIFY, nullptr, nullptr), 1);
  EXPECT_EQ(calls.size(), 2u);
}

// A tooltip longer than the record holds is stored cut; the same text again is no change.
TEST_F(TrayIconTest, OverlongTooltipIsSentOnce) {
  std::string tip(80, 't');
  ASSERT_NE(SetTrayIcon(window_, NIM_ADD, tip.c_str(), FakeIcon(1)), 0);
  EXPECT_EQ(strlen(calls.back().data.szTip), 80u);
  std::string longer(200, 't');
  ASSERT_NE(SetTrayIcon(window_, NIM_MODIFY, longer.c_str(), FakeIcon(1)), 0);
  EXPECT_EQ(strlen(calls.back().data.szTip), 127u);
  calls.clear();
  EXPECT_EQ(SetTrayIcon(window_, NIM_MODIFY, longer.c_str(), FakeIcon(1)), 1);
  EXPECT_TRUE(calls.empty());
}

TEST_F(TrayIconTest, AddSendsTheWholeRecordThenAModify) {
  CurrentSaver("Lanterns");
  AppState.saverActive = 1;
  for (int round = 0; round < 2; round++) {  // the second add is the one after "TaskbarCreated"
    calls.clear();
    ASSERT_NE(UpdateTrayIcon(NIM_ADD), 0);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(calls[1].data.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));
    EXPECT_EQ(calls[2].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[2].data.uFlags & NIF_SHOWTIP, static_cast<UINT>(NIF_SHOWTIP));
    for (const TrayCall& call : calls) {
      EXPECT_EQ(call.data.cbSize, sizeof(NOTIFYICONDATAA));
      EXPECT_EQ(call.data.hWnd, window_);
      EXPECT_EQ(call.data.uID, 1u);
      EXPECT_EQ(call.data.uCallbackMessage, static_cast<UINT>(kTrayCallbackMessage));
      EXPECT_EQ(Changed(call), static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
      EXPECT_STREQ(call.data.szTip, "Dozelite (Lanterns)\nSaver on");
      EXPECT_EQ(call.data.hIcon, AppState.frameIcons[0]);
    }
  }
  // The record is the full structure, balloon icon included.
  EXPECT_GT(sizeof(NOTIFYICONDATAA), static_cast<size_t>(NOTIFYICONDATAA_V3_SIZE));
}

TEST_F(TrayIconTest, FailuresAreReportedAndLogged) {
  LogCapture log("tray-failures");
  AppState.mainWindow = nullptr;
  EXPECT_EQ(UpdateTrayIcon(NIM_MODIFY), 0);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(log.Count("UpdateTrayIcon failed on type 1\r\n"), 1u);
  AppState.mainWindow = window_;
  answer = FALSE;
  EXPECT_EQ(UpdateTrayIcon(NIM_ADD), 0);
  EXPECT_EQ(calls.size(), 1u);  // the add failed: no modify follows
  EXPECT_EQ(log.Count("UpdateTrayIcon failed on type 0\r\n"), 1u);
  answer = TRUE;
  calls.clear();
  EXPECT_NE(UpdateTrayIcon(NIM_DELETE), 0);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(calls[0].data.uID, 1u);
}

// Under Xvfb the shell's tray takes a real icon from a real window.
std::vector<std::pair<WPARAM, LPARAM>> realCallbacks;
LRESULT CALLBACK RecordCallbacks(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayCallbackMessage) realCallbacks.emplace_back(wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void ClickAt(POINT at) {
  INPUT input[3] = {};
  for (INPUT& one : input) one.type = INPUT_MOUSE;
  input[0].mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input[0].mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, input, sizeof(INPUT));
}

// The shell's own tray: the icon is added, asked for the version-4 callback, and a click
// on it arrives in the form the shell took (the emulator's tray under Xvfb is measured
// here: what it answered and which form it sent is printed).
TEST(TrayIconReal, TheIconAppearsInTheTrayAndAClickArrives) {
  ResetAppState(GetModuleHandleA(nullptr));
  ResetTrayIconRecord();
  ShellNotifyIconEntry = RealShellNotifyIcon;
  HWND window = CreateTestWindow(RecordCallbacks);
  ASSERT_NE(window, nullptr);
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  EXPECT_NE(SetTrayIcon(window, NIM_ADD, "Dozelite test icon", icon), 0);
  // Wine shows the notification area of a display without a taskbar as its own window.
  HWND tray = nullptr;
  EXPECT_TRUE(WaitFor([&] {
    tray = FindWindowA(nullptr, "Wine System Tray");
    return tray && IsWindowVisible(tray);
  }, 5000));
  EXPECT_NE(SetTrayIcon(window, NIM_MODIFY, "Dozelite test icon (changed)", nullptr), 0);
  if (tray) {
    realCallbacks.clear();
    POINT at = {8, 8};  // inside the first icon's place
    ClientToScreen(tray, &at);
    ClickAt(at);
    WaitFor([] {
      for (const auto& callback : realCallbacks)
        if (LOWORD(callback.second) == WM_LBUTTONUP) return true;
      return false;
    }, 3000);
    bool down = false;
    bool up = false;
    for (const auto& callback : realCallbacks) {
      // Version 4: the event in the low word, the icon's id in the high word of lParam.
      UINT event = LOWORD(callback.second);
      down = down || event == WM_LBUTTONDOWN;
      up = up || event == WM_LBUTTONUP;
      EXPECT_EQ(HIWORD(callback.second) == kTrayIconId, TrayIconSpeaksVersion4())
          << std::hex << callback.first << " " << callback.second;
    }
    printf("tray: version 4 %s; %d callbacks from a click, the first wParam=0x%llx lParam=0x%llx\n",
           TrayIconSpeaksVersion4() ? "taken" : "refused", static_cast<int>(realCallbacks.size()),
           realCallbacks.empty() ? 0ull : static_cast<unsigned long long>(realCallbacks[0].first),
           realCallbacks.empty() ? 0ull : static_cast<unsigned long long>(realCallbacks[0].second));
    EXPECT_TRUE(down && up) << realCallbacks.size() << " callbacks";
  }
  printf("tray: NIM_SETFOCUS answered %d\n", SetTrayIcon(window, NIM_SETFOCUS, nullptr, nullptr));
  EXPECT_NE(SetTrayIcon(window, NIM_DELETE, nullptr, nullptr), 0);
  ResetTrayIconRecord();
  DestroyWindow(window);
}

}  // namespace
