// Finds a full-screen window in front: the detector shared by the hold-off rules and the
// corner watcher. Safe on any thread; reads nothing of AppState.
#pragma once

#include <windows.h>

// The foreground window when it covers its whole monitor, else nullptr. The desktop and
// shell windows and this process's own windows never count. *monitor (if given) receives
// the window's monitor, or nullptr.
HWND FindFullScreenForeground(HMONITOR* monitor);
