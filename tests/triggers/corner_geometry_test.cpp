#include "triggers/corner_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Layout = std::vector<ScreenRect>;

// Real layouts; the first monitor is the primary one.
const Layout kOne = {{0, 0, 1920, 1080}};
const Layout kSideBySideUneven = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
const Layout kStacked = {{0, 0, 1920, 1080}, {0, 1080, 1920, 2160}};
const Layout kLeftAndAbove = {{0, 0, 1920, 1080}, {-1600, -400, 0, 800}};
const Layout kThreeInAnL = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}, {0, 1080, 1920, 2160}};
// A 4K monitor at 150 % beside a 1080p one at 100 %, in the unscaled pixels hook events use.
const Layout kFourKBesideHd = {{0, 0, 3840, 2160}, {3840, 0, 5760, 1080}};
const Layout kMirrored = {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}};

// The monitor a full-screen window fills, for the rows that put one in front.
const ScreenRect kPrimaryHd = {0, 0, 1920, 1080};
const ScreenRect kRightOfPrimary = {1920, 0, 3200, 1024};

struct Case {
  const char* what;
  const Layout* layout;
  bool everyMonitor;
  long x, y;
  ScreenCorner corner;
  int monitor;
  const ScreenRect* fullScreen = nullptr;  // a full-screen window in front over this monitor
  bool heldOff = false;                    // it holds the corner found off
};

const Case kCases[] = {
    // Every zone edge: 5 pixels left and top, 4 right and bottom, inside the monitor.
    {"origin", &kOne, false, 0, 0, kTopLeftCorner, 0},
    {"last left/top pixel", &kOne, false, 4, 4, kTopLeftCorner, 0},
    {"past the left zone", &kOne, false, 5, 0, kNoCorner, -1},
    {"past the top zone", &kOne, false, 0, 5, kNoCorner, -1},
    {"first right-zone column", &kOne, false, 1916, 0, kTopRightCorner, 0},
    {"before the right zone", &kOne, false, 1915, 0, kNoCorner, -1},
    {"first bottom-zone row", &kOne, false, 0, 1076, kBottomLeftCorner, 0},
    {"before the bottom zone", &kOne, false, 0, 1075, kNoCorner, -1},
    {"last pixel", &kOne, false, 1919, 1079, kBottomRightCorner, 0},
    {"past the right edge", &kOne, false, 1920, 0, kNoCorner, -1},
    {"left of the screen", &kOne, false, -1, 0, kNoCorner, -1},

    // Primary only: the secondary never fires, the primary's shared corners still do.
    {"primary only: secondary", &kSideBySideUneven, false, 3199, 0, kNoCorner, -1},
    {"primary only: shared corner", &kSideBySideUneven, false, 1919, 0, kTopRightCorner, 0},
    {"primary only: negative monitor", &kLeftAndAbove, false, -1600, -400, kNoCorner, -1},

    // Side by side, different heights: the taller one's bottom-right is free.
    {"uneven: shared top-right", &kSideBySideUneven, true, 1919, 0, kNoCorner, -1},
    {"uneven: taller bottom-right", &kSideBySideUneven, true, 1919, 1079, kBottomRightCorner, 0},
    {"uneven: shorter bottom-left", &kSideBySideUneven, true, 1920, 1023, kNoCorner, -1},
    {"uneven: shorter bottom-right", &kSideBySideUneven, true, 3199, 1023, kBottomRightCorner, 1},

    {"stacked: shared bottom-left", &kStacked, true, 0, 1079, kNoCorner, -1},
    {"stacked: lower bottom-right", &kStacked, true, 1919, 2159, kBottomRightCorner, 1},

    // Left of and above the primary: negative coordinates, zones measured inside it.
    {"left-above: its top-left", &kLeftAndAbove, true, -1596, -396, kTopLeftCorner, 1},
    {"left-above: past its left zone", &kLeftAndAbove, true, -1595, -400, kNoCorner, -1},
    {"left-above: its free top-right", &kLeftAndAbove, true, -4, -400, kTopRightCorner, 1},
    {"left-above: before its right zone", &kLeftAndAbove, true, -5, -400, kNoCorner, -1},
    {"left-above: bottom-right on the primary", &kLeftAndAbove, true, -1, 799, kNoCorner, -1},
    {"left-above: primary top-left", &kLeftAndAbove, true, 0, 0, kNoCorner, -1},
    {"left-above: primary bottom-left", &kLeftAndAbove, true, 0, 1079, kBottomLeftCorner, 0},

    // Three in an L: only the outer corners count; the empty quadrant is nobody's.
    {"L: inner corner", &kThreeInAnL, true, 1919, 1079, kNoCorner, -1},
    {"L: right one's bottom-right", &kThreeInAnL, true, 3839, 1079, kBottomRightCorner, 1},
    {"L: lower one's top-right", &kThreeInAnL, true, 1919, 1080, kNoCorner, -1},
    {"L: lower one's bottom-right", &kThreeInAnL, true, 1919, 2159, kBottomRightCorner, 2},
    {"L: empty quadrant", &kThreeInAnL, true, 1920, 1080, kNoCorner, -1},

    {"4K: shared top-right", &kFourKBesideHd, true, 3839, 0, kNoCorner, -1},
    {"4K: free bottom-right", &kFourKBesideHd, true, 3839, 2159, kBottomRightCorner, 0},
    {"4K: 1080p bottom-left on the 4K edge", &kFourKBesideHd, true, 3840, 1079, kNoCorner, -1},

    {"a mirror is no neighbour", &kMirrored, true, 0, 0, kTopLeftCorner, 0},

    // A full-screen window holds off the corners of its own monitor only.
    {"full screen on the primary: its corner", &kSideBySideUneven, true, 1919, 1079, kBottomRightCorner, 0,
     &kPrimaryHd, true},
    {"full screen on the primary: the other monitor's corner", &kSideBySideUneven, true, 3199, 1023,
     kBottomRightCorner, 1, &kPrimaryHd, false},
    {"full screen on the other monitor: the primary's corner", &kSideBySideUneven, true, 0, 0, kTopLeftCorner, 0,
     &kRightOfPrimary, false},
    {"full screen on a mirror", &kMirrored, true, 0, 0, kTopLeftCorner, 0, &kPrimaryHd, true},
};

}  // namespace

