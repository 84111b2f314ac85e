// The tray menu tree as built from the state: walked into text and compared whole or by
// submenu; the saver list's column split on given screen sizes; showing the menu.
#include "tray/tray_menu.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/dispatcher.h"
#include "holdoff/holdoff_state.h"
#include "settings/policy_store.h"
#include "settings/settings_store.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/menu_walker.h"
#include "system/system_saver_settings.h"

namespace {

constexpr MenuScreen kLargeScreen{1280, 800, 19};

const char* const kFullTreeWithoutSaver = R"(&Run Saver Now! [40006] grey default
----
&Screen Saver [popup]
  &Choose [popup]
    < (&None) > [40012] default
    Aurora Ribbons [41000] bmp
    Soap Bubbles [41001] bmp
  &Launch [popup]
    Aurora Ribbons [44000] bmp
    Soap Bubbles [44001] bmp
  C&onfigure [popup]
    Aurora Ribbons [45000] bmp
    Soap Bubbles [45001] bmp
  ----
  Choose &Random Saver [40009]
  Launch R&andom Saver [40010]
  ----
  Enable Screen &Saver [40008] grey
  ----
  Confi&gure Current Saver... [40007] grey
  ----
  Re&fresh Savers List [40011]
&Password [popup] grey
  Enable Saver &Password [40013] grey
Time&out [popup]
  &Wait Before Activation [popup]
    &1 Minute [42001]
    &5 Minutes [42005]
    1&0 Minutes [42010] checked bmp
    15 &Minutes [42015]
    &20 Minutes [42020]
    &30 Minutes [42030]
    1 &Hour [42060]
    ----
    &Other... [40039]
  &Disable Saver During Next [popup]
    &1 Minute [43001]
    &5 Minutes [43005]
    1&0 Minutes [43010]
    15 &Minutes [43015]
    &20 Minutes [43020]
    &30 Minutes [43030]
    1 &Hour [43060]
    2 Hour&s [43120]
    5 Hou&rs [43300]
    12 Ho&urs [43720]
    2&4 Hours [47440]
    ----
    &Other... [40040]
Hold O&ff [popup]
  Now: not held [0] grey
  ----
  While a &Full-Screen Window Is in Front [40100] checked bmp
  &Programs... [40101]
  Hold &Until... [40103]
  &Schedules... [40105]
  ----
  &Enabled [40102] checked bmp
Monitor Po&wer [popup]
  &Off [40016]
  &Suspend [40017]
  Stand&by [40018]
  ----
  &Power Options... [40019]
----
Screen Saver Settin&gs... [40004]
----
Se&ttings [popup]
  Saver Activation &HotKey... [40056]
  Mo&nitor Power Off HotKey... [40057]
  &Mouse Click Action [popup]
    &Left Click [40024]
    L&eft Double-Click [40025]
    &Right Click [40026]
    R&ight Double-Click [40027]
    ----
    Restore &Defaults [40028]
  Screen &Corner Action [popup]
    Enable &Corner Actions [40038]
    ----
    Top-&Left Corner [40029]
    Bottom-L&eft Corner [40030]
    Top-&Right Corner [40031]
    Bottom-R&ight Corner [40032]
    ----
    Every &Monitor [40110] bmp
    Dela&y [popup]
      &None [40112] checked bmp
      &150 ms [40113] bmp
      &300 ms [40114] bmp
      &500 ms [40115] bmp
      1 &s [40116] bmp
    Also Over &Full-Screen Windows [40111] bmp
    ----
    Restore &Defaults [40033]
  ----
  Set &Random Saver [popup]
    Every 10 Minutes (Saver &Timeout) [40023] bmp
    When Dozelite &Activates a Saver [40021] bmp
    When Dozelite is &Loaded [40022] bmp
  Set Current as Windows &Default [40034]
  Edit Saver &Paths... [40037]
  ----
  Launch Saver &When Chosen [40049] bmp
  Split Lon&g Saver List [40048] checked bmp
  Use &Unified Saver List [40051] bmp
  Unified List Selection &Action [popup] grey
    &Choose [40052] checked bmp
    &Launch [40053] bmp
    Confi&gure [40054] bmp
  ----
  Run When W&indows Starts [40020] bmp
  Show &Tips at Startup [40058] checked bmp
  Hide &Splash Screen [40036] bmp
  Show N&otifications [40130] checked bmp
  Languag&e [popup]
    &Windows Default [40140] checked
    ----
    &English [40141] checked
    &Deutsch [40142]
    E&spañol [40143]
    &Français [40144]
    &Italiano [40145]
    &Nederlands [40146]
    &Polski [40147]
    Português (&Brasil) [40148]
    &Türkçe [40149]
    &Русский [40150]
    &Українська [40151]
    日本語 (&J) [40152]
    한국어 (&K) [40153]
    简体中文 (&C) [40154]
    繁體中文 (&H) [40155]
  ----
  Uninsta&ll [40035]
&Help [popup]
  &Help... [40055]
  &Tip of the Day [40059]
  &Why Isn't My Saver Starting?... [40120]
  ----
  &Donate [40062]
  ----
  &Browse Website [40060]
  &Feedback && Support [40063]
  T&ell a Friend [40064]
  ----
  Check for &Updates [40061]
  ----
  &About [40065]
----
E&xit [40005]
)";

class TrayMenuTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    InstallSavers({{"Aurora Ribbons", "C:\\Savers\\aurora.scr"}, {"Soap Bubbles", "C:\\Savers\\bubbles.scr"}});
  }

  // The tests write the desktop key themselves: take the values in as the main window
  // does with the registry watcher's reading, since the menu no longer reads them.
  std::string Build(UINT flags = 0, MenuScreen screen = kLargeScreen) {
    LoadWindowsSaverSettings();
    HMENU menu = BuildTrayMenu(window_, flags, screen);
    std::string dump = DumpMenu(menu);
    DestroyMenu(menu);
    return dump;
  }

  std::string BuildSubmenu(const char* title, UINT flags = 0, MenuScreen screen = kLargeScreen) {
    LoadWindowsSaverSettings();
    HMENU menu = BuildTrayMenu(window_, flags, screen);
    std::string dump = DumpSubmenu(menu, title);
    DestroyMenu(menu);
    return dump;
  }
};

TEST_F(TrayMenuTest, WholeTreeWithoutCurrentSaver) { EXPECT_EQ(Build(), kFullTreeWithoutSaver); }

TEST_F(TrayMenuTest, EmptyCatalogGreysTheListsAndRandomItems) {
  InstallSavers({});
  std::string dump = BuildSubmenu("&Screen Saver");
  EXPECT_TRUE(Contains(dump, "&Choose [popup]\n  < (&None) > [40012] default\n&Launch [popup] grey\nC&onfigure [popup] grey\n"))
      << dump;
  EXPECT_TRUE(Contains(dump, "Choose &Random Saver [40009] grey\nLaunch R&andom Saver [40010] grey\n")) << dump;
}

TEST_F(TrayMenuTest, CurrentSaverIsMarkedInEveryListAndEnablesItsCommands) {
  SetSystemSaver("C:\\Savers\\bubbles.scr");
  SetDesktopValue("ScreenSaveActive", "1");
  SetDesktopValue("ScreenSaverIsSecure", "1");
  std::string dump = Build();
  EXPECT_TRUE(Contains(dump, "&Run Saver Now! [40006] default\n")) << dump;
  EXPECT_TRUE(Contains(dump, "    (&None) [40012]\n    Aurora Ribbons [41000] bmp\n"
                             "    < Soap Bubbles > [41001] checked default bmp\n"))
      << dump;
  EXPECT_TRUE(Contains(dump, "    < Soap Bubbles > [44001] checked default bmp\n")) << dump;
  EXPECT_TRUE(Contains(dump, "  Disable Screen &Saver [40008]\n")) << dump;
  EXPECT_TRUE(Contains(dump, "  Confi&gure Current Saver... [40007]\n")) << dump;
  EXPECT_TRUE(Contains(dump, "&Password [popup]\n  Disable Saver &Password [40013]\n")) << dump;
}

TEST_F(TrayMenuTest, DisabledSaverMakesTheEnableItemTheDefault) {
  SetSystemSaver("C:\\Savers\\aurora.scr");
  SetDesktopValue("ScreenSaveActive", "0");
  EXPECT_TRUE(Contains(BuildSubmenu("&Screen Saver"), "Enable Screen &Saver [40008] default\n"));
}

