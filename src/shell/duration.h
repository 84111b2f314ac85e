// Durations in milliseconds, split into parts and formatted for menus and tooltips.
// Portable: no <windows.h>.
#pragma once

#include <cstdint>

// "%d:%02d:%02d Hours", "%d:%02d Minutes" or "%d Seconds"; 0 for a missing destination.
int FormatDuration(char* destination, int capacity, uint32_t ms);
void SplitDuration(uint32_t ms, int* hours, int* minutes, int* seconds, int* milliseconds);
// The total in milliseconds; not cut to 32 bits, so callers can refuse what does not fit.
uint64_t MakeDuration(uint64_t hours, uint64_t minutes, uint64_t seconds, uint64_t milliseconds);
