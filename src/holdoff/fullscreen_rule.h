// When a window counts as full screen: a portable rule shared by the hold-off and the
// corner watcher.
#pragma once

#include "holdoff/screen_rect.h"

// A window's client area, in screen coordinates, covers its whole monitor. A maximised
// window with a caption and borders leaves part of the monitor to its frame, so its
// client area never does.
bool CoversWholeMonitor(const ScreenRect& client, const ScreenRect& monitor);

// What the rule needs to know of one window, read from the system by the caller.
struct FullScreenFacts {
  ScreenRect client;   // the client area in screen coordinates
  ScreenRect monitor;  // the monitor the window is on
  bool zoomed;         // maximised
  bool caption;        // has a title bar
  bool thickFrame;     // has a sizing frame
  bool shell;          // the desktop or a shell window (taskbar, worker windows)
  bool saver;          // a running screen saver
};

// A window is full screen when it covers its whole monitor and is neither a maximised
// window, nor a window with a caption or a sizing frame, nor part of the shell, nor a
// screen saver.
bool IsFullScreenWindow(const FullScreenFacts& window);
