// Screen corner geometry over plain monitor rectangles: which corner zone of which
// monitor holds a point. Portable; the corner watcher feeds it the monitors it sees.
#pragma once

#include "holdoff/screen_rect.h"

enum ScreenCorner { kNoCorner = -1, kTopLeftCorner, kTopRightCorner, kBottomLeftCorner, kBottomRightCorner };

constexpr int kMaxCornerMonitors = 16;

struct CornerHit {
  ScreenCorner corner;
  int monitor;  // index into the monitor list; -1 with kNoCorner
};

// The monitors whose corners can fire, with the corners that can.
struct CornerLayout {
  ScreenRect monitors[kMaxCornerMonitors];
  unsigned char liveCorners[kMaxCornerMonitors];  // bit (1 << ScreenCorner) per corner that counts
  int count;
};

// The corner zone of one monitor under the point, or kNoCorner.
ScreenCorner FindRectCorner(const ScreenRect& monitor, long x, long y);
// Builds the layout from at most kMaxCornerMonitors monitors (the rest are left out).
void BuildCornerLayout(CornerLayout* layout, const ScreenRect* monitors, int count, int primary, bool everyMonitor);
CornerHit FindCorner(const CornerLayout& layout, long x, long y);
// Whether a full-screen window filling the monitor `covered` is over the layout's monitor
// `monitor` (a corner's), so that it holds that corner off.
bool FullScreenOverMonitor(const CornerLayout& layout, int monitor, const ScreenRect& covered);
