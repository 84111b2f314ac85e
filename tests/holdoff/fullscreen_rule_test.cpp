#include "holdoff/fullscreen_rule.h"

#include <gtest/gtest.h>

namespace {

struct CoverCase {
  const char* what;
  ScreenRect client;
  ScreenRect monitor;
  bool covers;
};

}  // namespace

TEST(CoversWholeMonitor, OnlyAClientAreaOverTheWholeMonitorCounts) {
  const ScreenRect primary = {0, 0, 1280, 800};
  const ScreenRect right = {1280, 0, 3200, 1080};
  const CoverCase cases[] = {
      {"exactly the monitor", {0, 0, 1280, 800}, primary, true},
      {"larger than the monitor (borders pushed off screen)", {-8, -31, 1288, 808}, primary, true},
      {"maximised with a caption", {0, 23, 1280, 800}, primary, false},
      {"one pixel short on the right (exclusive edge)", {0, 0, 1279, 800}, primary, false},
      {"one pixel short at the bottom", {0, 0, 1280, 799}, primary, false},
      {"second monitor, covered", {1280, 0, 3200, 1080}, right, true},
      {"second monitor's size on the first monitor", {0, 0, 1920, 1080}, right, false},
      {"empty monitor", {0, 0, 1280, 800}, {0, 0, 0, 0}, false},
      {"inverted monitor", {0, 0, 1280, 800}, {1280, 800, 0, 0}, false},
  };
  for (const CoverCase& test : cases)
    EXPECT_EQ(CoversWholeMonitor(test.client, test.monitor), test.covers) << test.what;
}

// The window kinds met on a desktop, with the facts the system gives for each.
TEST(IsFullScreenWindow, OnlyAnUnframedUnzoomedWindowOverItsMonitorThatIsNoSaverOrShellCounts) {
  const ScreenRect monitor = {0, 0, 1280, 800};
  const ScreenRect whole = monitor;
  const ScreenRect larger = {-8, -8, 1288, 808};  // a maximised frame pushed off screen
  struct Case {
    const char* what;
    FullScreenFacts facts;
    bool fullScreen;
  };
  const Case cases[] = {
      // client, monitor, zoomed, caption, thickFrame, shell, saver
      {"popup covering the monitor (video player, game)", {whole, monitor, false, false, false, false, false}, true},
      {"borderless game window larger than the monitor", {larger, monitor, false, false, false, false, false}, true},
      {"popup over part of the monitor", {{0, 0, 1280, 760}, monitor, false, false, false, false, false}, false},
      {"maximised framed window, work area = monitor", {{0, 23, 1280, 800}, monitor, true, true, true, false, false},
       false},
      {"maximised framed window pushed larger than the monitor", {larger, monitor, true, true, true, false, false},
       false},
      {"maximised self-framed window (browser, editor)", {larger, monitor, true, false, true, false, false}, false},
      {"maximised borderless window", {whole, monitor, true, false, false, false, false}, false},
      {"frameless sizable popup covering the monitor", {whole, monitor, false, false, true, false, false}, false},
      {"captioned window sized over the monitor", {larger, monitor, false, true, false, false, false}, false},
      {"the desktop", {whole, monitor, false, false, false, true, false}, false},
      {"the shell's worker window", {larger, monitor, false, false, false, true, false}, false},
      {"a running screen saver", {whole, monitor, false, false, false, false, true}, false},
      {"a popup on an empty monitor", {whole, {0, 0, 0, 0}, false, false, false, false, false}, false},
  };
  for (const Case& test : cases) EXPECT_EQ(IsFullScreenWindow(test.facts), test.fullScreen) << test.what;
}
