// Reason texts of the clock's holds and the battery's pause. Times are 24-hour local
// "HH:MM" whatever the user's format, so the log reads the same everywhere.
#include "holdoff/clock_hold.h"

#include <cstdio>

#include "language/text.h"
#include "shell/text_helpers.h"

namespace {

// The English text, or with `shown` its translation.
const char* Say(bool shown, const char* english) __attribute__((format_arg(2)));
const char* Say(bool shown, const char* english) { return shown ? Tr(english) : english; }

// An until hold wins over a schedule; `shown` picks the language in use.
bool ClockReason(const ClockHolds& holds, const char* untilClock, const char* endClock, bool shown, char* reason,
                 int size) {
  char text[480] = "";
  if (holds.untilMinute >= 0) {
    // Translators: why the saver is held off; %s is a clock time.
    snprintf(text, sizeof(text), Say(shown, TrNoop("held until %s")), untilClock);
  } else if (holds.scheduleLabel && holds.scheduleLabel[0]) {
    // Translators: why the saver is held off; the first %s is the schedule's name, the
    // second a clock time.
    char label[kScheduleLabelSize];
    CopyText(label, holds.scheduleLabel, sizeof(label));
    snprintf(text, sizeof(text), Say(shown, TrNoop("the schedule \"%s\" runs until %s")), label, endClock);
  }
  if (reason && size > 0) CopyText(reason, text, size);
  return text[0] != 0;
}

}  // namespace

bool ChooseClockReason(const ClockHolds& holds, char* reason, int size) {
  char untilClock[8] = "";
  char endClock[8] = "";
  if (holds.untilMinute >= 0) FormatClock(holds.untilMinute, untilClock, sizeof(untilClock));
  FormatClock(holds.scheduleEndMinute, endClock, sizeof(endClock));
  return ClockReason(holds, untilClock, endClock, false, reason, size);
}

bool ChooseClockReasonText(const ClockHolds& holds, const char* untilClock, const char* endClock, char* reason,
                           int size) {
  return ClockReason(holds, untilClock ? untilClock : "", endClock ? endClock : "", true, reason, size);
}

bool BatteryPausesHolds(const BatteryRules& rules, const PowerReading& power, char* why, int size, bool shown) {
  char text[160] = "";
  if (power.onBattery) {
    // Translators: why every hold is paused, in the tray's menu; %d is the charge in percent.
    if (!rules.onBattery)
      CopyText(text, Say(shown, TrNoop("on battery")), sizeof(text));
    else if (rules.limit > 0 && power.percent >= 0 && power.percent <= rules.limit)
      snprintf(text, sizeof(text), Say(shown, TrNoop("battery at %d%%")), power.percent);
  }
  if (why && size > 0) CopyText(why, text, size);
  return text[0] != 0;
}

int BatteryLimitOf(unsigned long stored) { return stored <= 99 ? static_cast<int>(stored) : 0; }
