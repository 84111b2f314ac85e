// The language in use: chosen from the program's catalogues, matched to Windows' own
// display language, and applied to dialog templates.
#pragma once

#include <windows.h>

#include "language/text.h"

// Makes language `index` (of Languages()) the one in use; false, and English in use,
// when the program carries no readable catalogue for it.
bool UseLanguage(int index);
int CurrentLanguage();
const char* CurrentLanguageTag();
// The language Windows shows its own interface in, matched to one Dozelite speaks.
int WindowsLanguage();

// Translates a dialog's title and the texts of its static controls and buttons, as the
// template gave them, and widens the dialog where they need more room (FitDialogToTexts);
// call first in WM_INITDIALOG. A procedure that sets longer texts itself calls
// FitDialogToTexts again once it has.
void TranslateDialog(HWND dialog);
