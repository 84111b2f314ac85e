// The table of languages and the fallback from a system's language tag to one of them:
// a region or a script picks the variant where the language has two (Chinese, Portuguese),
// otherwise the language alone decides ("de-AT" is German, "pt-PT" Portuguese).
#include "language/language_tags.h"

#include <cctype>
#include <cstring>

namespace {

// Each native name keeps an access key unique within the Language menu.
const LanguageInfo kLanguages[] = {
    {"en", "&English", "English"},
    {"de", "&Deutsch", "German"},
    {"es", "E&spa\xC3\xB1ol", "Spanish"},
    {"fr", "&Fran\xC3\xA7" "ais", "French"},
    {"it", "&Italiano", "Italian"},
    {"nl", "&Nederlands", "Dutch"},
    {"pl", "&Polski", "Polish"},
    {"pt-BR", "Portugu\xC3\xAAs (&Brasil)", "Portuguese (Brazil)"},
    {"tr", "&T\xC3\xBCrk\xC3\xA7" "e", "Turkish"},
    {"ru", "&\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", "Russian"},  // Русский
    {"uk", "&\xD0\xA3\xD0\xBA\xD1\x80\xD0\xB0\xD1\x97\xD0\xBD\xD1\x81\xD1\x8C\xD0\xBA\xD0\xB0", "Ukrainian"},  // Українська
    {"ja", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E (&J)", "Japanese"},                      // 日本語
    {"ko", "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4 (&K)", "Korean"},                        // 한국어
    {"zh-CN", "\xE7\xAE\x80\xE4\xBD\x93\xE4\xB8\xAD\xE6\x96\x87 (&C)", "Chinese (Simplified)"},   // 简体中文
    {"zh-TW", "\xE7\xB9\x81\xE9\xAB\x94\xE4\xB8\xAD\xE6\x96\x87 (&H)", "Chinese (Traditional)"},  // 繁體中文
    {"qps-ploc", "[&Qps-ploc]", "Pseudo-language"},
};
constexpr int kLanguageCount = sizeof(kLanguages) / sizeof(kLanguages[0]);

// Tag parts compared without case, "-" and "_" alike; `length` bytes of `a` against `b`.
bool SamePart(const char* a, size_t length, const char* b) {
  if (strlen(b) != length) return false;
  for (size_t i = 0; i < length; i++) {
    char x = a[i] == '_' ? '-' : static_cast<char>(tolower(static_cast<unsigned char>(a[i])));
    char y = b[i] == '_' ? '-' : static_cast<char>(tolower(static_cast<unsigned char>(b[i])));
    if (x != y) return false;
  }
  return true;
}

int Exact(const char* tag, size_t length) {
  for (int i = 0; i < kLanguageCount; i++)
    if (SamePart(tag, length, kLanguages[i].tag)) return i;
  return -1;
}

// Later parts of a tag (script, region) that name a variant of a language.
struct Variant {
  const char* language;
  const char* part;
  const char* tag;
};
const Variant kVariants[] = {
    {"zh", "hant", "zh-TW"}, {"zh", "tw", "zh-TW"}, {"zh", "hk", "zh-TW"}, {"zh", "mo", "zh-TW"},
    {"zh", "hans", "zh-CN"}, {"zh", "cn", "zh-CN"}, {"zh", "sg", "zh-CN"}, {"zh", "my", "zh-CN"},
};
// The variant a language alone stands for.
const Variant kDefaults[] = {{"zh", "", "zh-CN"}, {"pt", "", "pt-BR"}};

}  // namespace

const LanguageInfo* Languages(int* count) {
  if (count) *count = kLanguageCount;
  return kLanguages;
}

int PseudoLanguage() { return kLanguageCount - 1; }

int MatchLanguage(const char* tag) {
  if (!tag || !tag[0]) return -1;
  size_t length = strlen(tag);
  if (length > 84) return -1;  // longer than any tag the system gives
  int exact = Exact(tag, length);
  if (exact >= 0) return exact;
  size_t first = strcspn(tag, "-_");
  if (first == 0) return -1;
  // Every later part may name a variant: "zh-Hant-HK", "zh-HK", "zh_TW.UTF-8".
  const char* part = tag + first;
  while (*part) {
    part++;
    size_t partLength = strcspn(part, "-_.@");
    for (const Variant& variant : kVariants)
      if (SamePart(tag, first, variant.language) && SamePart(part, partLength, variant.part))
        return Exact(variant.tag, strlen(variant.tag));
    part += partLength;
    if (*part == '.' || *part == '@') break;
  }
  for (const Variant& fallback : kDefaults)
    if (SamePart(tag, first, fallback.language)) return Exact(fallback.tag, strlen(fallback.tag));
  int language = Exact(tag, first);
  return language == PseudoLanguage() ? -1 : language;
}

int MatchPreferredLanguage(const char* tags) {
  if (!tags) return 0;
  for (const char* tag = tags; *tag; tag += strlen(tag) + 1) {
    int match = MatchLanguage(tag);
    if (match >= 0 && match != PseudoLanguage()) return match;
  }
  return 0;
}
