// Weekly schedules that hold the saver off, in the portable core: the text of one schedule
// ("mon-fri 08:30-17:30"), and which schedule holds at an instant and when that changes.
#pragma once

#include "holdoff/local_time.h"

constexpr int kMaxHoldSchedules = 64;
constexpr int kScheduleLabelSize = 64;
constexpr int kScheduleTextSize = 64;  // the longest day list and span with room to spare
constexpr unsigned kEveryDay = 0x7f;   // bit 0 Sunday .. bit 6 Saturday, as weekdays count
constexpr unsigned kWorkDays = 0x3e;   // Monday to Friday
constexpr unsigned kWeekendDays = 0x41;

struct HoldSchedule {
  char label[kScheduleLabelSize];
  unsigned days;    // the days a span starts on
  int startMinute;  // 0..1439
  int endMinute;    // 0..1439; not after the start: the span ends the next day
  bool fromPolicy;  // given by the organisation: shown, never changed or saved with the user's
};

struct HoldSchedules {
  int count;
  HoldSchedule items[kMaxHoldSchedules];
};

// Reads "<days> <start>-<end>": days are day names (mon or monday, any case), ranges of
// them (mon-fri, fri-mon) and the words daily, weekdays and weekends, joined by commas;
// times are 24-hour H:MM or HH:MM, an end of 24:00 meaning midnight. On failure returns
// false with *problem pointing at a short description and *schedule untouched; on success
// sets the days and times (the label is the caller's).
bool ParseHoldSchedule(const char* text, HoldSchedule* schedule, const char** problem);
// The days as a schedule's text has them: "daily", "weekdays", "weekends", runs of three
// or more as ranges ("mon-fri"), other days by comma ("tue,thu"); "" for no day.
void FormatScheduleDays(unsigned days, char* text, int size);
// The same in the language in use, for the schedules list.
void FormatScheduleDaysText(unsigned days, char* text, int size);
// The whole text ParseHoldSchedule reads back to the same days and span.
void FormatHoldSchedule(const HoldSchedule& schedule, char* text, int size);
// "08:30-17:30".
void FormatScheduleSpan(const HoldSchedule& schedule, char* text, int size);

// Adds a schedule or replaces the one with the same label (labels compared ignoring ASCII
// case). False when the list is full, the label is empty, or the label is that of the
// organisation's schedule (which only a stronger policy's schedule replaces).
bool PutHoldSchedule(HoldSchedules* schedules, const HoldSchedule& schedule);
int FindHoldSchedule(const HoldSchedules& schedules, const char* label);
// False (and nothing removed) for an index out of range or the organisation's schedule.
bool RemoveHoldSchedule(HoldSchedules* schedules, int index);

// What the schedules do at `now`: the schedule in force (-1 for none; of several, the one
// that holds longest), the instant its hold ends (spans that follow on without a gap are
// one hold) and the local minute it ends at; and the next instant after now at which any
// schedule starts or ends (0 when none does within the coming week).
struct ScheduleMoment {
  int inForce;
  UtcMs endsAt;
  int endMinute;
  UtcMs nextChange;
};
void EvaluateHoldSchedules(const HoldSchedules& schedules, UtcMs now, const LocalZone& zone, ScheduleMoment* moment);
