// The time pickers of the clock's dialogs: the user's short time format (no seconds), and
// a time of day in minutes put in and read out.
#pragma once

#include <windows.h>

// Binds the date and time picker class (comctl32 is loaded at its first call).
void InitTimePickers();
void SetUpTimePicker(HWND picker, int minuteOfDay);
int TimePickerMinute(HWND picker);  // 0..1439
