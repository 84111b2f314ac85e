// The clock's holds. Nothing polls: after each look at the clock one timer is armed for
// the earliest instant at which the answer can change (the until time, the next start or
// end of any schedule), and the events that can move that instant (a change of the time
// or the zone, a resume from sleep, a reload, a new setting) look again at once. A resume
// needs no special case: a window that ended while asleep is over at the first look, one
// that began has begun.
#include "holdoff/clock_holds.h"

#include <cstdio>
#include <cstring>

#include "holdoff/clock_store.h"
#include "holdoff/holdoff_state.h"
#include "holdoff/system_clock.h"
#include "language/clock_text.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/text_helpers.h"

namespace {

HWND timerWindow = nullptr;
UtcMs until = 0;  // the end of the until hold, or 0
int untilMinute = -1;
HoldSchedules schedules;  // 5 KB: kept off the stack
BatteryRules battery = kDefaultBatteryRules;
PowerReading power = {false, -1};

char clockReason[kHoldOffReasonSize] = "";
int inForce = -1;
char inForceLabel[kScheduleLabelSize] = "";  // its label as the last refresh found it
int inForceEndMinute = 0;
bool inForceFromPolicy = false;

void ArmTimer(UtcMs now, UtcMs next) {
  if (!timerWindow) return;
  if (next <= 0) {
    KillTimer(timerWindow, kTimerHoldOffClock);
    return;
  }
  UtcMs wait = next - now;
  if (wait < 1) wait = 1;
  if (wait > 0x7ffffffe) wait = 0x7ffffffe;  // the longest timer; it looks again then
  SetTimer(timerWindow, kTimerHoldOffClock, static_cast<UINT>(wait), nullptr);
}

void ReadPower() { power = PowerStatusEntry(); }

}  // namespace

void LoadClockHolds() {
  until = LoadHoldUntil();
  LoadHoldSchedules(&schedules);
  LoadBatteryRules(&battery);
}

void StartClockHolds(HWND window) {
  timerWindow = window;
  ReadPower();
}

void StopClockHolds() {
  if (timerWindow) KillTimer(timerWindow, kTimerHoldOffClock);
  timerWindow = nullptr;
  clockReason[0] = 0;
  inForce = -1;
  inForceFromPolicy = false;
}

void RefreshClockHolds() {
  const LocalZone& zone = SystemZone();
  UtcMs now = ClockEntry();
  if (until && until <= now) {
    until = 0;
    SaveHoldUntil(0);
  }
  untilMinute = -1;
  if (until) {
    int64_t day = 0;
    UtcToLocal(until, zone, &day, &untilMinute);
  }
  ScheduleMoment moment;
  EvaluateHoldSchedules(schedules, now, zone, &moment);
  inForce = moment.inForce;
  inForceEndMinute = moment.endMinute;
  ClockHolds holds = {untilMinute, inForce >= 0 ? schedules.items[inForce].label : nullptr, inForceEndMinute};
  ChooseClockReason(holds, clockReason, sizeof(clockReason));
  CopyText(inForceLabel, inForce >= 0 ? schedules.items[inForce].label : "", sizeof(inForceLabel));
  inForceFromPolicy = inForce >= 0 && schedules.items[inForce].fromPolicy;
  UtcMs next = moment.nextChange;
  if (until && (next == 0 || until < next)) next = until;
  ArmTimer(now, next);
  EvaluateHoldOff();
}

void OnClockChanged() {
  ForgetZoneRules();
  ReadPower();
  RefreshClockHolds();
}

void OnPowerStatusChanged() {
  ReadPower();
  EvaluateHoldOff();
}

void OnHoldOffPowerBroadcast(WPARAM event) {
  if (event == PBT_APMPOWERSTATUSCHANGE)
    OnPowerStatusChanged();
  else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND)
    OnClockChanged();
}

// The text in the language in use is made at each call, so it follows a change of the
// language or of the user's clock format at the next evaluation.
bool GetClockReason(char* reason, int size, bool shown) {
  if (!shown || !clockReason[0]) {
    CopyText(reason, clockReason, size);
    return clockReason[0] != 0;
  }
  ClockHolds holds = {untilMinute, inForceLabel[0] ? inForceLabel : nullptr, inForceEndMinute};
  char untilClock[64] = "";
  char endClock[64] = "";
  if (untilMinute >= 0) FormatClockText(untilClock, sizeof(untilClock), untilMinute);
  FormatClockText(endClock, sizeof(endClock), inForceEndMinute);
  ChooseClockReasonText(holds, untilClock, endClock, reason, size);
  return true;
}

bool ClockHoldIsPolicy() { return clockReason[0] && untilMinute < 0 && inForceFromPolicy; }

bool GetBatteryPause(char* why, int size, bool shown) { return BatteryPausesHolds(battery, power, why, size, shown); }

bool StartHoldUntil(int minuteOfDay) {
  if (minuteOfDay < 0 || minuteOfDay >= kDayMinutes) return false;
  UtcMs end = NextLocalTime(ClockEntry(), minuteOfDay, SystemZone());
  if (!SaveHoldUntil(end)) {
    LogMessage(kLogError, TrNoop("Error saving settings to registry"));
    return false;
  }
  until = end;
  RefreshClockHolds();
  return true;
}

void EndHoldUntil() {
  SaveHoldUntil(0);
  until = 0;
  RefreshClockHolds();
}

bool GetHoldUntil(int* minuteOfDay) {
  if (!until || untilMinute < 0) return false;
  if (minuteOfDay) *minuteOfDay = untilMinute;
  return true;
}

bool HoldUntilFromCommandLine(const char* value) {
  if (value[0] == '0' && value[1] == 0) return SaveHoldUntil(0);
  int minute = ParseClock(value, static_cast<int>(strnlen(value, 8)), false);
  if (minute < 0) {
    LogMessage(kLogLogOnly, "HoldOff: holduntil=%.32s ignored: the time must read HH:MM (24-hour) or 0", value);
    return false;
  }
  return SaveHoldUntil(NextLocalTime(ClockEntry(), minute, SystemZone()));
}

void LookAtClockHoldsOnce() {
  if (timerWindow) return;
  LoadClockHolds();
  ReadPower();
  RefreshClockHolds();
}

void GetHoldSchedules(HoldSchedules* copy) { *copy = schedules; }

bool SetHoldSchedules(const HoldSchedules& next) {
  bool saved = SaveHoldSchedules(schedules, next);
  schedules = next;
  RefreshClockHolds();
  return saved;
}

bool GetScheduleInForce(char* label, int size, int* endMinute) {
  if (inForce < 0 || inForce >= schedules.count) return false;
  CopyText(label, schedules.items[inForce].label, size);
  if (endMinute) *endMinute = inForceEndMinute;
  return true;
}
