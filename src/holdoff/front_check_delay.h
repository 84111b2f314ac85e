// When the hold-off looks at the window in front without being told of a change: the
// moment shortly before the saver or the display power-off would start. Portable core.
#pragma once

#include <cstdint>

constexpr uint32_t kFrontCheckLeadMs = 5000;  // how long before the time-out runs out
constexpr uint32_t kFrontCheckMinMs = 500;    // a look sooner than this is a look now

// Milliseconds from `now` to the next look, for the time-outs in force (ms, 0 for off)
// counted from the last input at `lastInput` (tick counts, 32 bits, wrapping). 0 when
// every time-out is off.
uint32_t FrontCheckDelayMs(uint32_t now, uint32_t lastInput, const uint32_t* timeoutsMs, int count);
