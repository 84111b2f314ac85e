// Every text the user sees passes through Tr (or TrN where a count is shown in words)
// with its English text and comes back in the language in use. The log, registry names,
// command-line words and the update protocol stay English. Portable: no <windows.h>.
#pragma once

#include <cstdint>

struct MoCatalog;

// The text in the language in use, or `english` itself. Never nullptr for a non-null
// `english`; a translation stays valid until the program ends.
const char* Tr(const char* english) __attribute__((format_arg(1)));
// The form of a counted text for `count` ("%d minute" / "%d minutes"), by the language's
// own plural rule; English uses `singular` for 1 only.
const char* TrN(const char* singular, const char* plural, uint64_t count) __attribute__((format_arg(1)))
__attribute__((format_arg(2)));
// Marks a text for the catalogue where it is kept in a table, logged in English or
// formatted later, and passed through Tr when shown.
#define TrNoop(english) english

// The catalogue in use; nullptr for English. Set by the main thread before any window
// shows a text; `catalog` must outlive its use.
void SetTranslation(const MoCatalog* catalog);
// While on, Tr and TrN give English on the calling thread only: for a log line built by
// the same code that builds the text shown.
void SetEnglishOnThisThread(bool english);
