// The hold-off programs dialog.
#pragma once

#include <windows.h>

#include "holdoff/holdoff_rules.h"

// Edits the program rules of *rules; true when the user pressed OK (then *rules holds the
// edited list), false for Cancel (then *rules is untouched).
bool ShowHoldOffProgramsDialog(HWND owner, HoldOffRules* rules);
