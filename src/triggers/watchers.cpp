// The update scheduler's thread. The registry watcher and the corner watcher have files
// of their own; every worker reaches the main thread only by posting to it.
#include "triggers/watchers.h"

#include "update/update_scheduler.h"

// Checks for a newer version at once and then after randomised waits of hours or days.
DWORD WINAPI UpdateSchedulerThread(void*) { RunUpdateScheduler(); }
