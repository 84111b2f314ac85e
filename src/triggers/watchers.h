// The two watcher threads: registry watcher and corner watcher.
#pragma once

#include <windows.h>

DWORD WINAPI RegistryWatcherThread(void* parameter);
DWORD WINAPI CornerWatcherThread(void* parameter);

// Sets "CornersActionEvent" so a sleeping corner watcher looks at the switch at once.
void WakeCornerWatcher();

// The screen corner under a point of a width x height primary screen, or kNoCorner.
enum ScreenCorner { kNoCorner = -1, kTopLeftCorner, kTopRightCorner, kBottomLeftCorner, kBottomRightCorner };
ScreenCorner FindScreenCorner(int x, int y, int width, int height);
