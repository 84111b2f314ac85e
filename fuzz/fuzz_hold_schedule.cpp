// ParseHoldSchedule on any text: an accepted schedule has days and minutes in range, writes
// a text that reads back to the same schedule, and its windows at any instant are sane:
// the one in force ends after now, the next change lies ahead.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "holdoff/hold_schedule.h"

namespace {

bool CentralEurope(int, ZoneRules* rules, const void*) {
  *rules = {-60, 0, -60, {10, 5, 0, 0, 180}, {3, 5, 0, 0, 120}};
  return true;
}

HoldSchedules schedules;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  HoldSchedule schedule = {"fuzz", 0, 0, 0};
  const char* problem = nullptr;
  if (!ParseHoldSchedule(text.c_str(), &schedule, &problem)) {
    if (!problem || !problem[0]) abort();
    return 0;
  }
  if (schedule.days == 0 || (schedule.days & ~kEveryDay) || schedule.startMinute < 0 ||
      schedule.startMinute >= kDayMinutes || schedule.endMinute < 0 || schedule.endMinute >= kDayMinutes)
    abort();
  char written[kScheduleTextSize];
  FormatHoldSchedule(schedule, written, sizeof(written));
  HoldSchedule back = schedule;
  if (!ParseHoldSchedule(written, &back, &problem) || back.days != schedule.days ||
      back.startMinute != schedule.startMinute || back.endMinute != schedule.endMinute)
    abort();
  schedules.count = 0;
  if (!PutHoldSchedule(&schedules, schedule)) abort();
  // An instant in 2026 picked from the input, around the year's changes of daylight time.
  uint64_t seed = 0;
  for (size_t n = 0; n < size && n < 8; n++) seed = seed * 131 + data[n];
  UtcMs now = (DaysFromCivil(2026, 1, 1) + static_cast<int64_t>(seed % 365)) * kDayMs +
              static_cast<int64_t>(seed / 365 % kDayMinutes) * kMinuteMs;
  LocalZone zone = {CentralEurope, nullptr};
  ScheduleMoment moment;
  EvaluateHoldSchedules(schedules, now, zone, &moment);
  if (moment.inForce >= 0 && moment.endsAt <= now) abort();
  if (moment.nextChange != 0 && (moment.nextChange <= now || moment.nextChange > now + 10 * kDayMs)) abort();
  if (moment.nextChange == 0) abort();  // every accepted schedule starts within a week
  return 0;
}
