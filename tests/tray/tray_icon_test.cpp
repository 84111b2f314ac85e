// The tray icon: tooltip and image chosen from the state, only changes sent to the
// shell (observed through the notify-icon entry point), and one real icon under Xvfb.
#include "tray/tray_icon.h"

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
    return calls.empty() ? std::string("{nothing sent}") : std::string(calls.back().data.szTip);
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
    EXPECT_EQ(calls[0].data.uFlags, static_cast<UINT>(NIF_ICON)) << tick;
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
  EXPECT_EQ(calls[0].data.uFlags, static_cast<UINT>(NIF_TIP));
  EXPECT_NE(SetTrayIcon(window_, NIM_MODIFY, nullptr, FakeIcon(8)), 0);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].data.uFlags, static_cast<UINT>(NIF_ICON));
  EXPECT_STREQ(calls[1].data.szTip, "Dozelite (Plasma Tiles)");
  EXPECT_EQ(SetTrayIcon(window_, NIM_MODIFY, nullptr, nullptr), 1);
  EXPECT_EQ(calls.size(), 2u);
}

// A tooltip longer than the record holds is stored cut; the same text again is no change.
TEST_F(TrayIconTest, OverlongTooltipIsSentOnce) {
  std::string tip(80, 't');
  ASSERT_NE(SetTrayIcon(window_, NIM_ADD, tip.c_str(), FakeIcon(1)), 0);
  EXPECT_EQ(strlen(calls.back().data.szTip), 62u);
  calls.clear();
  EXPECT_EQ(SetTrayIcon(window_, NIM_MODIFY, tip.c_str(), FakeIcon(1)), 1);
  EXPECT_TRUE(calls.empty());
}

TEST_F(TrayIconTest, AddSendsTheWholeRecordThenAModify) {
  CurrentSaver("Lanterns");
  AppState.saverActive = 1;
  for (int round = 0; round < 2; round++) {  // the second add is the one after "TaskbarCreated"
    calls.clear();
    ASSERT_NE(UpdateTrayIcon(NIM_ADD), 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    for (const TrayCall& call : calls) {
      EXPECT_EQ(call.data.cbSize, sizeof(NOTIFYICONDATAA));
      EXPECT_EQ(call.data.hWnd, window_);
      EXPECT_EQ(call.data.uID, 1u);
      EXPECT_EQ(call.data.uCallbackMessage, static_cast<UINT>(kTrayCallbackMessage));
      EXPECT_EQ(call.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
      EXPECT_STREQ(call.data.szTip, "Dozelite (Lanterns)");
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
TEST(TrayIconReal, TheIconAppearsInTheTray) {
  ResetAppState(GetModuleHandleA(nullptr));
  ResetTrayIconRecord();
  ShellNotifyIconEntry = RealShellNotifyIcon;
  HWND window = CreateTestWindow();
  ASSERT_NE(window, nullptr);
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  EXPECT_NE(SetTrayIcon(window, NIM_ADD, "Dozelite test icon", icon), 0);
  // Wine shows the notification area of a display without a taskbar as its own window.
  EXPECT_TRUE(WaitFor([] {
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    return tray && IsWindowVisible(tray);
  }, 5000));
  EXPECT_NE(SetTrayIcon(window, NIM_MODIFY, "Dozelite test icon (changed)", nullptr), 0);
  EXPECT_NE(SetTrayIcon(window, NIM_DELETE, nullptr, nullptr), 0);
  ResetTrayIconRecord();
  DestroyWindow(window);
}

}  // namespace