TEST_F(TrayMenuTest, SaverOutsideTheKnownFoldersAddsItsFolderOnce) {
  std::string folder = MakeTempFolder("outside saver");
  std::string saver = folder + "\\Plasma.scr";
  ASSERT_TRUE(CopyFileA(BuildFilePath("savers\\plasma.scr").c_str(), saver.c_str(), FALSE));
  AppState.saverpath[0] = DuplicateText("C:\\Savers");
  SetSystemSaver(saver);

  std::string dump = BuildSubmenu("&Choose");
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "The folder " + folder +
                                 " has been added to the folder list\nbecause the currently set screen saver "
                                 "resides in it.");
  EXPECT_STREQ(AppState.saverpath[1], folder.c_str());
  EXPECT_EQ(AppState.saverpath[2], nullptr);
  std::string stored;
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kSettingsKey, "saverpath1", &stored));
  EXPECT_EQ(stored, folder);
  // The list was rebuilt from the paths, so the saver is found and marked.
  EXPECT_TRUE(Contains(dump, "(&None) [40012]\n< Plasma Tiles > [41000] checked default bmp\n")) << dump;

  BuildSubmenu("&Choose");
  EXPECT_EQ(boxes().size(), 1u);
  EXPECT_EQ(AppState.saverpath[2], nullptr);
  RemoveTree(folder);
}

TEST_F(TrayMenuTest, SaverNamedWithoutAFolderAddsNoFolder) {
  AppState.saverpath[0] = DuplicateText("C:\\Savers");
  SetSystemSaver("missing.scr");
  std::string dump = BuildSubmenu("&Choose");
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(AppState.saverpath[1], nullptr);
  // Not found after the rebuild either: "(None)" stays the marked item.
  EXPECT_TRUE(Contains(dump, "< (&None) > [40012] default\n")) << dump;
}

TEST_F(TrayMenuTest, UnifiedListUsesTheSelectionBase) {
  AppState.unifiedlist = 1;
  struct Case {
    int base;
    const char* first;
    const char* action;
  } cases[] = {{41000, "Aurora Ribbons [41000]", "&Choose [40052] checked"},
               {44000, "Aurora Ribbons [44000]", "&Launch [40053] checked"},
               {45000, "Aurora Ribbons [45000]", "Confi&gure [40054] checked"},
               // A damaged setting falls back to choosing rather than naming other commands.
               {40000, "Aurora Ribbons [41000]", "&Choose [40052] bmp"}};
  for (const Case& c : cases) {
    AppState.selectionActionMessageBase = c.base;
    std::string dump = Build();
    EXPECT_TRUE(Contains(dump, "  S&creen Savers [popup]\n    < (&None) > [40012] default\n    " + std::string(c.first)))
        << c.base << "\n" << dump;
    EXPECT_FALSE(Contains(dump, "&Launch [popup]")) << c.base;
    EXPECT_TRUE(Contains(dump, "Unified List Selection &Action [popup]\n")) << c.base;
    EXPECT_TRUE(Contains(dump, c.action)) << c.base;
  }
}

TEST_F(TrayMenuTest, TimeoutMarksItsItemOrTheOtherItem) {
  struct Case {
    const char* timeout;
    const char* marked;
  } cases[] = {{"90", "&Other... (1:30 Minutes) [40039] checked bmp"},
               {"600", "1&0 Minutes [42010] checked bmp"},
               {"2700", "&Other... (45:00 Minutes) [40039] checked bmp"},
               {"60", "&1 Minute [42001] checked bmp"},
               {"7200", "&Other... (2:00:00 Hours) [40039] checked bmp"}};
  for (const Case& c : cases) {
    SetDesktopValue("ScreenSaveTimeOut", c.timeout);
    std::string dump = BuildSubmenu("&Wait Before Activation");
    EXPECT_TRUE(Contains(dump, std::string(c.marked) + "\n")) << c.timeout << "\n" << dump;
    EXPECT_EQ(dump.find("checked"), dump.rfind("checked")) << "one mark only for " << c.timeout;
  }
  SetDesktopValue("ScreenSaveTimeOut", "0");
  std::string dump = BuildSubmenu("&Wait Before Activation");
  EXPECT_FALSE(Contains(dump, "checked")) << dump;
  EXPECT_TRUE(Contains(dump, "&Other... [40039]\n")) << dump;
}

