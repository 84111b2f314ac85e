// Not yet built: the watcher threads arrive with the triggers work; until then each
// thread ends at once.
#include "triggers/watchers.h"

DWORD WINAPI RegistryWatcherThread(void*) { return 0; }
DWORD WINAPI CornerWatcherThread(void*) { return 0; }
DWORD WINAPI UpdateSchedulerThread(void*) { return 0; }
void WakeCornerWatcher() {}
