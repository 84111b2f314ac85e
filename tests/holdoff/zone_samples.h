// Time zones for the tests of local time and schedules, as Windows describes them: a
// European, a US and a southern zone, each with both of its daylight-time changes.
#pragma once

#include "holdoff/local_time.h"

inline bool FixedRules(int, ZoneRules* rules, const void* context) {
  *rules = *static_cast<const ZoneRules*>(context);
  return true;
}

// Central Europe: +1, +2 from the last Sunday of March 02:00 to the last of October 03:00.
inline const ZoneRules kBerlinRules = {-60, 0, -60, {10, 5, 0, 0, 3 * 60}, {3, 5, 0, 0, 2 * 60}};
// US Eastern: -5, -4 from the second Sunday of March 02:00 to the first of November 02:00.
inline const ZoneRules kNewYorkRules = {300, 0, -60, {11, 1, 0, 0, 2 * 60}, {3, 2, 0, 0, 2 * 60}};
// Eastern Australia: +10, +11 from the first Sunday of October to the first of April 03:00.
inline const ZoneRules kSydneyRules = {-600, 0, -60, {4, 1, 0, 0, 3 * 60}, {10, 1, 0, 0, 2 * 60}};
inline const ZoneRules kUtcRules = {0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

inline const LocalZone kBerlin = {FixedRules, &kBerlinRules};
inline const LocalZone kNewYork = {FixedRules, &kNewYorkRules};
inline const LocalZone kSydney = {FixedRules, &kSydneyRules};
inline const LocalZone kUtcZone = {FixedRules, &kUtcRules};

// A UTC instant (or a local one, as a day and minute, for LocalDay and LocalMinute).
inline UtcMs Utc(int year, int month, int day, int hour, int minute) {
  return (DaysFromCivil(year, month, day) * kDayMinutes + hour * 60 + minute) * kMinuteMs;
}
