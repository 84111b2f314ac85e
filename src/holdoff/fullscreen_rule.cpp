// The full-screen rule over plain rectangles.
#include "holdoff/fullscreen_rule.h"

bool RectContains(const ScreenRect& outer, const ScreenRect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool CoversWholeMonitor(const ScreenRect& client, const ScreenRect& monitor) {
  if (monitor.right <= monitor.left || monitor.bottom <= monitor.top) return false;
  return RectContains(client, monitor);
}
