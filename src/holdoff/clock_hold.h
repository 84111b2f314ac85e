// The holds that come from the clock (a hold until a time, a schedule in force) and the
// battery's pause of every hold, in the portable core: their reason texts and rules.
#pragma once

#include "holdoff/hold_schedule.h"

// What the clock holds now: an until hold (untilMinute < 0 for none) and a schedule in
// force (label null for none), each with the local minute it ends at.
struct ClockHolds {
  int untilMinute;
  const char* scheduleLabel;
  int scheduleEndMinute;
};

// "held until 17:30", else "the schedule "<label>" runs until 17:30", cut to size; false
// with an empty reason when the clock holds nothing. An until hold wins over a schedule.
bool ChooseClockReason(const ClockHolds& holds, char* reason, int size);
// The same in the language in use, with the until time and the schedule's end as the
// caller wrote them (the user's clock format).
bool ChooseClockReasonText(const ClockHolds& holds, const char* untilClock, const char* endClock, char* reason,
                           int size);

// The battery settings: onBattery 0 pauses every hold on battery; limit 1..99 pauses them
// on battery at or below that percentage (0: no limit).
struct BatteryRules {
  int onBattery;
  int limit;
};
// The power source: percent -1 when the charge is unknown.
struct PowerReading {
  bool onBattery;
  int percent;
};
constexpr BatteryRules kDefaultBatteryRules = {1, 0};

// Whether the battery pauses holds, with why ("on battery", "battery at 18%") cut to size.
// In English for the log, or with `shown` in the language in use.
bool BatteryPausesHolds(const BatteryRules& rules, const PowerReading& power, char* why, int size,
                        bool shown = false);
// The limit as stored: anything outside 0..99 is no limit.
int BatteryLimitOf(unsigned long stored);