// Between two openings the menu reads only the current saver; the rest it takes from
// what the program knows, which must follow every change it learns of.
TEST_F(TrayMenuTest, NextMenuFollowsWhatTheProgramLearnt) {
  auto build = [this](const char* title) {
    HMENU menu = BuildTrayMenu(window_, 0, kLargeScreen);
    std::string dump = DumpSubmenu(menu, title);
    DestroyMenu(menu);
    return dump;
  };
  ASSERT_TRUE(SetLoadAtStartup(kProductName, false));
  EXPECT_TRUE(Contains(build("&Choose"), "< (&None) > [40012] default\n"));
  // Written by another program, with no message from the watcher.
  SetSystemSaver("C:\\Savers\\bubbles.scr");
  EXPECT_TRUE(Contains(build("&Choose"), "< Soap Bubbles > [41001] checked default bmp\n"));

  // The watcher's reading is applied on the main thread; the registry is not asked again.
  SetDesktopValue("ScreenSaveTimeOut", "900");
  ApplyWindowsSaverSettings({1, 300, 0});
  std::string wait = build("&Wait Before Activation");
  EXPECT_TRUE(Contains(wait, "&5 Minutes [42005] checked bmp\n")) << wait;
  EXPECT_TRUE(Contains(build("&Screen Saver"), "Disable Screen &Saver [40008]\n"));

  const char* kRunItem = "Run When W&indows Starts [40020] ";
  EXPECT_TRUE(Contains(build("Se&ttings"), std::string(kRunItem) + "bmp\n"));
  DispatchCommand(window_, kCmdToggleLoadAtStartup);
  EXPECT_TRUE(Contains(build("Se&ttings"), std::string(kRunItem) + "checked bmp\n"));
  // Removed from outside: known only after a reload of the settings.
  HKEY run = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE,
                          &run), ERROR_SUCCESS);
  RegDeleteValueA(run, kProductName);
  RegCloseKey(run);
  DispatchCommand(window_, kCmdReloadSettings);
  EXPECT_TRUE(Contains(build("Se&ttings"), std::string(kRunItem) + "bmp\n"));
}

TEST_F(TrayMenuTest, RunningDisablePeriodShowsAbortAndMarksItsLength) {
  AppState.disableSeconds = 7 * 60;
  AppState.disableStartTick = GetTickCount() + 500;  // 7:00 left for the next half second
  std::string dump = BuildSubmenu("&Disable Saver During Next");
  EXPECT_EQ(dump.substr(0, dump.find("&1 Minute")),
            "&Abort Current Timeout (7:00 Minutes Left) [43000]\n----\n");
  EXPECT_TRUE(Contains(dump, "&Other... (7:00 Minutes) [40040] checked bmp\n")) << dump;

  AppState.disableSeconds = 1440 * 60;
  dump = BuildSubmenu("&Disable Saver During Next");
  EXPECT_TRUE(Contains(dump, "2&4 Hours [47440] checked bmp\n")) << dump;
  EXPECT_TRUE(Contains(dump, "&Other... [40040]\n")) << dump;

  AppState.disableSeconds = 10 * 60;
  AppState.disableStartTick = GetTickCount() - 11 * 60 * 1000;  // overdue: nothing left, not a wrap-around
  dump = BuildSubmenu("&Disable Saver During Next");
  EXPECT_TRUE(Contains(dump, "&Abort Current Timeout (0 Seconds Left) [43000]\n")) << dump;
  EXPECT_TRUE(Contains(dump, "1&0 Minutes [43010] checked bmp\n")) << dump;
}

TEST_F(TrayMenuTest, DebugMenuWithShiftOrDebugMessages) {
  const std::string debug =
      "  De&bug [popup]\n    &Log File: C:\\dozelite-test\\Dozelite.log [40043]\n    ----\n    Dump &Savers Info [40044]\n"
      "    Dump Log To &Display [40042]\n    Dump Log To &File [40041]\n    &Clear Log [40045]\n    ----\n"
      "    &Auto Log To File [40046] bmp\n    Show Debug &Messages [40047]";
  EXPECT_FALSE(Contains(Build(0), "De&bug [popup]"));
  // With Shift the Language submenu offers the pseudo-language too, and the debug menu follows it.
  EXPECT_TRUE(Contains(Build(kTrayMenuShift), "    繁體中文 (&H) [40155]\n    [&Qps-ploc] [40156]\n  ----\n" + debug + " bmp\n  ----\n"));
  SetShowDebugMessages(true);
  EXPECT_TRUE(Contains(Build(0), debug + " checked bmp\n"));
  SetShowDebugMessages(false);
}

