// Dialogs laid out for their texts: a dialog whose translated texts need more room than
// the template gave is widened, every control in proportion, until each text fits.
#pragma once

#include <windows.h>

// Measures every static text, button, check box, radio button and group box with its own
// font (wrapped where the control wraps) and stretches the dialog and its controls
// horizontally by the largest factor any of them needs, within the monitor's work area.
// English texts fit their templates, so an English dialog is left as it is.
void FitDialogToTexts(HWND dialog);
