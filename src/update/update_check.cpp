// Not yet built: the update check arrives with the update work; until then a check
// reports failure.
#include "update/update_check.h"

#include "shell/text_helpers.h"

int CheckForServerUpdates(bool) { return 0; }
int BuildTrackedUrl(char* destination, int capacity, const char* address) {
  CopyText(destination, address, capacity);
  return 0;
}
