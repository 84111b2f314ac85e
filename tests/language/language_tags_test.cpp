// From the tags Windows and users give to the languages Dozelite speaks: region and
// script variants, separators and case, and what must not match.
#include "language/language_tags.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Matched(const char* tag) {
  int index = MatchLanguage(tag);
  int count = 0;
  return index < 0 ? "-" : Languages(&count)[index].tag;
}

TEST(LanguageTags, FallBackFromRegionAndScriptToALanguageSpoken) {
  const struct {
    const char* tag;
    const char* language;
  } rows[] = {
      {"de-DE", "de"},       {"de-AT", "de"},       {"DE", "de"},          {"fr_CA", "fr"},     {"pt-BR", "pt-BR"},
      {"pt-PT", "pt-BR"},    {"pt", "pt-BR"},       {"zh-CN", "zh-CN"},    {"zh-SG", "zh-CN"},  {"zh", "zh-CN"},
      {"zh-Hans", "zh-CN"},  {"zh-HK", "zh-TW"},    {"zh-MO", "zh-TW"},    {"zh-Hant", "zh-TW"},
      {"zh-Hant-HK", "zh-TW"}, {"zh-Hans-HK", "zh-CN"}, {"zh_TW.UTF-8", "zh-TW"}, {"ja-JP", "ja"}, {"uk-UA", "uk"},
      {"en-GB", "en"},       {"qps-ploc", "qps-ploc"}, {"QPS-PLOC", "qps-ploc"}, {"qps", "-"},   {"xx-YY", "-"},
      {"", "-"},             {"-de", "-"},          {"d", "-"},            {"ukr", "-"},
  };
  for (const auto& row : rows) EXPECT_EQ(Matched(row.tag), row.language) << row.tag;
  EXPECT_EQ(MatchLanguage(nullptr), -1);
  EXPECT_EQ(MatchLanguage(std::string(300, 'a').c_str()), -1);
}

TEST(LanguageTags, ThePreferredListGivesItsFirstMatchOrEnglish) {
  int count = 0;
  const LanguageInfo* languages = Languages(&count);
  EXPECT_STREQ(languages[MatchPreferredLanguage("xx-XX\0nl-BE\0de-DE\0")].tag, "nl");
  EXPECT_EQ(MatchPreferredLanguage("xx\0yy\0"), 0);
  EXPECT_EQ(MatchPreferredLanguage("qps-ploc\0fr\0"), MatchLanguage("fr"));  // never from the system
  EXPECT_EQ(MatchPreferredLanguage(""), 0);
  EXPECT_EQ(MatchPreferredLanguage(nullptr), 0);
}

TEST(LanguageTags, EveryLanguageHasItsOwnAccessKeyInTheMenu) {
  int count = 0;
  const LanguageInfo* languages = Languages(&count);
  ASSERT_GE(count, 16);
  EXPECT_STREQ(languages[0].tag, "en");
  EXPECT_EQ(PseudoLanguage(), count - 1);
  std::string keys;
  for (int i = 0; i < count; i++) {
    const char* amp = strchr(languages[i].native, '&');
    ASSERT_NE(amp, nullptr) << languages[i].tag;
    // Keys are compared as their first byte, upper-cased for ASCII: enough to tell these apart.
    char key = static_cast<char>(toupper(static_cast<unsigned char>(amp[1])));
    std::string both = std::string(1, key) + (static_cast<unsigned char>(key) >= 0x80 ? std::string(1, amp[2]) : "");
    EXPECT_EQ(keys.find("|" + both + "|"), std::string::npos) << languages[i].tag << " repeats a key";
    keys += "|" + both + "|";
    EXPECT_EQ(MatchLanguage(languages[i].tag), i) << languages[i].tag;
  }
}

}  // namespace