TEST_F(TrayMenuTest, PlatformsChangeTextsAndSubmenus) {
  SetSystemSaver("C:\\Savers\\aurora.scr");
  // Windows 98: the password can be changed; older texts for the control panel items.
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  AppState.osVersion.dwMajorVersion = 4;
  AppState.osVersion.dwMinorVersion = 10;
  WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", "C:\\Savers\\aurora.scr", "system.ini");
  std::string dump = Build();
  EXPECT_TRUE(Contains(dump, "&Password [popup]\n  Enable Saver &Password [40013]\n"
                             "  &Change Saver Password... [40014] grey\n"))
      << dump;
  EXPECT_TRUE(Contains(dump, "&Display Properties... [40004]\n")) << dump;
  EXPECT_TRUE(Contains(dump, "&Power Options Properties... [40019]\n")) << dump;
  EXPECT_TRUE(Contains(dump, "Use &Unified Saver List")) << dump;
  WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", nullptr, "system.ini");

  // Windows NT 4: no monitor power and no unified list.
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
  AppState.osVersion.dwMajorVersion = 4;
  AppState.osVersion.dwMinorVersion = 0;
  dump = Build();
  EXPECT_FALSE(Contains(dump, "Monitor Po&wer")) << dump;
  EXPECT_FALSE(Contains(dump, "Unified")) << dump;
  EXPECT_FALSE(Contains(dump, "&Change Saver Password")) << dump;
  EXPECT_TRUE(Contains(dump, "Split Lon&g Saver List [40048] checked bmp\n  ----\n  Run When W&indows Starts")) << dump;
}

TEST_F(TrayMenuTest, SwitchesAreMarkedFromTheSettings) {
  SetSystemSaver("C:\\Savers\\aurora.scr");
  AppState.randomonclick = 1;
  AppState.randomonload = 1;
  AppState.corneraction = 1;
  AppState.chooselaunch = 1;
  AppState.splitlist = 0;
  AppState.notips = 1;
  AppState.nosplash = 1;
  AppState.notifications = 0;
  SetDesktopValue("ScreenSaveTimeOut", "300");
  std::string dump = BuildSubmenu("Se&ttings");
  EXPECT_TRUE(Contains(dump, "  Disable &Corner Actions [40038]\n")) << dump;
  EXPECT_TRUE(Contains(dump, "  Every 5 Minutes (Saver &Timeout) [40023] bmp\n"
                             "  When Dozelite &Activates a Saver [40021] checked bmp\n"
                             "  When Dozelite is &Loaded [40022] checked bmp\n"))
      << dump;
  EXPECT_TRUE(Contains(dump, "Launch Saver &When Chosen [40049] checked bmp\nSplit Lon&g Saver List [40048] bmp\n"))
      << dump;
  EXPECT_TRUE(Contains(dump, "Show &Tips at Startup [40058] bmp\nHide &Splash Screen [40036] checked bmp\n"
                             "Show N&otifications [40130] bmp\n")) << dump;
}

// Column split: rows that fit = height / item height - 1; with "(None)" first, the
// breaks fall at multiples of the balanced rows per column.
std::vector<int> BarPositions(HMENU menu) {
  std::vector<int> bars;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_MENUBARBREAK) bars.push_back(i);
  }
  return bars;
}

TEST_F(TrayMenuTest, LongListSplitsIntoBalancedColumns) {
  InstallSavers(NumberedSavers(30));
  // 200 / 20 - 1 = 9 rows fit; 31 items need 4 columns of 8.
  HMENU menu = BuildTrayMenu(window_, 0, MenuScreen{1280, 200, 20});
  HMENU choose = FindSubmenu(menu, "&Choose");
  EXPECT_EQ(GetMenuItemCount(choose), 31);
  EXPECT_EQ(BarPositions(choose), (std::vector<int>{8, 16, 24}));
  // Lists without "(None)" balance their 30 items as 4 columns of 8 too, from 0.
  EXPECT_EQ(BarPositions(FindSubmenu(menu, "&Launch")), (std::vector<int>{8, 16, 24}));
  DestroyMenu(menu);

  // On a tall screen everything fits in one column.
  menu = BuildTrayMenu(window_, 0, MenuScreen{1280, 1000, 19});
  EXPECT_TRUE(BarPositions(FindSubmenu(menu, "&Choose")).empty());
  DestroyMenu(menu);

  // With the switch off the list stays one column whatever the screen.
  AppState.splitlist = 0;
  menu = BuildTrayMenu(window_, 0, MenuScreen{1280, 200, 20});
  EXPECT_TRUE(BarPositions(FindSubmenu(menu, "&Choose")).empty());
  EXPECT_EQ(GetMenuItemCount(FindSubmenu(menu, "&Choose")), 31);
  DestroyMenu(menu);
}

