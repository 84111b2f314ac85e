// The language the program speaks: the "language" setting's choice, or Windows' own.
#pragma once

// Makes the language the setting names (or, for an empty or unknown setting, Windows'
// display language) the one in use and logs which it is and where it came from. Call
// before any window shows a text, and again after the setting changed. True when the
// language in use changed.
bool ApplyLanguageSetting();
// Sets and applies a tag from the command line (which saves the settings after its
// options), kept as the matched language's own tag; an unknown tag is refused with a log
// line and the setting kept. An empty tag follows Windows. True when taken.
bool TakeLanguageOption(const char* tag);
// A choice of the Language submenu: index -1 follows Windows, any other names a language
// of Languages(). Saves the setting and applies it at once: the kept tray menu is
// dropped and the tooltip made anew in the new language.
void ChooseLanguage(int index);
