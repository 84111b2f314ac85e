// The saver context menu: which items of the open tray menu open it, what it offers,
// what is posted after a choice or Escape; the properties box; and the real menus on
// the screen, saved as screenshots for review.
#include "tray/saver_context_menu.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/dispatcher.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/dialog_driver.h"
#include "support/menu_walker.h"
#include "system/system_saver_settings.h"

namespace {

int cancelModes = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CANCELMODE) cancelModes++;
  return TrayWindowProc(window, message, wParam, lParam);
}

struct Tracked {
  int calls = 0;
  UINT flags = 0;
  HWND owner = nullptr;
  POINT at{};
  std::string dump;
  int answer = 0;
};
Tracked tracked;

BOOL FakeTrack(HMENU menu, UINT flags, int x, int y, HWND owner) {
  tracked.calls++;
  tracked.flags = flags;
  tracked.owner = owner;
  tracked.at = POINT{x, y};
  tracked.dump = DumpMenu(menu);
  return tracked.answer;
}

class SaverContextMenuTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    cancelModes = 0;
    tracked = Tracked{};
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    InstallSavers({{"Aurora Ribbons", "C:\\Savers\\aurora.scr"}, {"Soap Bubbles", "C:\\Savers\\bubbles.scr"}});
    menu_ = BuildTrayMenu(window_, 0, MenuScreen{1280, 800, 19});
  }
  void TearDown() override {
    TrackPopupMenuEntry = RealTrackPopupMenu;
    DestroyMenu(menu_);
    AppFixture::TearDown();
  }

  // A right click on the item at `position` of the submenu titled `title`.
  int RightClick(const char* title, UINT position, int answer) {
    tracked.answer = answer;
    TrackPopupMenuEntry = FakeTrack;
    int result = ShowSaverContextMenu(window_, FindSubmenu(menu_, title), position);
    TrackPopupMenuEntry = RealTrackPopupMenu;
    return result;
  }

  HMENU menu_ = nullptr;
};

TEST_F(SaverContextMenuTest, OffersTheFourOperationsOfItsSaver) {
  HMENU menu = BuildSaverContextMenu(7);
  EXPECT_EQ(DumpMenu(menu), "&Choose [41007]\n&Launch [44007]\nConfi&gure [45007]\n----\n&Properties [46007]\n");
  DestroyMenu(menu);
}

TEST_F(SaverContextMenuTest, ItemsThatAreNoSaverOpenNothing) {
  struct Case {
    const char* title;
    UINT position;
  } cases[] = {{"&Choose", 0},                 // "(None)"
               {"&Screen Saver", 1},           // "&Launch" submenu
               {"&Screen Saver", 3},           // separator
               {"&Screen Saver", 4},           // "Choose &Random Saver"
               {"&Wait Before Activation", 6},  // "1 Hour"
               {"&Choose", 9}};                // past the end
  for (const Case& c : cases) {
    EXPECT_EQ(RightClick(c.title, c.position, 44000), 0) << c.title << " " << c.position;
  }
  EXPECT_EQ(tracked.calls, 0);
  EXPECT_TRUE(TakePostedCommands(window_).empty());
  EXPECT_EQ(cancelModes, 0);
}

TEST_F(SaverContextMenuTest, ChoiceClosesTheTrayMenuAndPostsTheCommand) {
  EXPECT_EQ(RightClick("&Choose", 2, 44001), 44001);
  EXPECT_EQ(tracked.calls, 1);
  EXPECT_EQ(tracked.flags, static_cast<UINT>(TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_RECURSE));
  EXPECT_EQ(tracked.flags, 259u);
  EXPECT_EQ(tracked.owner, window_);
  EXPECT_EQ(tracked.dump, "&Choose [41001]\n&Launch [44001]\nConfi&gure [45001]\n----\n&Properties [46001]\n");
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(tracked.at.x, cursor.x);
  EXPECT_EQ(AppState.clickPoint.y, tracked.at.y);
  EXPECT_EQ(cancelModes, 1);
  EXPECT_EQ(TakePostedCommands(window_), std::vector<int>{44001});
  EXPECT_TRUE(Contains(BufferedLog(), "Menu2"));
}

