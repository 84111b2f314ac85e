// The user's time format from the system, in hours and minutes.
#include "language/clock_text.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

int FormatClockText(char* destination, int capacity, int minuteOfDay) {
  if (!destination || capacity <= 0) return 0;
  destination[0] = 0;
  int minute = ((minuteOfDay % 1440) + 1440) % 1440;
  SYSTEMTIME time = {};
  time.wYear = 2000;
  time.wMonth = 1;
  time.wDay = 1;
  time.wHour = static_cast<WORD>(minute / 60);
  time.wMinute = static_cast<WORD>(minute % 60);
  WCHAR wide[64];
  int length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, wide, 64);
  if (length > 0) {
    int written = WideCharToMultiByte(CP_UTF8, 0, wide, -1, destination, capacity, nullptr, nullptr);
    if (written > 0) return written - 1;
  }
  int written = snprintf(destination, static_cast<size_t>(capacity), "%02d:%02d", minute / 60, minute % 60);
  if (written < 0) destination[0] = 0;
  return written < 0 ? 0 : (written < capacity ? written : capacity - 1);
}
