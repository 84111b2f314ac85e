// Compiled translations as the build links them in, and as a damaged resource could be:
// lookups, counted forms by the language's rule, the other byte order, and every way a
// table or text can point outside the data, which must refuse the whole catalogue.
#include "language/mo_catalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

void Put(std::string* out, uint32_t value, bool swapped) {
  if (swapped) value = (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
  out->append(reinterpret_cast<const char*>(&value), 4);
}

// The layout msgfmt writes: header, the two tables, then the texts each with its zero.
std::string BuildMo(Pairs pairs, bool swapped = false, bool sort = true) {
  if (sort) std::sort(pairs.begin(), pairs.end());
  uint32_t count = static_cast<uint32_t>(pairs.size());
  uint32_t originals = 28;
  uint32_t translations = originals + count * 8;
  uint32_t texts = translations + count * 8;
  std::string head, tables[2], body;
  for (int side = 0; side < 2; side++)
    for (const auto& pair : pairs) {
      const std::string& text = side == 0 ? pair.first : pair.second;
      Put(&tables[side], static_cast<uint32_t>(text.size()), swapped);
      Put(&tables[side], texts + static_cast<uint32_t>(body.size()), swapped);
      body += text;
      body.push_back('\0');
    }
  Put(&head, 0x950412DEu, swapped);
  for (uint32_t value : {0u, count, originals, translations, 0u, 0u}) Put(&head, value, swapped);
  return head + tables[0] + tables[1] + body;
}

const char kRussianHeader[] =
    "Content-Type: text/plain; charset=UTF-8\n"
    "Plural-Forms: nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 "
    ": 2);\n";

Pairs RussianPairs() {
  return {{"", kRussianHeader},
          {"&Settings", "&Settings-ru"},
          {"Cancel", ""},  // present but not translated
          {std::string("%u Second\0%u Seconds", 20), std::string("one\0few\0many", 12)},
          {std::string("%u Day\0%u Days", 14), std::string("only one form", 13)}};
}

TEST(MoCatalog, LooksUpTextsAndCountedFormsByTheLanguagesRule) {
  for (bool swapped : {false, true}) {
    std::string data = BuildMo(RussianPairs(), swapped);
    MoCatalog catalog;
    ASSERT_TRUE(OpenMoCatalog(data.data(), data.size(), &catalog)) << swapped;
    EXPECT_STREQ(LookupMo(catalog, "&Settings"), "&Settings-ru");
    EXPECT_EQ(LookupMo(catalog, "&settings"), nullptr);  // exact bytes only
    EXPECT_EQ(LookupMo(catalog, "Cancel"), nullptr);     // an empty translation falls back to English
    EXPECT_EQ(LookupMo(catalog, ""), nullptr);           // the header is not a text
    EXPECT_EQ(LookupMo(catalog, "Absent"), nullptr);
    const struct {
      uint64_t count;
      const char* form;
    } forms[] = {{1, "one"}, {21, "one"}, {2, "few"}, {4, "few"}, {22, "few"}, {0, "many"},
                 {5, "many"}, {11, "many"}, {12, "many"}, {111, "many"}, {4000000001ull, "one"}};
    for (const auto& row : forms) EXPECT_STREQ(LookupMoPlural(catalog, "%u Second", row.count), row.form) << row.count;
    // A form the translation lacks is no text, so the caller shows English.
    EXPECT_STREQ(LookupMoPlural(catalog, "%u Day", 1), "only one form");
    EXPECT_EQ(LookupMoPlural(catalog, "%u Day", 5), nullptr);
  }
}

TEST(MoCatalog, WithoutAPluralRuleUsesTheGermanicOne) {
  std::string data = BuildMo({{std::string("a\0b", 3), std::string("x\0y", 3)}});
  MoCatalog catalog;
  ASSERT_TRUE(OpenMoCatalog(data.data(), data.size(), &catalog));
  EXPECT_STREQ(LookupMoPlural(catalog, "a", 1), "x");
  EXPECT_STREQ(LookupMoPlural(catalog, "a", 0), "y");
  EXPECT_STREQ(LookupMoPlural(catalog, "a", 2), "y");
}

TEST(MoCatalog, RefusesDamagedDataWhole) {
  const std::string good = BuildMo(RussianPairs());
  struct Damage {
    const char* what;
    std::string data;
  };
  auto patched = [&](size_t offset, uint32_t value) {
    std::string data = good;
    memcpy(&data[offset], &value, 4);
    return data;
  };
  // Sorted, the entries are "", "%u Day", "%u Second", "&Settings", "Cancel".
  uint32_t settings = 28 + 5 * 8 + 3 * 8;  // "&Settings" in the translations table
  std::vector<Damage> damages = {
      {"empty", ""},
      {"shorter than the header", good.substr(0, 27)},
      {"cut inside the texts", good.substr(0, good.size() - 3)},
      {"another magic number", patched(0, 0x12345678u)},
      {"a major revision of 1", patched(4, 0x10000u)},
      {"more entries than fit", patched(8, 0x7FFFFFFFu)},
      {"originals table outside", patched(12, static_cast<uint32_t>(good.size()))},
      {"misaligned table", patched(16, 28 + 5 * 8 + 1)},
      {"a text past the end", patched(settings + 4, static_cast<uint32_t>(good.size()))},
      {"a length past the end", patched(settings, 0xFFFFFFF0u)},
      {"a text without its zero", patched(settings, 11)},
      {"English texts out of order", BuildMo({{"b", "1"}, {"a", "2"}}, false, false)},
      {"an English text twice", BuildMo({{"a", "1"}, {"a", "2"}}, false, false)},
  };
  for (const Damage& damage : damages) {
    MoCatalog catalog;
    EXPECT_FALSE(OpenMoCatalog(damage.data.data(), damage.data.size(), &catalog)) << damage.what;
    EXPECT_EQ(LookupMo(catalog, "&Settings"), nullptr) << damage.what;
    EXPECT_EQ(LookupMoPlural(catalog, "%u Second", 2), nullptr) << damage.what;
  }
  MoCatalog catalog;
  EXPECT_FALSE(OpenMoCatalog(nullptr, 100, &catalog));
}

TEST(MoCatalog, FindsEveryTextOfALargeCatalogue) {
  Pairs pairs;
  for (int i = 0; i < 500; i++) pairs.push_back({"text " + std::to_string(i * 7919 % 1000), "t" + std::to_string(i)});
  std::string data = BuildMo(pairs);
  MoCatalog catalog;
  ASSERT_TRUE(OpenMoCatalog(data.data(), data.size(), &catalog));
  for (const auto& pair : pairs) EXPECT_STREQ(LookupMo(catalog, pair.first.c_str()), pair.second.c_str());
  EXPECT_EQ(LookupMo(catalog, "text"), nullptr);
  EXPECT_EQ(LookupMo(catalog, "text 9999"), nullptr);
}

}  // namespace
