// Local time from the zone's rules, without the system's help, so the portable core and its
// tests can walk any zone through its changes. A year's two changes are found as Windows
// finds them (the nth weekday of a month, or a fixed day), each at the local time in force
// before it; daylight time holds between them (across the new year south of the equator).
#include "holdoff/local_time.h"

#include <cstdio>

namespace {

constexpr int64_t kDaysFrom1601To1970 = 134774;

int64_t FloorDiv(int64_t value, int64_t divisor) {
  int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

int WeekdayOf(int64_t days) {  // 1601-01-01 was a Monday
  return static_cast<int>(((days % 7) + 7 + 1) % 7);
}

const ZoneRules kUtc = {0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

ZoneRules RulesOf(const LocalZone& zone, int year) {
  ZoneRules rules = kUtc;
  if (!zone.rulesForYear || !zone.rulesForYear(year, &rules, zone.context)) return kUtc;
  return rules;
}

bool HasDaylight(const ZoneRules& rules) {
  return rules.toDaylight.month >= 1 && rules.toDaylight.month <= 12 && rules.toStandard.month >= 1 &&
         rules.toStandard.month <= 12;
}

// The local day of a change in `year`.
int64_t ChangeDay(const ZoneChange& change, int year) {
  int length = DaysInMonth(year, change.month);
  int day;
  if (change.day > 0) {
    day = change.day < length ? change.day : length;
  } else {
    int64_t first = DaysFromCivil(year, change.month, 1);
    int week = change.week < 1 ? 1 : change.week;
    day = 1 + ((change.weekday % 7) - WeekdayOf(first) + 7) % 7 + (week - 1) * 7;
    while (day > length) day -= 7;
  }
  return DaysFromCivil(year, change.month, day);
}

struct Changes {
  UtcMs toDaylight;
  UtcMs toStandard;
};

Changes ChangesOf(const ZoneRules& rules, int year) {
  Changes changes;
  changes.toDaylight = ChangeDay(rules.toDaylight, year) * kDayMs + rules.toDaylight.minute * kMinuteMs +
                       static_cast<UtcMs>(rules.bias + rules.standardBias) * kMinuteMs;
  changes.toStandard = ChangeDay(rules.toStandard, year) * kDayMs + rules.toStandard.minute * kMinuteMs +
                       static_cast<UtcMs>(rules.bias + rules.daylightBias) * kMinuteMs;
  return changes;
}

bool IsDaylight(UtcMs instant, const Changes& changes) {
  if (changes.toDaylight < changes.toStandard)
    return instant >= changes.toDaylight && instant < changes.toStandard;
  return instant >= changes.toDaylight || instant < changes.toStandard;
}

int YearOfLocal(UtcMs local) { return CivilFromDays(FloorDiv(local, kDayMs)).year; }

}  // namespace

int64_t DaysFromCivil(int year, int month, int day) {
  // Days since 1970-01-01 in the proleptic Gregorian calendar (eras of 400 years).
  int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  int64_t era = FloorDiv(y, 400);
  int64_t yearOfEra = y - era * 400;
  int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468 + kDaysFrom1601To1970;
}

CivilDate CivilFromDays(int64_t days) {
  int64_t z = days - kDaysFrom1601To1970 + 719468;
  int64_t era = FloorDiv(z, 146097);
  int64_t dayOfEra = z - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t mp = (5 * dayOfYear + 2) / 153;
  CivilDate date;
  date.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
  date.weekday = WeekdayOf(days);
  return date;
}

int DaysInMonth(int year, int month) {
  static const int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 30;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kLengths[month - 1];
}

void UtcToLocal(UtcMs instant, const LocalZone& zone, int64_t* localDay, int* minuteOfDay) {
  // The rules are those of the year as the local standard time counts it.
  int year = YearOfLocal(instant);
  ZoneRules rules = RulesOf(zone, year);
  int localYear = YearOfLocal(instant - static_cast<UtcMs>(rules.bias + rules.standardBias) * kMinuteMs);
  if (localYear != year) {
    year = localYear;
    rules = RulesOf(zone, year);
  }
  int offset = rules.bias + rules.standardBias;
  if (HasDaylight(rules) && IsDaylight(instant, ChangesOf(rules, year))) offset = rules.bias + rules.daylightBias;
  UtcMs local = instant - static_cast<UtcMs>(offset) * kMinuteMs;
  *localDay = FloorDiv(local, kDayMs);
  *minuteOfDay = static_cast<int>((local - *localDay * kDayMs) / kMinuteMs);
}

UtcMs LocalToUtc(int64_t localDay, int minuteOfDay, const LocalZone& zone) {
  UtcMs local = localDay * kDayMs + minuteOfDay * kMinuteMs;
  int year = YearOfLocal(local);
  ZoneRules rules = RulesOf(zone, year);
  UtcMs asStandard = local + static_cast<UtcMs>(rules.bias + rules.standardBias) * kMinuteMs;
  if (!HasDaylight(rules)) return asStandard;
  UtcMs asDaylight = local + static_cast<UtcMs>(rules.bias + rules.daylightBias) * kMinuteMs;
  Changes changes = ChangesOf(rules, year);
  bool standardFits = !IsDaylight(asStandard, changes);
  bool daylightFits = IsDaylight(asDaylight, changes);
  if (standardFits && daylightFits) return asStandard < asDaylight ? asStandard : asDaylight;  // twice: the first
  if (standardFits) return asStandard;
  if (daylightFits) return asDaylight;
  // Skipped: the time falls in the gap that one of the changes opened; it happens at that change.
  UtcMs low = asStandard < asDaylight ? asStandard : asDaylight;
  UtcMs high = asStandard < asDaylight ? asDaylight : asStandard;
  if (changes.toDaylight >= low && changes.toDaylight <= high) return changes.toDaylight;
  if (changes.toStandard >= low && changes.toStandard <= high) return changes.toStandard;
  return asStandard;
}

UtcMs NextLocalTime(UtcMs now, int minuteOfDay, const LocalZone& zone) {
  int64_t today = 0;
  int minute = 0;
  UtcToLocal(now, zone, &today, &minute);
  for (int64_t day = today - 1; day <= today + 2; day++) {
    UtcMs instant = LocalToUtc(day, minuteOfDay, zone);
    if (instant > now) return instant;
  }
  return LocalToUtc(today + 1, minuteOfDay, zone);
}

void FormatClock(int minuteOfDay, char* text, int size) {
  if (!text || size <= 0) return;
  if (minuteOfDay < 0) minuteOfDay = 0;
  snprintf(text, static_cast<size_t>(size), "%02d:%02d", (minuteOfDay / 60) % 100, minuteOfDay % 60);
}

int ParseClock(const char* text, int length, bool allow24) {
  if (!text || length < 4 || length > 5) return -1;
  int colon = length - 3;
  if (text[colon] != ':') return -1;
  int hour = 0;
  for (int n = 0; n < colon; n++) {
    if (text[n] < '0' || text[n] > '9') return -1;
    hour = hour * 10 + (text[n] - '0');
  }
  if (text[colon + 1] < '0' || text[colon + 1] > '5' || text[colon + 2] < '0' || text[colon + 2] > '9') return -1;
  int minute = (text[colon + 1] - '0') * 10 + (text[colon + 2] - '0');
  if (hour == 24 && minute == 0 && allow24) return kDayMinutes;
  if (hour > 23) return -1;
  return hour * 60 + minute;
}
