// When a window counts as full screen: a portable rule shared by the hold-off and the
// corner watcher.
#pragma once

#include "holdoff/screen_rect.h"

// A window is full screen when its client area, in screen coordinates, covers its whole
// monitor. A maximised window with a caption and borders leaves part of the monitor to
// its frame, so its client area never does.
bool CoversWholeMonitor(const ScreenRect& client, const ScreenRect& monitor);
