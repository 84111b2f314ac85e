// The tray menu and the saver menu on top of it, while open. Their saver items name
// savers by position in the list and show the list's bitmaps, so the list must not be
// rebuilt under them: a rebuild asked for meanwhile waits until the last menu closes.
#pragma once

#include <windows.h>

// Held by whoever shows a menu, for as long as the menu's loop runs (main thread).
struct OpenMenuScope {
  explicit OpenMenuScope(HWND window);
  ~OpenMenuScope();
  OpenMenuScope(const OpenMenuScope&) = delete;
  OpenMenuScope& operator=(const OpenMenuScope&) = delete;
  HWND window;
};

// True when a menu is open: the rebuild is then noted and posted (command 40011) once
// the last menu has closed, behind the command chosen in it. False: rebuild now.
bool DeferSaverListRebuild();
