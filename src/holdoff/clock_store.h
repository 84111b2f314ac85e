// The clock's and the battery's values under HKEY_CURRENT_USER\Software\Dozelite\HoldOff:
// "until" (REG_QWORD, a FILETIME in UTC), "onbattery" and "batterylimit" (REG_DWORD), and
// the subkey "Schedules" with one REG_SZ per schedule (name: label; data: days and span).
#pragma once

#include "holdoff/clock_hold.h"

constexpr const char* kHoldUntilValue = "until";
constexpr const char* kOnBatteryValue = "onbattery";
constexpr const char* kBatteryLimitValue = "batterylimit";
constexpr const char* kSchedulesKey = "Software\\Dozelite\\HoldOff\\Schedules";
// An organisation's schedules, in the same form (HKLM, then HKCU; machine wins a label).
constexpr const char* kSchedulesPolicyKey = "Software\\Policies\\Dozelite\\HoldOff\\Schedules";

// The values above are not program rules.
bool IsClockValueName(const char* name);

// The stored end of the until hold, or 0 (none, or a value that is not a REG_QWORD).
UtcMs LoadHoldUntil();
// Stores the end; 0 removes the value.
bool SaveHoldUntil(UtcMs until);

// Reads the organisation's schedules (marked fromPolicy) and then the user's; each value
// that cannot be used gets one log line naming it and is left out (and left in the
// registry), as is a user's schedule with the label of one the organisation gives.
void LoadHoldSchedules(HoldSchedules* schedules);
// Writes every schedule of `schedules` and removes those of `previous` (as read) that are
// gone; values never read as schedules stay, and the organisation's are never written.
bool SaveHoldSchedules(const HoldSchedules& previous, const HoldSchedules& schedules);

void LoadBatteryRules(BatteryRules* rules);
