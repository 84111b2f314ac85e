// The holds of the clock (until a time, the weekly schedules) and the battery's pause, kept
// current by one timer armed for the next instant that matters. Main thread only, except
// where a function says otherwise.
#pragma once

#include <windows.h>

#include "holdoff/clock_hold.h"

constexpr UINT_PTR kTimerHoldOffClock = 919;  // of the hold-off block 910..919

// Reads the until time, the schedules and the battery settings (a start or a reload).
void LoadClockHolds();
// Arms the timer on `window` from now on; StopClockHolds kills it.
void StartClockHolds(HWND window);
void StopClockHolds();

// Looks at the clock again (the timer, a time change, a resume, a changed setting): ends
// an until time that has passed, finds the schedule in force, re-arms the timer and has
// the hold-off evaluated.
void RefreshClockHolds();
// The system's clock or zone changed (WM_TIMECHANGE) or it woke (resume): the zone's rules
// are read again, then as RefreshClockHolds.
void OnClockChanged();
// The power source changed (PBT_APMPOWERSTATUSCHANGE): reads it and re-evaluates.
void OnPowerStatusChanged();
// WM_POWERBROADCAST: a change of the power source, or a resume (as OnClockChanged).
void OnHoldOffPowerBroadcast(WPARAM event);

// The reason the clock holds now ("" none), as the last refresh found it: in English for
// the log, or with `shown` in the language in use with the user's clock format.
bool GetClockReason(char* reason, int size, bool shown = false);
// True when the clock holds by a schedule the organisation gives (an until hold, which
// wins over schedules, is the user's).
bool ClockHoldIsPolicy();
// Why the battery pauses holds now ("" not), the same way.
bool GetBatteryPause(char* why, int size, bool shown = false);

// The until hold: starts it at the next `minuteOfDay` in local time (stored at once) or
// ends it; GetHoldUntil tells its local minute, false when none runs.
bool StartHoldUntil(int minuteOfDay);
void EndHoldUntil();
bool GetHoldUntil(int* minuteOfDay);
// The command line's "holduntil=HH:MM" or "holduntil=0": stores or removes the end time
// for this copy or a running one to read. False (with a log line) for a value that is not.
bool HoldUntilFromCommandLine(const char* value);

// In a copy whose hold-off has not started (one run to diagnose), reads the settings,
// the power source and the clock once; otherwise nothing.
void LookAtClockHoldsOnce();

// The schedules in force (a copy), and a new list, saved and applied.
void GetHoldSchedules(HoldSchedules* schedules);
bool SetHoldSchedules(const HoldSchedules& schedules);
// The label and end of the schedule in force, for the diagnosis; false when none.
bool GetScheduleInForce(char* label, int size, int* endMinute);
