// Duration splitting and formatting.
#include "shell/duration.h"

#include <cstdio>

int FormatDuration(char* destination, int capacity, uint32_t ms) {
  if (!destination || capacity <= 0) return 0;
  unsigned hours = ms / 3600000u;
  unsigned seconds = (ms / 1000u) % 3600u;
  if (hours != 0)
    snprintf(destination, capacity, "%u:%02u:%02u Hours", hours, seconds / 60, seconds % 60);
  else if (seconds / 60 != 0)
    snprintf(destination, capacity, "%u:%02u Minutes", seconds / 60, seconds % 60);
  else
    snprintf(destination, capacity, "%u Seconds", seconds % 60);
  return 1;
}

void SplitDuration(uint32_t ms, int* hours, int* minutes, int* seconds, int* milliseconds) {
  uint32_t withinHour = (ms / 1000u) % 3600u;
  if (hours) *hours = static_cast<int>(ms / 3600000u);
  if (minutes) *minutes = static_cast<int>(withinHour / 60u);
  if (seconds) *seconds = static_cast<int>(withinHour % 60u);
  if (milliseconds) *milliseconds = static_cast<int>(ms % 1000u);
}

uint64_t MakeDuration(uint64_t hours, uint64_t minutes, uint64_t seconds, uint64_t milliseconds) {
  return milliseconds + hours * 3600000u + minutes * 60000u + seconds * 1000u;
}
