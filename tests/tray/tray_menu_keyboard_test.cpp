// Every item that can be chosen in every level of the built menus has an access key, and
// no two items of one level share one, in every state that changes the menus: the list
// loading, split and unified lists, older platforms, Shift for the debug menu, a disable
// period running, hold-off on and off, and the saver context menu. Saver names are the
// savers' own and greyed lines without a command only inform: both are left out. And
// the saver's own menu opens from the keyboard too.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "catalog/catalog_loader.h"
#include "holdoff/holdoff_state.h"
#include "language/language_tags.h"
#include "language/translate.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/access_keys.h"
#include "support/app_fixture.h"
#include "support/dialog_driver.h"
#include "support/menu_walker.h"
#include "system/system_saver_settings.h"
#include "tray/saver_context_menu.h"
#include "tray/tray_menu.h"

namespace {

constexpr MenuScreen kScreen = {1280, 800, 19};

bool IsSaverItem(UINT id) {
  for (int base : {kRangeChooseSaver, kRangeLaunchSaver, kRangeConfigureSaver, kRangeSaverProperties})
    if (id >= static_cast<UINT>(base) && id < static_cast<UINT>(base + kRangeSize)) return true;
  return false;
}

void WalkLevel(HMENU menu, const std::string& where, std::vector<std::string>* problems) {
  AccessKeyLevel level(where);
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; i++) {
    char text[512] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
    bool informs = !info.hSubMenu && info.wID == 0 && (info.fState & MFS_GRAYED);
    bool saver = !info.hSubMenu && IsSaverItem(info.wID);
    level.Add(text, !informs && !saver);
    if (info.hSubMenu) WalkLevel(info.hSubMenu, where + " > " + text, problems);
  }
  problems->insert(problems->end(), level.problems().begin(), level.problems().end());
}

std::vector<std::string> menuProblems;

// In the pseudo-language every text from the catalogue is in brackets: an item without
// them was never passed through it. Saver names and the languages' own names are shown
// as they are.
bool ShownAsItIs(UINT id) {
  if (IsSaverItem(id)) return true;
  return id >= static_cast<UINT>(kRangeLanguage) && id < static_cast<UINT>(kRangeLanguage + kLanguageRangeSize);
}

void WalkUntranslated(HMENU menu, const std::string& where, std::vector<std::string>* problems) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; i++) {
    char text[512] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
    if (!strchr(text, '[') && (info.hSubMenu || !ShownAsItIs(info.wID)))
      problems->push_back(where + ": \"" + text + "\" is not translated");
    if (info.hSubMenu) WalkUntranslated(info.hSubMenu, where + " > " + text, problems);
  }
}

BOOL WalkTrackedMenuUntranslated(HMENU menu, UINT, int, int, HWND) {
  WalkUntranslated(menu, "saver context menu", &menuProblems);
  return 0;
}

BOOL WalkTrackedMenu(HMENU menu, UINT, int, int, HWND) {
  WalkLevel(menu, "saver context menu", &menuProblems);
  return 0;
}

// The states that change the menus, each applied on top of the ones before it.
std::vector<std::pair<std::string, std::function<void()>>> MenuStates() {
  return {
      {"no saver", [] {}},
      {"current saver, saver on", [] {
         SetSystemSaver("C:\\Savers\\Saver 001.scr");
         SetDesktopValue("ScreenSaveActive", "1");
       }},
      {"password on", [] { SetDesktopValue("ScreenSaverIsSecure", "1"); }},
      {"split list", [] { AppState.splitlist = 1; }},
      {"unified list", [] { AppState.unifiedlist = 1; }},
      {"disable period running", [] {
         AppState.disableSeconds = 420;
         AppState.disableStartTick = GetTickCount();
       }},
      {"hold-off on", [] {
         HoldOffRules rules = {};
         rules.enabled = 1;
         rules.fullscreen = 1;
         SetHoldOffRules(rules);
       }},
      {"hold-off off", [] {
         HoldOffRules rules = {};
         SetHoldOffRules(rules);
       }},
      {"corners on, timeout of 90 s", [] {
         AppState.corneraction = 1;
         SetDesktopValue("ScreenSaveTimeOut", "90");
       }},
      {"Windows 98", [] {
         AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
         AppState.osVersion.dwMajorVersion = 4;
         AppState.osVersion.dwMinorVersion = 10;
       }},
      {"Windows 95", [] { AppState.osVersion.dwMinorVersion = 0; }},
      {"Windows NT 4", [] {
         AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
         AppState.osVersion.dwMajorVersion = 4;
       }},
  };
}

class MenuAccessKeysTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    InstallSavers(NumberedSavers(3));
    GetHoldOffRules(&savedRules_);
  }
  void TearDown() override {
    UseLanguage(0);
    SetHoldOffRules(savedRules_);
    AppFixture::TearDown();
  }
  void Walk(const std::string& state, UINT flags = 0) {
    LoadWindowsSaverSettings();
    HMENU menu = BuildTrayMenu(window_, flags, kScreen);
    WalkLevel(menu, state + ": tray menu", &menuProblems);
    DestroyMenu(menu);
  }
  HoldOffRules savedRules_ = {};
};

}  // namespace

