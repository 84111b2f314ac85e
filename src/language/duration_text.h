// Durations for menus, tooltips and dialogs in the language in use. Portable.
#pragma once

#include <cstdint>

// "1:05:00 Hours", "5:00 Minutes", "30 Seconds" (or "1 Second") in the language in use;
// returns the length written, 0 for a missing destination.
int FormatDurationText(char* destination, int capacity, uint32_t ms);
