// The three shapes of a duration: hours with minutes and seconds, minutes with seconds,
// or seconds alone, the last counted in words and so by the language's plural rule.
#include "language/duration_text.h"

#include <cstdio>

#include "language/text.h"

int FormatDurationText(char* destination, int capacity, uint32_t ms) {
  if (!destination || capacity <= 0) return 0;
  uint32_t seconds = ms / 1000;
  int written;
  if (seconds >= 3600)
    written = snprintf(destination, static_cast<size_t>(capacity), Tr("%u:%02u:%02u Hours"), seconds / 3600,
                       seconds % 3600 / 60, seconds % 60);
  else if (seconds >= 60)
    written = snprintf(destination, static_cast<size_t>(capacity), Tr("%u:%02u Minutes"), seconds / 60, seconds % 60);
  else
    written = snprintf(destination, static_cast<size_t>(capacity), TrN("%u Second", "%u Seconds", seconds), seconds);
  if (written < 0) destination[0] = 0;
  return written < 0 ? 0 : (written < capacity ? written : capacity - 1);
}
