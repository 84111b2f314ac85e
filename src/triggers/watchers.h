// The three worker threads: registry watcher, corner watcher, update scheduler.
#pragma once

#include <windows.h>

DWORD WINAPI RegistryWatcherThread(void* parameter);
DWORD WINAPI CornerWatcherThread(void* parameter);
DWORD WINAPI UpdateSchedulerThread(void* parameter);

// Sets "CornersActionEvent" so a sleeping corner watcher looks at the switch at once.
void WakeCornerWatcher();
