// The language at start, on the command line, from the Language submenu and after a
// reload: one place that turns the "language" setting into the language in use and says
// so in the log, as "Language: de-DE (from Windows)" or "Language: ja (chosen)".
#include "app/language_choice.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "holdoff/holdoff_state.h"
#include "language/language_tags.h"
#include "language/translate.h"
#include "log/log.h"
#include "settings/settings_store.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "tray/tray_icon.h"
#include "tray/tray_menu.h"

namespace {

// The first of the user's preferred display languages as the system names it ("de-DE");
// empty when the system gives none.
void WindowsLanguageTag(char* tag, int size) {
  tag[0] = 0;
  ULONG languages = 0;
  WCHAR wide[512];
  ULONG length = sizeof(wide) / sizeof(wide[0]);
  if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &languages, wide, &length) || length == 0) return;
  // Tags are ASCII: narrowed one character at a time, up to the first terminator.
  int i = 0;
  for (; i + 1 < size && wide[i] != 0; i++) tag[i] = wide[i] < 128 ? static_cast<char>(wide[i]) : '?';
  tag[i] = 0;
}

const char* TagOf(int index) {
  int count = 0;
  const LanguageInfo* languages = Languages(&count);
  return index >= 0 && index < count ? languages[index].tag : "";
}

}  // namespace

bool ApplyLanguageSetting() {
  int before = CurrentLanguage();
  const char* chosen = GetLanguageSetting();
  int wanted = chosen[0] ? MatchLanguage(chosen) : -1;
  if (chosen[0] && wanted < 0)
    LogMessage(kLogLogOnly, "Language: the setting names no language known here (\"%s\"): Windows' language is used",
               chosen);
  char shown[kLanguageSettingSize];
  const char* source = "chosen";
  if (wanted >= 0) {
    CopyText(shown, chosen, sizeof(shown));
  } else {
    WindowsLanguageTag(shown, sizeof(shown));
    if (!shown[0]) CopyText(shown, "en", sizeof(shown));
    wanted = WindowsLanguage();
    source = "from Windows";
  }
  bool loaded = UseLanguage(wanted);
  char line[256];
  snprintf(line, sizeof(line), "Language: %s (%s)", shown, source);
  char note[128] = "";
  if (!loaded)
    snprintf(note, sizeof(note), "; there is no catalogue for %s, %s is used", TagOf(wanted), CurrentLanguageTag());
  else if (MatchLanguage(shown) != CurrentLanguage())
    snprintf(note, sizeof(note), "; %s is used", CurrentLanguageTag());
  AppendText(line, note, sizeof(line));
  LogMessage(kLogLogOnly, "%s", line);
  return CurrentLanguage() != before;
}

bool TakeLanguageOption(const char* tag) {
  if (!tag) tag = "";
  int index = tag[0] ? MatchLanguage(tag) : -1;
  if (tag[0] && index < 0) {
    LogMessage(kLogLogOnly, "Language: \"%s\" on the command line names no language known here: refused", tag);
    return false;
  }
  // Kept as the language's own tag ("de-AT" is German: "de"), as the menu writes it.
  SetLanguageSetting(index < 0 ? "" : TagOf(index));
  ApplyLanguageSetting();
  return true;
}

void ChooseLanguage(int index) {
  SetLanguageSetting(index < 0 ? "" : TagOf(index));
  SaveSettings();
  ApplyLanguageSetting();
  // Every kept text is in the old language: the hold-off's reason is worded again, the
  // menu is built afresh at its next opening, and the tooltip now.
  EvaluateHoldOff();
  ForgetTrayMenu();
  if (AppState.mainWindow) UpdateTrayIcon(NIM_MODIFY);
}
