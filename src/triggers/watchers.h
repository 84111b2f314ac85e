// The worker threads: registry watcher and update scheduler (the corner watcher has
// its own file).
#pragma once

#include <windows.h>

DWORD WINAPI RegistryWatcherThread(void* parameter);
DWORD WINAPI UpdateSchedulerThread(void* parameter);