TEST_F(SaverContextMenuTest, EveryListGivesItsSaverIndex) {
  RightClick("&Launch", 0, 0);
  EXPECT_TRUE(tracked.dump.rfind("&Choose [41000]", 0) == 0) << tracked.dump;
  RightClick("C&onfigure", 1, 0);
  EXPECT_TRUE(tracked.dump.rfind("&Choose [41001]", 0) == 0) << tracked.dump;
  EXPECT_EQ(tracked.calls, 2);
}

TEST_F(SaverContextMenuTest, EscapeReturnsToTheTrayMenu) {
  EXPECT_EQ(RightClick("&Choose", 1, 0), 0);
  EXPECT_EQ(tracked.calls, 1);
  EXPECT_EQ(cancelModes, 0);
  EXPECT_TRUE(TakePostedCommands(window_).empty());
}

TEST_F(SaverContextMenuTest, PropertiesShowAnInformationBoxEvenWithoutDebugMessages) {
  SetShowDebugMessages(false);
  ShowSaverProperties(&AppState.savers[1]);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Name:\tSoap Bubbles\nFilename:\tbubbles.scr\nLocation:\tC:\\Savers\\");
  EXPECT_EQ(boxes()[0].caption, "Dozelite");
  EXPECT_TRUE(boxes()[0].type & MB_ICONINFORMATION);

  SaverInfo bare = {};
  ShowSaverProperties(&bare);
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[1].text, "Name:\t\nFilename:\t\nLocation:\t");
}

// The real menus, opened by the real window procedure: the tray menu with the sample
// savers, its "&Choose" list, then a right click on a saver in it.
TEST_F(SaverContextMenuTest, RealMenusOnTheScreen) {
  DestroyMenu(menu_);
  menu_ = nullptr;
  std::string folder = MakeTempFolder("screenshot savers");
  for (const char* name : {"aurora.scr", "bubbles.scr", "Lanterns.scr", "plasma.scr", "starlight.scr"})
    CopyFileA(BuildFilePath((std::string("savers\\") + name).c_str()).c_str(), (folder + "\\" + name).c_str(), FALSE);
  FreeSaverPaths();
  AppState.saverpath[0] = DuplicateText(folder.c_str());
  DispatchCommand(window_, kCmdRefreshSavers);
  ASSERT_EQ(AppState.saverCount, 5);
  SetSystemSaver(folder + "\\bubbles.scr");
  SetDesktopValue("ScreenSaveActive", "1");
  LoadWindowsSaverSettings();  // taken in as the registry watcher's reading would be
  AppState.clickPoint = POINT{200, 100};
  SetWindowPos(window_, HWND_TOP, 0, 0, 10, 10, SWP_SHOWWINDOW);

  std::atomic<bool> trayShown{false}, contextShown{false}, listShown{false};
  std::thread driver([&] {
    if (!WaitMenus(1)) return;
    trayShown = true;
    HWND top = MenuWindows()[0];
    PressKey(top, VK_DOWN);
    PressKey(top, VK_DOWN);
    PressKey(top, VK_RIGHT);  // "&Screen Saver"
    PressKey(top, VK_RIGHT);  // "&Choose"
    if (!WaitMenus(3)) return;
    listShown = true;
    SaveScreenshot(GetDesktopWindow(), "tray_menu");
    // Find the "&Choose" list among the open menus and right-click its second saver.
    for (HWND window : MenuWindows()) {
      HMENU shown = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
      if (shown && GetMenuItemID(shown, 0) == static_cast<UINT>(kCmdChooseNoSaver)) {
        PostMessageA(window_, WM_MENURBUTTONUP, 2, reinterpret_cast<LPARAM>(shown));
        break;
      }
    }
    if (WaitMenus(4)) {
      contextShown = true;
      SaveScreenshot(GetDesktopWindow(), "saver_context_menu");
      PressKey(MenuWindows()[0], VK_ESCAPE);
    }
    PostMessageA(window_, WM_CANCELMODE, 0, 0);
  });
  ShowTrayMenu(window_, 0);
  driver.join();
  EXPECT_TRUE(trayShown);
  EXPECT_TRUE(listShown);
  EXPECT_TRUE(contextShown);
  EXPECT_TRUE(TakePostedCommands(window_).empty());
  RemoveTree(folder);
}

}  // namespace
