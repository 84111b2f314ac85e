// The full-screen rule over plain rectangles and window facts. Programs that draw their
// own frame (browsers, editors) have no caption but keep a sizing frame and are
// maximised: on a monitor whose work area is the whole monitor (no taskbar on it, an
// auto-hidden taskbar) their client area covers it, so covering alone is not enough.
#include "holdoff/fullscreen_rule.h"

bool RectContains(const ScreenRect& outer, const ScreenRect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool CoversWholeMonitor(const ScreenRect& client, const ScreenRect& monitor) {
  if (monitor.right <= monitor.left || monitor.bottom <= monitor.top) return false;
  return RectContains(client, monitor);
}

bool IsFullScreenWindow(const FullScreenFacts& window) {
  if (window.shell || window.saver) return false;
  if (window.zoomed || window.caption || window.thickFrame) return false;
  return CoversWholeMonitor(window.client, window.monitor);
}
