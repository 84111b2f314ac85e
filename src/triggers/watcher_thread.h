// The resident program's one watcher thread: it serves the registry watch and the corner
// watch together, so that both cost one thread.
#pragma once

#include <windows.h>

DWORD WINAPI WatcherThread(void* parameter);
