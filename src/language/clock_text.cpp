// The user's own time format comes from the system's locale settings, not from the
// language Dozelite speaks: a time reads the way the clock on the taskbar shows it.
#include "language/clock_text.h"

#include <windows.h>

#include <cstdio>

int FormatClockText(char* destination, int capacity, int minuteOfDay) {
  if (!destination || capacity <= 0) return 0;
  if (minuteOfDay < 0) minuteOfDay = 0;
  minuteOfDay %= 24 * 60;
  SYSTEMTIME time = {};
  time.wYear = 2000;
  time.wMonth = 1;
  time.wDay = 1;
  time.wHour = static_cast<WORD>(minuteOfDay / 60);
  time.wMinute = static_cast<WORD>(minuteOfDay % 60);
  WCHAR wide[64];
  int written = 0;
  if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, wide, 64) > 0)
    written = WideCharToMultiByte(CP_UTF8, 0, wide, -1, destination, capacity, nullptr, nullptr);
  if (written <= 0) {
    written = snprintf(destination, static_cast<size_t>(capacity), "%02d:%02d", minuteOfDay / 60, minuteOfDay % 60);
    if (written < 0) written = 0, destination[0] = 0;
    return written < capacity ? written : capacity - 1;
  }
  return written - 1;  // the count includes the terminator
}
