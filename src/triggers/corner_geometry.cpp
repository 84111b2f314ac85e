// Corner zones and which monitor corners count.
//
// Zones are measured inside each monitor: the left and top zones are 5 pixels (the
// monitor's first five columns or rows), the right and bottom zones 4 (its last four).
// A point outside the monitor is never in one of its zones. On the primary monitor
// alone every corner counts. On every monitor, a corner counts only when no other
// monitor touches its corner point (edges are exclusive, so the top-right corner point
// of 0,0-1920,1080 is 1920,0): there the cursor passes on to the neighbour instead of
// stopping. A monitor with exactly the same rectangle is a mirror, not a neighbour.
#include "triggers/corner_geometry.h"

namespace {

constexpr long kLowZone = 5;
constexpr long kHighZone = 4;

// 0 the low zone, 1 the high zone, 2 neither (outside included).
int Zone(long position, long low, long high) {
  if (position < low || position >= high) return 2;
  if (position < low + kLowZone) return 0;
  if (position >= high - kHighZone) return 1;
  return 2;
}

bool SameRect(const ScreenRect& a, const ScreenRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Touches(const ScreenRect& rect, long x, long y) {
  return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

void CornerPoint(const ScreenRect& rect, int corner, long* x, long* y) {
  *x = (corner == kTopLeftCorner || corner == kBottomLeftCorner) ? rect.left : rect.right;
  *y = (corner == kTopLeftCorner || corner == kTopRightCorner) ? rect.top : rect.bottom;
}

bool IsSharedCorner(const ScreenRect* monitors, int count, int index, int corner) {
  long x;
  long y;
  CornerPoint(monitors[index], corner, &x, &y);
  for (int other = 0; other < count; other++) {
    if (other == index || SameRect(monitors[other], monitors[index])) continue;
    if (Touches(monitors[other], x, y)) return true;
  }
  return false;
}

}  // namespace

ScreenCorner FindRectCorner(const ScreenRect& monitor, long x, long y) {
  int column = Zone(x, monitor.left, monitor.right);
  int row = Zone(y, monitor.top, monitor.bottom);
  if (column == 2 || row == 2) return kNoCorner;
  if (row == 0) return column == 0 ? kTopLeftCorner : kTopRightCorner;
  return column == 0 ? kBottomLeftCorner : kBottomRightCorner;
}

void BuildCornerLayout(CornerLayout* layout, const ScreenRect* monitors, int count, int primary, bool everyMonitor) {
  if (count < 0) count = 0;
  if (count > kMaxCornerMonitors) count = kMaxCornerMonitors;
  layout->count = count;
  for (int i = 0; i < count; i++) {
    layout->monitors[i] = monitors[i];
    unsigned char live = 0;
    if (everyMonitor) {
      for (int corner = kTopLeftCorner; corner <= kBottomRightCorner; corner++)
        if (!IsSharedCorner(monitors, count, i, corner)) live |= static_cast<unsigned char>(1 << corner);
    } else if (i == primary) {
      live = 0x0F;
    }
    layout->liveCorners[i] = live;
  }
}

// Constant work per call: at most kMaxCornerMonitors rectangles are looked at.
CornerHit FindCorner(const CornerLayout& layout, long x, long y) {
  for (int i = 0; i < layout.count; i++) {
    if (!layout.liveCorners[i]) continue;
    ScreenCorner corner = FindRectCorner(layout.monitors[i], x, y);
    if (corner != kNoCorner && (layout.liveCorners[i] & (1 << corner))) return {corner, i};
  }
  return {kNoCorner, -1};
}

// Monitors are told apart by their rectangles: a full-screen window on a mirror of the
// corner's monitor is over that corner too.
bool FullScreenOverMonitor(const CornerLayout& layout, int monitor, const ScreenRect& covered) {
  return monitor >= 0 && monitor < layout.count && SameRect(layout.monitors[monitor], covered);
}
