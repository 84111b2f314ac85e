// Submenus kept between two openings of the tray menu: reused while their values stay,
// built again when a value they show changes or when their tree was destroyed whole.
#include "app/tray_menu_cache.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/menu_walker.h"
#include "app/tray_menu.h"
#include "support/app_fixture.h"

namespace {

constexpr MenuScreen kScreen{1280, 800, 19};

class TrayMenuCacheTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    InstallSavers({{"Aurora Ribbons", "C:\\Savers\\aurora.scr"}});
  }
  void TearDown() override {
    DiscardKeptMenus();
    AppFixture::TearDown();
  }
  // The submenu's handle and dump in a tree built and then released as ShowTrayMenu does.
  std::pair<HMENU, std::string> Open(const char* title) {
    HMENU top = BuildTrayMenu(window_, 0, kScreen);
    HMENU sub = FindSubmenu(top, title);
    std::string dump = DumpMenu(sub);
    ReleaseTrayMenu(top);
    return {sub, dump};
  }
};

TEST_F(TrayMenuCacheTest, KeptWhileUnchangedAndRebuiltWhenAShownValueChanges) {
  struct Case {
    const char* title;
    std::function<void()> change;
    const char* shownAfter;
  };
  const Case cases[] = {
      {"&Help", nullptr, nullptr},
      {"&Mouse Click Action", nullptr, nullptr},
      {"Monitor Po&wer", [] { AppState.osVersion.dwMajorVersion = 5; }, "&Power Options Properties... [40019]"},
      {"&Wait Before Activation", [] { SetDesktopValue("ScreenSaveTimeOut", "300"); }, "5 Minutes [42005] checked bmp"},
      {"Set &Random Saver", [] { AppState.randomonload = 1; }, "When Dozelite is &Loaded [40022] checked bmp"},
      {"Set &Random Saver", [] { SetDesktopValue("ScreenSaveTimeOut", "1200"); }, "Every 20 Minutes (Saver &Timeout)"},
      {"Unified List Selection &Action", [] { AppState.selectionActionMessageBase = 44000; },
       "&Launch [40053] checked bmp"},
  };
  for (const Case& c : cases) {
    auto first = Open(c.title);
    auto second = Open(c.title);
    ASSERT_NE(first.first, nullptr) << c.title;
    EXPECT_EQ(second.first, first.first) << c.title;  // the same menu, not a copy
    EXPECT_EQ(second.second, first.second) << c.title;
    if (!c.change) continue;
    c.change();
    auto third = Open(c.title);
    EXPECT_TRUE(Contains(third.second, c.shownAfter)) << c.title << "\n" << third.second;
    EXPECT_FALSE(Contains(first.second, c.shownAfter)) << c.title;
  }
}

TEST_F(TrayMenuCacheTest, ATreeDestroyedWholeIsBuiltCompleteAgain) {
  HMENU top = BuildTrayMenu(window_, 0, kScreen);
  std::string whole = DumpMenu(top);
  DestroyMenu(top);  // the kept submenus go with it
  top = BuildTrayMenu(window_, 0, kScreen);
  EXPECT_EQ(DumpMenu(top), whole);
  ReleaseTrayMenu(top);
  top = BuildTrayMenu(window_, 0, kScreen);
  EXPECT_EQ(DumpMenu(top), whole);
  ReleaseTrayMenu(top);
}

}  // namespace