TEST_F(TrayMenuTest, ColumnsBeyondTheScreenWidthMoveIntoMoreMenus) {
  InstallSavers(NumberedSavers(40, 120));
  // 9 rows fit, 41 items: 5 columns of 9. Two 120-pixel columns fit in 300 pixels, so
  // each "More" menu holds two columns.
  HMENU menu = BuildTrayMenu(window_, 0, MenuScreen{300, 200, 20});
  HMENU choose = FindSubmenu(menu, "&Choose");
  ASSERT_EQ(GetMenuItemCount(choose), 3);
  std::vector<int> itemCounts;
  for (int i = 0; i < 3; i++) {
    char text[32];
    GetMenuStringA(choose, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
    EXPECT_EQ(std::string(text), "More &" + std::to_string(i + 1));  // each its own access key
    HMENU part = GetSubMenu(choose, i);
    ASSERT_NE(part, nullptr);
    itemCounts.push_back(GetMenuItemCount(part));
    EXPECT_EQ(BarPositions(part), i < 2 ? std::vector<int>{9} : std::vector<int>{}) << "part " << i;
  }
  // "(None)" + 17 savers, then 18, then the last 5.
  EXPECT_EQ(itemCounts, (std::vector<int>{18, 18, 5}));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(choose, 0), 0), static_cast<UINT>(kCmdChooseNoSaver));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(choose, 1), 0), 41017u);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(choose, 2), 4), 41039u);
  DestroyMenu(menu);
}

// Regression: saver 1000 of the choose list would carry 42000, "set the timeout".
TEST_F(TrayMenuTest, ListsStopAtTheThousandthSaver) {
  InstallSavers(NumberedSavers(1200));
  AppState.splitlist = 0;
  HMENU menu = nullptr;
  EXPECT_EQ(ShowPopupMenu(&menu, 41000, nullptr, kLargeScreen), 1);
  ASSERT_EQ(GetMenuItemCount(menu), 1000);
  EXPECT_EQ(GetMenuItemID(menu, 999), 41999u);
  EXPECT_TRUE(Contains(BufferedLog(), "ShowPopupMenu: 1200 savers, only the first 1000 are listed"));
  DestroyMenu(menu);
}

TEST_F(TrayMenuTest, PopupMenuOnAnEmptyListAppendsNothing) {
  InstallSavers({});
  HMENU menu = nullptr;
  EXPECT_EQ(ShowPopupMenu(&menu, 41000, nullptr, kLargeScreen), 0);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 0);
  DestroyMenu(menu);
}

TEST_F(TrayMenuTest, CheckWithBitmapsReportsMissingItems) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 42010, "10 Minutes");
  EXPECT_EQ(CheckMenuItemWithBitmaps(menu, 42010, true), static_cast<int>(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItemWithBitmaps(menu, 42010, false), static_cast<int>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItemWithBitmaps(menu, 42011, true), -1);
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_CHECKMARKS | MIIM_STATE;
  GetMenuItemInfoA(menu, 42010, FALSE, &info);
  EXPECT_EQ(info.hbmpChecked, checkBitmap_);
  EXPECT_EQ(info.hbmpUnchecked, nullptr);
  EXPECT_FALSE(info.fState & MFS_CHECKED);
  DestroyMenu(menu);
}

struct TrackedMenu {
  bool called = false;
  UINT flags = 0;
  POINT at{};
  HWND owner = nullptr;
  std::string dump;
};
TrackedMenu tracked;

BOOL RecordTrackedMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
  tracked.called = true;
  tracked.flags = flags;
  tracked.at = POINT{x, y};
  tracked.owner = owner;
  tracked.dump = DumpMenu(menu);
  return 40006;
}

TEST_F(TrayMenuTest, ShowingTracksAtTheClickPointThenPostsNull) {
  tracked = TrackedMenu{};
  TrackPopupMenuEntry = RecordTrackedMenu;
  AppState.clickPoint = POINT{321, 654};
  ShowWindow(window_, SW_SHOW);
  int result = ShowTrayMenu(window_, 0);
  TrackPopupMenuEntry = RealTrackPopupMenu;
  ShowWindow(window_, SW_HIDE);
  ASSERT_TRUE(tracked.called);
  EXPECT_EQ(result, 40006);
  EXPECT_EQ(tracked.flags, 0u);
  EXPECT_EQ(tracked.at.x, 321);
  EXPECT_EQ(tracked.at.y, 654);
  EXPECT_EQ(tracked.owner, window_);
  EXPECT_EQ(tracked.dump, kFullTreeWithoutSaver);
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, window_, WM_NULL, WM_NULL, PM_REMOVE));
}

