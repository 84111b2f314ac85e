// The user's language: every text the user sees passes through Tr (or TrN where a count
// is shown in words) with its English text, and comes back in the language in use.
// The log, registry names, command-line words and the update protocol stay English.
#pragma once

#include <windows.h>

#include <cstdint>

// The text in the language in use: a translation kept in the program's resources, or
// `english` itself. Never nullptr for a non-null `english`; valid until the program ends.
const char* Tr(const char* english) __attribute__((format_arg(1)));
// The form of a counted text for `count` ("%d minute" / "%d minutes"), by the language's
// own plural rule; English uses `singular` for 1 only.
const char* TrN(const char* singular, const char* plural, uint64_t count) __attribute__((format_arg(1)))
__attribute__((format_arg(2)));
// Marks a text for the catalogue where it is kept in a table and translated when shown.
#define TrNoop(english) english

// Makes language `index` (of Languages()) the one in use; false, and English in use,
// when the program carries no readable catalogue for it.
bool UseLanguage(int index);
int CurrentLanguage();
const char* CurrentLanguageTag();
// The language Windows shows its own interface in, matched to one Dozelite speaks.
int WindowsLanguage();

// Translates a dialog's title and the texts of its static controls and buttons, as the
// template gave them; call first in WM_INITDIALOG.
void TranslateDialog(HWND dialog);
