// Finds a full-screen window in front: the detector shared by the hold-off rules and the
// corner watcher. Safe on any thread; reads nothing of AppState.
#pragma once

#include <windows.h>

// The foreground window when it is full screen on its monitor (IsFullScreenWindow), else
// nullptr. This process's own windows never count, nor does anything while a screen saver
// runs. *monitor (if given) receives the window's monitor, or nullptr.
HWND FindFullScreenForeground(HMONITOR* monitor);
// The same test for a given window, in front or not.
bool IsWindowFullScreen(HWND window, HMONITOR* monitor);
// No other program's window lies over `window` on its monitor. This process's windows
// (the tray menu, a dialog), the window's own process's and the shell's do not count.
bool IsInFrontOfItsMonitor(HWND window);
