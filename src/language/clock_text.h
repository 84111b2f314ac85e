// Clock times as the user reads them, for menus, lists and dialogs; the log keeps the
// 24-hour "HH:MM" of holdoff/local_time.
#pragma once

// The minute of the day (0..1439; 1440 is midnight at the end of the day) in the user's
// short time format without seconds ("5:30 PM", "17:30"); "HH:MM" when the system cannot
// format it. Returns the length written, 0 for a missing destination.
int FormatClockText(char* destination, int capacity, int minuteOfDay);
