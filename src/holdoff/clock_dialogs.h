// The hold-off's clock dialogs: the time to hold until, and the weekly schedules.
// Nothing is saved here: the caller saves on OK.
#pragma once

#include <windows.h>

#include "holdoff/hold_schedule.h"

// The time to hold until (local, minutes of the day), starting from *minuteOfDay; true on OK.
bool ShowHoldUntilDialog(HWND owner, int* minuteOfDay);
// The schedules edited in place of *schedules; true on OK.
bool ShowSchedulesDialog(HWND owner, HoldSchedules* schedules);
