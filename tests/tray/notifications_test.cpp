// Balloons for commands nobody saw: which sources get one, what it says after each kind
// of command, how it is sent, and the switch that turns it off. (A real second start's
// hand-off is told in the start-up tests.)
#include "tray/notifications.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include "app/dispatcher.h"
#include "language/language_tags.h"
#include "language/translate.h"
#include "settings/settings_store.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/log_capture.h"
#include "support/menu_walker.h"
#include "system/system_saver_settings.h"
#include "tray/tray_icon.h"

namespace {

std::vector<NOTIFYICONDATAA> sent;

BOOL RecordShell(DWORD message, NOTIFYICONDATAA* data) {
  if (message == NIM_MODIFY && (data->uFlags & NIF_INFO)) sent.push_back(*data);
  return TRUE;
}

class NotificationsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    sent.clear();
    ResetTrayIconRecord();
    ShellNotifyIconEntry = RecordShell;
    InstallSavers({{"Aurora Ribbons", "C:\\Savers\\aurora.scr"}, {"Zebra Lines", "C:\\Savers\\zebra.scr"}});
  }
  void TearDown() override {
    ShellNotifyIconEntry = RealShellNotifyIcon;
    AppFixture::TearDown();
  }
  // Posts the command as its source would and lets the window procedure run it.
  void Post(int command, LPARAM source) {
    PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(command), source);
    Pump();
  }
  static void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  static std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const NOTIFYICONDATAA& data : sent) texts.push_back(data.szInfo);
    return texts;
  }
};

using Lines = std::vector<std::string>;

}  // namespace

TEST_F(NotificationsTest, EverySourceButTheMenuIsTold) {
  struct Case {
    LPARAM source;
    bool told;
  } cases[] = {{kSourceMenu, false}, {kSourceHotKey, true}, {kSourceCorner, true}, {kSourceHandOff, true}};
  for (const Case& c : cases) {
    sent.clear();
    SetDesktopValue("ScreenSaveActive", "1");
    LoadWindowsSaverSettings();
    Post(kCmdToggleSaver, c.source);
    EXPECT_EQ(Texts(), c.told ? Lines{"Screen saver switched off"} : Lines{}) << "source " << c.source;
  }
}

// The balloon speaks the language in use; its log line stays English for support.
TEST_F(NotificationsTest, TheBalloonIsTranslatedAndItsLogLineIsEnglish) {
  LogCapture log("notification-language");
  ASSERT_TRUE(UseLanguage(PseudoLanguage()));
  SetDesktopValue("ScreenSaveActive", "1");
  LoadWindowsSaverSettings();
  Post(kCmdToggleSaver, kSourceHotKey);
  UseLanguage(0);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].front(), '[');
  EXPECT_TRUE(log.Has("Notification: Screen saver switched off\r\n")) << log.Text();
}

