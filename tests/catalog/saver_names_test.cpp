// Display names from module descriptions and file names, and the order of names.
#include "catalog/saver_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(SaverNames, DescriptionsThatNameASaver) {
  struct Case {
    const char* description;
    int result;
    const char* name;
  } cases[] = {
      {"SCRNSAVE : Flying Windows", 1, "Flying Windows"},
      {"scrnsave:Mystify", 1, "Mystify"},
      {"ScrnSave :   Spaced", 1, "Spaced"},
      {"SCRNSAVE Plain", 1, "SCRNSAVE Plain"},   // no ":": the whole description
      {"SCRNSAVE : ", 1, ""},                    // nothing after ":" and its spaces
      {"SCRNSAVE : a:b", 1, "a:b"},              // only the first ":" splits
      {"SCRNSAVE", 1, "SCRNSAVE"},
      {"SCRNSAV", 0, ""},
      {"Calendar Utility", 0, ""},
      {" SCRNSAVE : leading space", 0, ""},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    char out[260] = "";
    EXPECT_EQ(DescriptionDisplayName(c.description, out, sizeof(out)), c.result) << c.description;
    if (c.result) {
      EXPECT_STREQ(out, c.name) << c.description;
    }
  }
}

TEST(SaverNames, DescriptionCutToTheDestination) {
  char out[5];
  EXPECT_EQ(DescriptionDisplayName("SCRNSAVE : Flying Windows", out, sizeof(out)), 1);
  EXPECT_STREQ(out, "Flyi");
  EXPECT_EQ(DescriptionDisplayName(nullptr, out, sizeof(out)), 0);
}

TEST(SaverNames, FileNames) {
  struct Case {
    const char* longName;
    const char* shortName;
    const char* name;
  } cases[] = {
      {"SSMYST.SCR", nullptr, "Ssmyst"},
      {"Bubbles.scr", nullptr, "Bubbles"},
      {"my.saver.scr", "MYSAVE~1.SCR", "My"},
      {"", "PICT~N3T.SCR", "Pict~n3t"},
      {nullptr, nullptr, "(nameless)"},
      {"", "", "(nameless)"},
      {"3D Pipes.scr", nullptr, "3d pipes"},  // the first character is no letter
      {".scr", nullptr, ""},
      {"\xC4pfel.scr", nullptr, "\xC4pfel"},  // only ASCII letters change case
      {"aurora.scr", nullptr, "Aurora"},         // both ends of the alphabet
      {"zebra.scr", nullptr, "Zebra"},
      {"{zebra}.scr", nullptr, "{zebra}"},       // just past "z"
      {"`quote.scr", nullptr, "`quote"},         // just before "a"
  };
  for (const auto& c : cases) {
    char out[260];
    FileDisplayName(c.longName, c.shortName, out, sizeof(out));
    EXPECT_STREQ(out, c.name) << (c.longName ? c.longName : "(null)");
  }
  char small[4];
  FileDisplayName("ABCDEFG.SCR", nullptr, small, sizeof(small));
  EXPECT_STREQ(small, "Abc");
}

TEST(SaverNames, CompareIgnoresAsciiCaseOnly) {
  EXPECT_EQ(CompareDisplayNames("Bubbles", "BUBBLES"), 0);
  EXPECT_LT(CompareDisplayNames("aurora", "Bubbles"), 0);
  EXPECT_GT(CompareDisplayNames("b2", "B1"), 0);
  EXPECT_LT(CompareDisplayNames("Star", "Starlight"), 0);
  // "_" (0x5F) sorts before letters once both sides are lower case.
  EXPECT_LT(CompareDisplayNames("_x", "a"), 0);
  // High bytes compare unsigned, after every ASCII character.
  EXPECT_GT(CompareDisplayNames("\xE9t\xE9", "zebra"), 0);
  EXPECT_EQ(CompareDisplayNames(nullptr, ""), 0);
}

TEST(SaverNames, FileExtension) {
  char out[260];
  EXPECT_EQ(GetFileExtension("*.scr", out, sizeof(out)), 1);
  EXPECT_STREQ(out, "scr");
  EXPECT_EQ(GetFileExtension("Picture.scrap", out, sizeof(out)), 1);
  EXPECT_STREQ(out, "scrap");
  EXPECT_EQ(GetFileExtension("my.saver.scr", out, sizeof(out)), 1);
  EXPECT_STREQ(out, "scr");
  EXPECT_EQ(GetFileExtension("*.*", out, sizeof(out)), 1);
  EXPECT_STREQ(out, "*");
  EXPECT_EQ(GetFileExtension("README", out, sizeof(out)), 0);
  EXPECT_STREQ(out, "README");
}

// The exchange procedure itself, on the names and their original positions.
std::vector<int> ExchangeOrder(const std::vector<std::string>& names) {
  std::vector<std::pair<std::string, int>> items;
  for (size_t k = 0; k < names.size(); k++) items.push_back({names[k], static_cast<int>(k)});
  for (size_t i = 0; i < items.size(); i++)
    for (size_t j = i + 1; j < items.size(); j++)
      if (CompareDisplayNames(items[i].first.c_str(), items[j].first.c_str()) > 0) std::swap(items[i], items[j]);
  std::vector<int> order;
  for (const auto& item : items) order.push_back(item.second);
  return order;
}

std::vector<int> Order(const std::vector<std::string>& names) {
  std::vector<const char*> pointers;
  for (const std::string& name : names) pointers.push_back(name.c_str());
  std::vector<int> order(names.size());
  EXPECT_TRUE(OrderByDisplayName(pointers.data(), static_cast<int>(names.size()), order.data()));
  return order;
}

TEST(SaverOrder, EqualNamesListedBeforeASmallerOne) {
  // B1, B2, A gives A, B2, B1.
  EXPECT_EQ(Order({"B", "b", "A"}), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(Order({}), std::vector<int>{});
  EXPECT_EQ(Order({"Only"}), std::vector<int>{0});
}

TEST(SaverOrder, MatchesTheExchangeProcedureOnManyLists) {
  std::mt19937 random(1234);
  const char* pool[] = {"alpha", "Alpha", "beta", "BETA", "gamma", "b", "", "Zeta", "zeta", "\xE9t\xE9"};
  for (int round = 0; round < 300; round++) {
    std::vector<std::string> names(random() % 40);
    for (std::string& name : names) name = pool[random() % 10];
    ASSERT_EQ(Order(names), ExchangeOrder(names)) << "round " << round;
  }
}

TEST(SaverOrder, MissingArguments) {
  int order[2];
  const char* names[] = {"a", "b"};
  EXPECT_FALSE(OrderByDisplayName(nullptr, 2, order));
  EXPECT_FALSE(OrderByDisplayName(names, 2, nullptr));
  EXPECT_TRUE(OrderByDisplayName(nullptr, 0, nullptr));
}

}  // namespace
