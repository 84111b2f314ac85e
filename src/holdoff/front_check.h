// The look at the window in front that needs no event (the emulator raises none, and a
// window that goes full screen in place raises none on Windows either): a one-shot timer
// of the main window, armed again after each look. Main thread only.
#pragma once

#include <windows.h>

constexpr DWORD kHeldLookMs = 500;  // while a window holds: how soon its end is seen

// Arms the look: every kHeldLookMs while `often`, else shortly before the saver or the
// display power-off would start, counted from the last input (no timer when both are
// off). `look` runs on the main thread when the timer fires.
void ArmFrontCheck(HWND window, UINT_PTR timer, bool often, TIMERPROC look);
