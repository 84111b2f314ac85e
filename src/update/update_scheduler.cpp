// The update scheduler thread's loop: an automatic (quiet) check at once, then a wait of
// 6.5 to 7.5 days when up to date, 11 to 13 hours after a newer version was reported
// and 5 to 7 hours after a failure. rand() keeps its sequence per thread here.
#include "update/update_scheduler.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "update/update_check.h"

int UpdateWaitSeconds(int checkResult) {
  if (checkResult == 0) {
    int hours = rand() % 24;
    int seconds = rand() % 3600;
    return 156 * 3600 + hours * 3600 + seconds;
  }
  if (checkResult == 1) return 39600 + rand() % 7200;
  return 18000 + rand() % 7200;
}

// The longest wait, 7.5 days, is 648,000,000 ms: well inside a DWORD.
unsigned long UpdateWaitMilliseconds(int checkResult) {
  return static_cast<unsigned long>(UpdateWaitSeconds(checkResult)) * 1000ul;
}

void RunUpdateScheduler() {
  srand(static_cast<unsigned>(time(nullptr)));
  for (;;) {
    int result = CheckForServerUpdates(false);
    Sleep(UpdateWaitMilliseconds(result));
  }
}
