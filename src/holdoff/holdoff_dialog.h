// The hold-off programs dialog.
#pragma once

#include <windows.h>

#include "holdoff/holdoff_rules.h"

// Edits the program rules of *rules; true when the user pressed OK (then *rules holds the
// edited list), false for Cancel or when the dialog was already open (then *rules is
// untouched and the open dialog is brought to the front).
bool ShowHoldOffProgramsDialog(HWND owner, HoldOffRules* rules);
// Brings the open programs dialog to the front; false when none is open.
bool BringHoldOffProgramsDialogToFront();