// The kept tree must always equal a tree built afresh: each step changes one more value a
// part is built from (a value missing from that part's key would leave it stale).
TEST_F(TrayMenuTest, KeptMenuFollowsEveryChange) {
  struct Step {
    const char* what;
    std::function<void()> change;
    UINT flags;
  };
  HoldOffRules rules;
  const std::vector<Step> steps = {
      {"nothing yet", [] {}, 0},
      {"current saver", [] { SetSystemSaver("C:\\Savers\\bubbles.scr"); }, 0},
      {"saver switched on", [] { SetDesktopValue("ScreenSaveActive", "1"); }, 0},
      {"password on", [] { SetDesktopValue("ScreenSaverIsSecure", "1"); }, 0},
      {"timeout of 90 s", [] { SetDesktopValue("ScreenSaveTimeOut", "90"); }, 0},
      {"disable period runs",
       [] {
         AppState.disableSeconds = 7 * 60;
         AppState.disableStartTick = GetTickCount() + 999;  // 7:00 left for the next second
       },
       0},
      {"a minute of the period gone", [] { AppState.disableStartTick = GetTickCount() - 60 * 1000 + 999; }, 0},
      {"hold-off for full screen off",
       [&rules] {
         GetHoldOffRules(&rules);
         rules.fullscreen = 0;
         SetHoldOffRules(rules);
       },
       0},
      {"corners on", [] { AppState.corneraction = 1; }, 0},
      {"corners of every monitor", [] { AppState.cornerscope = 1; }, 0},
      {"corner delay", [] { AppState.cornerdelay = 300; }, 0},
      {"corners over full screen", [] { AppState.cornersfullscreen = 1; }, 0},
      {"random on activation", [] { AppState.randomonactivate = 1; }, 0},
      {"random on load", [] { AppState.randomonload = 1; }, 0},
      {"random on click", [] { AppState.randomonclick = 1; }, 0},
      {"unified list", [] { AppState.unifiedlist = 1; }, 0},
      {"unified list launching", [] { AppState.selectionActionMessageBase = kRangeLaunchSaver; }, 0},
      {"split list off", [] { AppState.splitlist = 0; }, 0},
      {"launch when chosen", [] { AppState.chooselaunch = 1; }, 0},
      {"no tips", [] { AppState.notips = 1; }, 0},
      {"no splash", [] { AppState.nosplash = 1; }, 0},
      {"no notifications", [] { AppState.notifications = 0; }, 0},
      {"run at log-on", [this] { DispatchCommand(window_, kCmdToggleLoadAtStartup); }, 0},
      {"Shift held", [] {}, kTrayMenuShift},
      {"debug messages", [] { SetShowDebugMessages(true); }, 0},
      {"log to file", [] { SetAutoLogToFile(!GetAutoLogToFile()); }, 0},
      {"catalog replaced", [] { InstallSavers({{"Zebra Dunes", "C:\\Savers\\zebra.scr"}}); }, 0},
      {"catalog emptied", [] { InstallSavers({}); }, 0},
      {"older platform", [] { AppState.osVersion.dwMajorVersion = 4; }, 0},
  };
  ASSERT_TRUE(SetLoadAtStartup(kProductName, false));
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    std::string fresh = Build(step.flags);
    EXPECT_EQ(DumpMenu(PrepareTrayMenu(window_, step.flags, kLargeScreen)), fresh);
  }
  SetShowDebugMessages(false);
  SetAutoLogToFile(false);
  SetLoadAtStartup(kProductName, false);
}

// A part with nothing changed is the same submenu as last time; the saver lists are new
// every time; a changed part is new, and so is every part after new check-mark images.
TEST_F(TrayMenuTest, KeptMenuReusesUnchangedParts) {
  auto submenus = [this] {
    HMENU top = PrepareTrayMenu(window_, 0, kLargeScreen);
    return std::vector<HMENU>{FindSubmenu(top, "Se&ttings"), FindSubmenu(top, "&Help"), FindSubmenu(top, "&Choose")};
  };
  std::vector<HMENU> first = submenus();
  std::vector<HMENU> second = submenus();
  EXPECT_EQ(second[0], first[0]);
  EXPECT_EQ(second[1], first[1]);
  EXPECT_NE(second[2], first[2]);
  EXPECT_FALSE(IsMenu(first[2]));  // the replaced list is destroyed

  AppState.chooselaunch = 1;
  std::vector<HMENU> third = submenus();
  EXPECT_NE(third[0], second[0]);
  EXPECT_EQ(third[1], second[1]);

  HBITMAP other = CreateBitmap(13, 13, 1, 32, nullptr);
  SetMenuCheckBitmaps(nullptr, other);
  HMENU settings = submenus()[0];
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_CHECKMARKS;
  ASSERT_TRUE(GetMenuItemInfoA(settings, kCmdToggleChooseLaunch, FALSE, &info));
  EXPECT_EQ(info.hbmpChecked, other);
  ForgetTrayMenu();
  DeleteObject(other);
}

