// Civil dates and the local time zone in the portable core: instants are milliseconds of
// UTC since 1601-01-01 (a FILETIME divided by 10,000); the zone is the rule set Windows
// describes in a TIME_ZONE_INFORMATION, asked for year by year.
#pragma once

#include <cstdint>

using UtcMs = int64_t;
constexpr UtcMs kMinuteMs = 60 * 1000;
constexpr UtcMs kDayMs = 24 * 60 * kMinuteMs;
constexpr int kDayMinutes = 24 * 60;

// A change between standard and daylight time, as Windows gives it: in month `month`
// (0: the zone has no daylight time), on the `week`th (1..5, 5 the last) `weekday`
// (0 Sunday .. 6 Saturday) at `minute` of the day in the local time in force before the
// change; with `day` non-zero, on that day of the month instead.
struct ZoneChange {
  int month;
  int week;
  int weekday;
  int day;
  int minute;
};

// UTC = local + bias + standardBias (standard time) or + daylightBias (daylight time), in
// minutes, as TIME_ZONE_INFORMATION has them.
struct ZoneRules {
  int bias;
  int standardBias;
  int daylightBias;
  ZoneChange toStandard;
  ZoneChange toDaylight;
};

// The rules of one year; false when they are unknown (the caller falls back to UTC).
using ZoneRulesForYear = bool (*)(int year, ZoneRules* rules, const void* context);
struct LocalZone {
  ZoneRulesForYear rulesForYear;
  const void* context;
};

// A local date: day number since 1601-01-01 and its parts.
struct CivilDate {
  int year;
  int month;    // 1..12
  int day;      // 1..31
  int weekday;  // 0 Sunday .. 6 Saturday
};

int64_t DaysFromCivil(int year, int month, int day);  // days since 1601-01-01
CivilDate CivilFromDays(int64_t days);
int DaysInMonth(int year, int month);

// The local date and minute of the day at a UTC instant.
void UtcToLocal(UtcMs instant, const LocalZone& zone, int64_t* localDay, int* minuteOfDay);
// The UTC instant of a local day and minute (a minute of 1440 is the next day's midnight).
// A time that does not exist (skipped by the change to daylight time) is the change
// itself; one that happens twice is the first.
UtcMs LocalToUtc(int64_t localDay, int minuteOfDay, const LocalZone& zone);
// The first instant after `now` whose local time is `minuteOfDay`: today, or tomorrow
// when that time has passed (or is now).
UtcMs NextLocalTime(UtcMs now, int minuteOfDay, const LocalZone& zone);

// "HH:MM" of a minute of the day (24-hour); size at least 6.
void FormatClock(int minuteOfDay, char* text, int size);
// "HH:MM" or "H:MM" (hour 0..23, or 24:00 when allowed), to minutes; -1 when it is not.
int ParseClock(const char* text, int length, bool allow24);
