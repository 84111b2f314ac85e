// Screen rectangles for the portable core: the same edges as a Win32 RECT (right and
// bottom exclusive), without <windows.h>.
#pragma once

struct ScreenRect {
  long left;
  long top;
  long right;
  long bottom;
};

// True when outer contains inner whole (edges may touch).
bool RectContains(const ScreenRect& outer, const ScreenRect& inner);
