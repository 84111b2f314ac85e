// Reason texts of the clock's holds and the battery's pause. Times are 24-hour local
// "HH:MM" whatever the user's format, so the log reads the same everywhere.
#include "holdoff/clock_hold.h"

#include <cstdio>

#include "shell/text_helpers.h"

bool ChooseClockReason(const ClockHolds& holds, char* reason, int size) {
  char text[160] = "";
  char clock[8];
  if (holds.untilMinute >= 0) {
    FormatClock(holds.untilMinute, clock, sizeof(clock));
    snprintf(text, sizeof(text), "held until %s", clock);
  } else if (holds.scheduleLabel && holds.scheduleLabel[0]) {
    FormatClock(holds.scheduleEndMinute, clock, sizeof(clock));
    snprintf(text, sizeof(text), "the schedule \"%.*s\" runs until %s", kScheduleLabelSize, holds.scheduleLabel,
             clock);
  }
  if (reason && size > 0) CopyText(reason, text, size);
  return text[0] != 0;
}

bool BatteryPausesHolds(const BatteryRules& rules, const PowerReading& power, char* why, int size) {
  char text[32] = "";
  if (power.onBattery) {
    if (!rules.onBattery)
      CopyText(text, "on battery", sizeof(text));
    else if (rules.limit > 0 && power.percent >= 0 && power.percent <= rules.limit)
      snprintf(text, sizeof(text), "battery at %d%%", power.percent);
  }
  if (why && size > 0) CopyText(why, text, size);
  return text[0] != 0;
}

int BatteryLimitOf(unsigned long stored) { return stored <= 99 ? static_cast<int>(stored) : 0; }
