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