TEST_F(NotificationsTest, TheTextSaysWhatIsTrueAfterTheCommand) {
  // Real savers: choosing one writes the system setting only for a file that exists.
  std::string folder = MakeTempFolder("told savers");
  for (const char* name : {"aurora.scr", "bubbles.scr"})
    CopyFileA(BuildFilePath((std::string("savers\\") + name).c_str()).c_str(), (folder + "\\" + name).c_str(), FALSE);
  AppState.saverpath[0] = DuplicateText(folder.c_str());
  DispatchCommand(window_, kCmdRefreshSavers);
  ASSERT_EQ(AppState.saverCount, 2);
  SetSystemSaver(folder + "\\aurora.scr");
  struct Case {
    int command;
    const char* expected;
  } cases[] = {
      {kRangeDisableMinutes + 30, "Screen saver disabled for 30 minutes"},
      {kRangeDisableMinutes + 120, "Screen saver disabled for 2 hours"},
      {kCmdDisableOneDay, "Screen saver disabled for 24 hours"},
      {kRangeDisableMinutes, "Screen saver disable ended"},
      {kRangeChooseSaver + 1, "Screen saver: Soap Bubbles"},
      {kCmdToggleSaver, "Screen saver switched off"},  // the saver was on after the disable ended
      {kCmdToggleSaver, "Screen saver switched on"},
      {kRangeSetTimeout + 1, "Screen saver starts after 1 minute"},
      {kRangeSetTimeout + 60, "Screen saver starts after 1 hour"},
      {kCmdChooseNoSaver, "Screen saver: (None)"},
      {kCmdPowerOff, "Monitor switched off"},
  };
  for (const Case& c : cases) {
    sent.clear();
    Post(c.command, kSourceCorner);
    EXPECT_EQ(Texts(), Lines{c.expected}) << c.command;
  }
  // A random choice names the saver chosen; a menu command or a dialog tells nothing.
  sent.clear();
  Post(kCmdChooseRandomSaver, kSourceHotKey);
  ASSERT_EQ(sent.size(), 1u);
  const SaverInfo* chosen = FindCurrentSaver();
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(Texts()[0], std::string("Random saver: ") + chosen->displayName);
  char text[64] = "x";
  EXPECT_FALSE(DescribeCommandOutcome(kCmdAbout, kSourceHotKey, text, sizeof(text)));
  EXPECT_STREQ(text, "");
  EXPECT_FALSE(DescribeCommandOutcome(kCmdReloadSettings, kSourceCorner, text, sizeof(text)));
  // A hand-off's timeout of no whole minutes is told as a duration.
  AppState.saverActive = 1;
  AppState.saverTimeout = 90;
  char told[160] = "";
  EXPECT_TRUE(DescribeCommandOutcome(kCmdReloadSettings, kSourceHandOff, told, sizeof(told)));
  EXPECT_TRUE(Contains(told, ", starts after 1:30 Minutes")) << told;
  RemoveTree(folder);
}

TEST_F(NotificationsTest, AHotKeyPressIsToldWithTheProductIconAndNoSound) {
  SetSystemSaver("C:\\Savers\\zebra.scr");
  SendMessageA(window_, WM_HOTKEY, 0, 0);  // the activation hot key posts "run saver now"
  Pump();
  ASSERT_EQ(Texts(), Lines{"Screen saver started: Zebra Lines"});
  const NOTIFYICONDATAA& data = sent[0];
  EXPECT_EQ(data.hWnd, window_);
  EXPECT_EQ(data.uID, 1u);
  EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_INFO));  // the icon and tooltip are left alone
  EXPECT_STREQ(data.szInfoTitle, "Dozelite");
  EXPECT_EQ(data.dwInfoFlags & NIIF_USER, static_cast<DWORD>(NIIF_USER));
  EXPECT_EQ(data.dwInfoFlags & NIIF_NOSOUND, static_cast<DWORD>(NIIF_NOSOUND));
  EXPECT_NE(data.hBalloonIcon, nullptr);
}

TEST_F(NotificationsTest, TheSettingTurnsThemOffAndIsSaved) {
  auto settingsMenu = [this] {
    HMENU menu = BuildTrayMenu(window_, 0, GetMenuScreen());
    std::string dump = DumpSubmenu(menu, "Se&ttings");
    DestroyMenu(menu);
    return dump;
  };
  EXPECT_TRUE(Contains(settingsMenu(), "\nShow N&otifications [40130] checked bmp\n"));
  Post(kCmdToggleNotifications, kSourceMenu);
  EXPECT_TRUE(Contains(settingsMenu(), "\nShow N&otifications [40130] bmp\n"));
  EXPECT_EQ(AppState.notifications, 0);
  DWORD stored = 1;
  ASSERT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kSettingsKey, "notifications", &stored));
  EXPECT_EQ(stored, 0u);
  Post(kCmdToggleSaver, kSourceHotKey);
  EXPECT_EQ(Texts(), Lines{});
  AppState.notifications = 1;
  LoadSettings();
  EXPECT_EQ(AppState.notifications, 0);  // read back from the registry
}