TEST(FindCorner, FindsTheCornerAndMonitorOverRealLayouts) {
  for (const Case& c : kCases) {
    CornerLayout layout;
    BuildCornerLayout(&layout, c.layout->data(), static_cast<int>(c.layout->size()), 0, c.everyMonitor);
    CornerHit hit = FindCorner(layout, c.x, c.y);
    EXPECT_EQ(hit.corner, c.corner) << c.what;
    EXPECT_EQ(hit.monitor, c.monitor) << c.what;
    if (c.fullScreen) EXPECT_EQ(FullScreenOverMonitor(layout, hit.monitor, *c.fullScreen), c.heldOff) << c.what;
  }
}

TEST(FindCorner, ThePrimaryNeedNotComeFirstAndTheListIsCapped) {
  CornerLayout layout;
  BuildCornerLayout(&layout, kSideBySideUneven.data(), 2, 1, false);
  EXPECT_EQ(FindCorner(layout, 3199, 0).corner, kTopRightCorner);
  EXPECT_EQ(FindCorner(layout, 0, 0).corner, kNoCorner);

  std::vector<ScreenRect> many;
  for (long i = 0; i < kMaxCornerMonitors + 4; i++) many.push_back({i * 100, 0, i * 100 + 100, 100});
  BuildCornerLayout(&layout, many.data(), static_cast<int>(many.size()), 0, true);
  EXPECT_EQ(layout.count, kMaxCornerMonitors);
}
