// Clock times for menus and tooltips in the user's own format ("17:30", "5:30 PM").
#pragma once

// The time `minuteOfDay` (0..1439; others are taken modulo a day) as the user's locale
// writes hours and minutes, as UTF-8; returns the length written, 0 for a missing
// destination. Falls back to "17:30" where the system gives no format.
int FormatClockText(char* destination, int capacity, int minuteOfDay);
