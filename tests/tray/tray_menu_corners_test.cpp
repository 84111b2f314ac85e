// The corner options as the user meets them: the items of the corner submenu marked
// from the settings, and each item's command changing, saving and showing its option.
#include <gtest/gtest.h>

#include "app/dispatcher.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/menu_walker.h"

namespace {

class CornerOptionsTest : public AppFixture {
 protected:
  std::string Submenu(const char* title) {
    HMENU menu = BuildTrayMenu(window_, 0, MenuScreen{1280, 800, 19});
    std::string dump = DumpSubmenu(menu, title);
    DestroyMenu(menu);
    return dump;
  }
  std::string CornerMenu() { return Submenu("Screen &Corner Action"); }

  // How many delay items carry the check.
  size_t CheckedDelays() {
    std::string delays = Submenu("&Delay");
    size_t count = 0;
    for (size_t at = delays.find(" checked"); at != std::string::npos; at = delays.find(" checked", at + 1)) count++;
    return count;
  }

  DWORD Stored(const char* name) {
    DWORD value = 0xDEADBEEF;
    ReadRegistryDword(HKEY_CURRENT_USER, kSettingsKey, name, &value);
    return value;
  }
};

TEST_F(CornerOptionsTest, EachItemChangesSavesAndMarksItsOption) {
  struct Step {
    int command;
    DWORD scope, delay, fullScreen;
    const char* marked;  // the line the menu shows afterwards
  } steps[] = {
      {kCmdToggleCornerEveryMonitor, 1, 0, 0, "&Every Monitor [40110] checked bmp\n"},
      {kCmdCornerDelay150, 1, 150, 0, "  &150 ms [40113] checked bmp\n"},
      {kCmdCornerDelay300, 1, 300, 0, "  &300 ms [40114] checked bmp\n"},
      {kCmdCornerDelay500, 1, 500, 0, "  &500 ms [40115] checked bmp\n"},
      {kCmdCornerDelay1000, 1, 1000, 0, "  &1 s [40116] checked bmp\n"},
      {kCmdToggleCornersOverFullScreen, 1, 1000, 1, "Also Over &Full-Screen Windows [40111] checked bmp\n"},
      {kCmdCornerDelayNone, 1, 0, 1, "  &None [40112] checked bmp\n"},
      {kCmdToggleCornerEveryMonitor, 0, 0, 1, "&Every Monitor [40110] bmp\n"},
      {kCmdToggleCornersOverFullScreen, 0, 0, 0, "Also Over &Full-Screen Windows [40111] bmp\n"},
  };
  for (const Step& step : steps) {
    DispatchCommand(window_, step.command);
    EXPECT_EQ(Stored("cornerscope"), step.scope) << step.command;
    EXPECT_EQ(Stored("cornerdelay"), step.delay) << step.command;
    EXPECT_EQ(Stored("cornersfullscreen"), step.fullScreen) << step.command;
    std::string menu = CornerMenu();
    EXPECT_TRUE(Contains(menu, step.marked)) << menu;
    EXPECT_EQ(CheckedDelays(), 1u) << menu;
  }
}

TEST_F(CornerOptionsTest, ADelayFromOutsideTheMenuChecksNoDelayItem) {
  AppState.cornerdelay = 250;
  EXPECT_EQ(CheckedDelays(), 0u) << CornerMenu();
}

}  // namespace