// A menu asked for while the kept one is open (a hot key during the menu's loop) must
// neither change nor destroy the open one.
HMENU outerMenu = nullptr;
HMENU innerMenu = nullptr;
std::string outerBefore, outerAfter;

BOOL NestedTrack(HMENU menu, UINT, int, int, HWND owner) {
  if (outerMenu) {
    innerMenu = menu;
    return 0;
  }
  outerMenu = menu;
  outerBefore = DumpMenu(menu);
  AppState.chooselaunch = 1;
  ShowTrayMenu(owner, 0);
  outerAfter = IsMenu(menu) ? DumpMenu(menu) : "destroyed";
  return 0;
}

TEST_F(TrayMenuTest, MenuAskedForWhileOpenIsBuiltApart) {
  TrackPopupMenuEntry = NestedTrack;
  ShowWindow(window_, SW_SHOW);
  ShowTrayMenu(window_, 0);
  TrackPopupMenuEntry = RealTrackPopupMenu;
  ShowWindow(window_, SW_HIDE);
  ASSERT_NE(innerMenu, nullptr);
  EXPECT_NE(innerMenu, outerMenu);
  EXPECT_FALSE(IsMenu(innerMenu));
  EXPECT_EQ(outerAfter, outerBefore);
  std::string next = DumpMenu(PrepareTrayMenu(window_, 0, kLargeScreen));
  EXPECT_TRUE(Contains(next, "Launch Saver &When Chosen [40049] checked")) << next;
}

}  // namespace

// Settings given by policy: their items greyed with the state the policy sets and the
// organisation named once, however often the kept menu is shown; the update check gone;
// the Windows screen-saver policies grey the saver, password and timeout items.
TEST_F(TrayMenuTest, PolicyItemsAreGreyedWithTheirStateAndTheUpdateItemGoes) {
  constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";
  constexpr const char* kDesktopPolicyKey = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
  struct Cleanup {
    ~Cleanup() {
      DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
      DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
      DeleteRegistryTree(HKEY_CURRENT_USER, kDesktopPolicyKey);
      ForgetTrayMenu();
      LoadPolicies();
    }
  } cleanup;
  SetSystemSaver("C:\\Savers\\aurora.scr");
  SetDesktopValue("ScreenSaveActive", "1");
  ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kPolicyKey, "randomonload", 1));
  ASSERT_TRUE(WriteRegistryDword(HKEY_LOCAL_MACHINE, kPolicyKey, "notifications", 0));
  ASSERT_TRUE(WriteRegistryDword(HKEY_LOCAL_MACHINE, kPolicyKey, "updatecheck", 0));
  ASSERT_TRUE(WriteRegistryDword(HKEY_LOCAL_MACHINE, kPolicyKey, "allowexit", 0));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kDesktopPolicyKey, "ScreenSaveTimeOut", "600"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kDesktopPolicyKey, "ScreenSaverIsSecure", "1"));
  LoadSettings();
  std::string dump = Build();
  EXPECT_TRUE(Contains(dump, "When Dozelite is &Loaded (set by your organisation) [40022] checked grey bmp\n")) << dump;
  EXPECT_TRUE(Contains(dump, "Show N&otifications (set by your organisation) [40130] grey bmp\n")) << dump;
  EXPECT_TRUE(Contains(dump, "E&xit (set by your organisation) [40005] grey\n")) << dump;
  EXPECT_TRUE(Contains(dump, "  When Dozelite &Activates a Saver [40021] bmp\n")) << dump;  // no policy
  EXPECT_FALSE(Contains(dump, "Check for &Updates")) << dump;
  EXPECT_TRUE(Contains(dump, " (set by your organisation) [40013]")) << dump;  // the password switch
  EXPECT_TRUE(Contains(dump, "1&0 Minutes [42010] checked grey")) << dump;
  EXPECT_TRUE(Contains(dump, "  Disable Screen &Saver [40008]\n")) << dump;  // ScreenSaveActive has no policy

  // The kept menu, shown again, names the organisation once per item.
  HMENU kept = PrepareTrayMenu(window_, 0, kLargeScreen);
  kept = PrepareTrayMenu(window_, 0, kLargeScreen);
  std::string again = DumpMenu(kept);
  size_t marks = 0;
  for (size_t at = again.find("(set by"); at != std::string::npos; at = again.find("(set by", at + 1)) marks++;
  EXPECT_EQ(marks, 5u) << again;  // with the timeout's "Other" item
}
