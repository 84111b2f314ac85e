// The update scheduler: checks at once, then again after randomised waits.
#pragma once

// Seconds to wait after a check with this result (1 newer, 0 none, else failed).
int UpdateWaitSeconds(int checkResult);
// The same wait as the scheduler sleeps it.
unsigned long UpdateWaitMilliseconds(int checkResult);
// The scheduler thread's body; never returns.
[[noreturn]] void RunUpdateScheduler();