// In every language: a translation may move a key, never lose or repeat it.
TEST_F(MenuAccessKeysTest, EveryLevelInEveryStateHasOneKeyPerItem) {
  menuProblems.clear();
  int count = 0;
  const LanguageInfo* languages = Languages(&count);
  const auto states = MenuStates();
  for (const auto& state : states) {
    state.second();
    for (int language = 0; language < count; language++) {
      ASSERT_TRUE(UseLanguage(language)) << languages[language].tag;
      std::string where = state.first + " in " + languages[language].tag;
      Walk(where);
      Walk(where + ", Shift", kTrayMenuShift);
    }
  }
  UseLanguage(0);
  EXPECT_EQ(JoinLines(menuProblems), "");
}

// Every level in every state above, the list loading and the saver's own menu, in the
// pseudo-language.
TEST_F(MenuAccessKeysTest, EveryItemInEveryStateComesFromTheCatalogue) {
  menuProblems.clear();
  ASSERT_TRUE(UseLanguage(PseudoLanguage()));
  auto walk = [&](const std::string& state, UINT flags) {
    LoadWindowsSaverSettings();
    HMENU menu = BuildTrayMenu(window_, flags, kScreen);
    WalkUntranslated(menu, state + ": tray menu", &menuProblems);
    DestroyMenu(menu);
  };
  StartSaverCatalogLoad();
  walk("loading", 0);
  FinishSaverCatalogLoad(60000);
  InstallSavers(NumberedSavers(3));
  for (const auto& state : MenuStates()) {
    state.second();
    walk(state.first, 0);
    walk(state.first + ", Shift", kTrayMenuShift);
  }
  HMENU menu = BuildTrayMenu(window_, 0, kScreen);
  TrackPopupMenuEntry = WalkTrackedMenuUntranslated;
  HMENU list = GetSubMenu(GetSubMenu(menu, 2), 0);  // "&Screen Saver", its first list
  ASSERT_NE(list, nullptr);
  ShowSaverContextMenu(window_, list, 1);  // the first saver, after "(None)"
  TrackPopupMenuEntry = RealTrackPopupMenu;
  DestroyMenu(menu);
  UseLanguage(0);
  EXPECT_EQ(JoinLines(menuProblems), "");
}

TEST_F(MenuAccessKeysTest, WhileTheListLoads) {
  menuProblems.clear();
  StartSaverCatalogLoad();
  ASSERT_TRUE(IsSaverCatalogLoading());
  Walk("loading");
  AppState.unifiedlist = 1;
  Walk("loading, unified list");
  EXPECT_EQ(FinishSaverCatalogLoad(60000), 1);
  EXPECT_EQ(JoinLines(menuProblems), "");
}

TEST_F(MenuAccessKeysTest, SaverContextMenu) {
  menuProblems.clear();
  HMENU menu = BuildTrayMenu(window_, 0, kScreen);
  HMENU choose = FindSubmenu(menu, "&Choose");
  ASSERT_NE(choose, nullptr);
  TrackPopupMenuEntry = WalkTrackedMenu;
  ShowSaverContextMenu(window_, choose, 1);  // the first saver, after "(None)"
  TrackPopupMenuEntry = RealTrackPopupMenu;
  DestroyMenu(menu);
  EXPECT_EQ(JoinLines(menuProblems), "");
}

// The Applications key on a highlighted saver opens the saver's menu at the item, as a
// right click does; on any other item it opens nothing.
std::vector<UINT> nestedFlags;
BOOL TrackRealOrRecordNested(HMENU menu, UINT flags, int x, int y, HWND owner) {
  if (flags & TPM_RECURSE) {
    nestedFlags.push_back(flags);
    return 0;  // closed with nothing chosen
  }
  return RealTrackPopupMenu(menu, flags, x, y, owner);
}

TEST_F(MenuAccessKeysTest, ApplicationsKeyOnASaverOpensItsMenu) {
  SetSystemSaver("C:\\Savers\\Saver 001.scr");
  LoadWindowsSaverSettings();
  AppState.clickPoint = POINT{40, 40};
  SetWindowPos(window_, HWND_TOP, 0, 0, 10, 10, SWP_SHOWWINDOW);
  nestedFlags.clear();
  TrackPopupMenuEntry = TrackRealOrRecordNested;
  std::vector<size_t> opened;
  std::thread driver([&] {
    if (!WaitMenus(1)) return;
    HWND top = MenuWindows()[0];
    PressKey(top, VK_DOWN);  // "&Run Saver Now!": no saver
    PressKey(top, VK_APPS);
    opened.push_back(nestedFlags.size());
    PressKey(top, VK_DOWN);   // "&Screen Saver"
    PressKey(top, VK_RIGHT);  // its first item, "&Choose"
    if (WaitMenus(2)) PressKey(top, VK_RIGHT);  // the list, at "(&None)"
    if (WaitMenus(3)) {
      PressKey(top, VK_DOWN);  // the first saver
      PressKey(top, VK_APPS);
      opened.push_back(nestedFlags.size());
    }
    PostMessageA(window_, WM_CANCELMODE, 0, 0);
  });
  ShowTrayMenu(window_, 0);
  driver.join();
  TrackPopupMenuEntry = RealTrackPopupMenu;
  EXPECT_EQ(opened, (std::vector<size_t>{0, 1}));
}

// The walk itself: a clash and a missing key are both named with their level.
TEST(AccessKeyLevel, NamesClashesAndMissingKeys) {
  AccessKeyLevel level("Tray > Help");
  level.Add("&Hold Off", true);
  level.Add("&Help", true);
  level.Add("R&&B", true);
  level.Add("Now: not held", false);
  EXPECT_EQ(JoinLines(level.problems()),
            "Tray > Help: \"&Hold Off\" and \"&Help\" share H\nTray > Help: \"R&&B\" has no access key\n");
}
