// The look's timing. Each time-out's moment is the last input plus the time-out, less a
// lead (kFrontCheckLeadMs, at most half the time-out); the next look is the earliest such
// moment still ahead. A moment already here or past (the look that just fired, or the
// saver already running) counts from now, as if input came now: at rest the look then
// comes once per time-out less its lead, and after new input the next look still comes
// before that input's moment, when the time is known again.
#include "holdoff/front_check_delay.h"

uint32_t FrontCheckDelayMs(uint32_t now, uint32_t lastInput, const uint32_t* timeoutsMs, int count) {
  uint32_t idle = now - lastInput;       // the tick counts wrap every 49.7 days
  if (idle > 0x7fffffffu) idle = 0;      // input newer than the "now" read before it
  uint32_t next = 0;
  for (int n = 0; n < count; n++) {
    uint32_t timeout = timeoutsMs[n];
    if (timeout == 0) continue;
    uint32_t lead = timeout / 2 < kFrontCheckLeadMs ? timeout / 2 : kFrontCheckLeadMs;
    uint32_t due = timeout - lead;  // after the last input
    uint32_t delay = idle < due && due - idle >= kFrontCheckMinMs ? due - idle : due;
    if (next == 0 || delay < next) next = delay;
  }
  if (next != 0 && next < kFrontCheckMinMs) next = kFrontCheckMinMs;
  return next;
}
