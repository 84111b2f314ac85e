// The languages Dozelite speaks and how a requested language tag finds one of them.
// Portable: no <windows.h>.
#pragma once

struct LanguageInfo {
  const char* tag;     // as the catalogue's resource and the "language" setting name it
  const char* native;  // its own name, with its access key, for the Language menu
  const char* english;
};

// English first, the pseudo-language last (it is never matched from a system language).
const LanguageInfo* Languages(int* count);
// The language for one tag ("de-AT", "pt_PT", "zh-Hant-HK", "EN"), or -1: the exact tag,
// then the language with the tag's script or region ("zh-HK" and "zh-Hant" are
// Traditional Chinese), then the tag's first part alone.
int MatchLanguage(const char* tag);
// The first of `tags` (a list of zero-terminated tags ending with an empty one, as the
// system gives its preferred languages) that matches; English (0) when none does.
int MatchPreferredLanguage(const char* tags);
// The index of the pseudo-language, which tests use to find clipped or untranslated text.
int PseudoLanguage();
