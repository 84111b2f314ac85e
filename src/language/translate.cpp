// The catalogues are compiled translations linked into the program as resources of type
// "TRANSLATION" named by their language tag; the one in use is read in place, so a
// language costs no memory until its pages are touched. English has no catalogue.
#include "language/translate.h"

#include <cstring>

#include "language/dialog_fit.h"
#include "language/language_tags.h"
#include "language/mo_catalog.h"

namespace {

MoCatalog catalog = {};
int current = 0;

// The catalogue resource of a language, or false when the program has none.
bool LoadCatalogue(const char* tag, MoCatalog* out) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, tag, "TRANSLATION");
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data && OpenMoCatalog(data, SizeofResource(module, found), out);
}

}  // namespace

bool UseLanguage(int index) {
  int count = 0;
  const LanguageInfo* languages = Languages(&count);
  if (index < 0 || index >= count) index = 0;
  MoCatalog next = {};
  bool loaded = index == 0 || LoadCatalogue(languages[index].tag, &next);
  catalog = loaded ? next : MoCatalog{};
  current = loaded ? index : 0;
  SetTranslation(current ? &catalog : nullptr);
  return loaded;
}

int CurrentLanguage() { return current; }

const char* CurrentLanguageTag() {
  int count = 0;
  return Languages(&count)[current].tag;
}

int WindowsLanguage() {
  // The preferred UI languages as a list of zero-terminated tags ending with an empty one.
  ULONG languages = 0;
  ULONG size = 0;
  if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &languages, nullptr, &size) || size == 0 || size > 4096)
    return 0;
  WCHAR wide[4096];
  if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &languages, wide, &size)) return 0;
  // Tags are ASCII: narrowed one character at a time.
  char tags[4096];
  ULONG i = 0;
  for (; i < size && i + 1 < sizeof(tags); i++) tags[i] = wide[i] < 128 ? static_cast<char>(wide[i]) : '?';
  tags[i] = 0;
  if (i + 1 < sizeof(tags)) tags[i + 1] = 0;
  return MatchPreferredLanguage(tags);
}

namespace {

BOOL CALLBACK TranslateChild(HWND child, LPARAM) {
  char className[16] = "";
  GetClassNameA(child, className, sizeof(className));
  if (lstrcmpiA(className, "Static") != 0 && lstrcmpiA(className, "Button") != 0) return TRUE;
  if (lstrcmpiA(className, "Static") == 0) {
    LONG type = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
    if (type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE) return TRUE;
  }
  char text[1024] = "";
  if (GetWindowTextA(child, text, sizeof(text)) <= 0) return TRUE;
  const char* translated = Tr(text);
  if (translated != text) SetWindowTextA(child, translated);
  return TRUE;
}

}  // namespace

void TranslateDialog(HWND dialog) {
  if (current == 0 || !dialog) return;
  char title[512] = "";
  if (GetWindowTextA(dialog, title, sizeof(title)) > 0) {
    const char* translated = Tr(title);
    if (translated != title) SetWindowTextA(dialog, translated);
  }
  EnumChildWindows(dialog, TranslateChild, 0);
  FitDialogToTexts(dialog);
}
