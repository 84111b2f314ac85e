// The plural rules of the languages Dozelite ships and of hostile headers: precedence,
// the conditional's grouping, division by zero, and limits that keep a parse bounded.
#include "language/plural_rule.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int Form(const std::string& header, uint64_t n) {
  PluralRule rule;
  ParsePluralRule(header.c_str(), &rule);
  return PluralForm(rule, n);
}

std::string Header(const std::string& rule) { return "Language: xx\nPlural-Forms: " + rule + "\n"; }

TEST(PluralRule, ShippedLanguagesChooseTheirForms) {
  const std::string polish =
      Header("nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);");
  const std::string french = Header("nplurals=2; plural=(n > 1);");
  const std::string japanese = Header("nplurals=1; plural=0;");
  const struct {
    const std::string& header;
    uint64_t n;
    int form;
  } rows[] = {
      {polish, 1, 0},  {polish, 2, 1},   {polish, 4, 1},   {polish, 5, 2},     {polish, 12, 2}, {polish, 14, 2},
      {polish, 21, 2}, {polish, 22, 1},  {polish, 0, 2},   {polish, 112, 2},   {polish, 122, 1},
      {french, 0, 0},  {french, 1, 0},   {french, 2, 1},   {japanese, 1, 0},   {japanese, 7, 0},
  };
  for (const auto& row : rows) EXPECT_EQ(Form(row.header, row.n), row.form) << row.header << " n=" << row.n;
}

TEST(PluralRule, OperatorsBindAsInC) {
  const struct {
    const char* expression;
    uint64_t n;
    int form;
  } rows[] = {
      {"1 + 2 * n", 0, 1},          // * before +
      {"(1 + 2) * n", 1, 3},        // parentheses
      {"n - 1 - 1", 3, 1},          // left to right
      {"n / 2 % 3", 9, 1},          // (9/2)%3
      {"n % 0", 5, 0},              // division by zero is 0, never a fault
      {"n / 0 + 1", 5, 1},
      {"n == 1 ? 0 : n == 2 ? 1 : 2", 2, 1},  // the conditional groups to the right
      {"n == 1 ? 0 : n == 2 ? 1 : 2", 3, 2},
      {"!n", 0, 1},
      {"!!n", 4, 1},
      {"n != 1 && n != 2", 3, 1},
      {"n < 2 || n > 4", 3, 0},
      {"n <= 3 && n >= 3", 3, 1},
      {"n > 2 == 1", 3, 1},         // comparison before equality
      {"1 || 0 && 0", 0, 1},        // && before ||
  };
  for (const auto& row : rows)
    EXPECT_EQ(Form(Header(std::string("nplurals=6; plural=") + row.expression + ";"), row.n), row.form)
        << row.expression << " n=" << row.n;
}

TEST(PluralRule, MalformedRulesFallBackToTwoFormsWithoutFault) {
  std::string deep = "nplurals=2; plural=" + std::string(5000, '(') + "n" + std::string(5000, ')') + ";";
  std::string negations = "nplurals=2; plural=" + std::string(5000, '!') + "n;";
  std::string wide = "nplurals=2; plural=n";
  for (int i = 0; i < 200; i++) wide += "+n";
  const std::string rules[] = {
      "nplurals=2; plural=n +;", "nplurals=2; plural=(n;", "nplurals=2; plural=n ? 1;", "nplurals=2; plural=x;",
      "nplurals=7; plural=n;", "nplurals=0; plural=0;", "nplurals=2;", "plural=n;", "nplurals=2; plural=n 1;",
      "nplurals=2; plural=99999999999;", deep, negations, wide + ";",
  };
  for (const std::string& text : rules) {
    PluralRule rule;
    EXPECT_FALSE(ParsePluralRule(Header(text).c_str(), &rule)) << text.substr(0, 60);
    EXPECT_EQ(rule.forms, 2);
    EXPECT_EQ(PluralForm(rule, 1), 0);
    EXPECT_EQ(PluralForm(rule, 2), 1);
  }
  PluralRule rule;
  EXPECT_FALSE(ParsePluralRule(nullptr, &rule));
  EXPECT_FALSE(ParsePluralRule("Language: de\n", &rule));
}

TEST(PluralRule, AFormBeyondTheCountIsTheFirst) {
  // A rule that answers more forms than it declares must not index past them.
  EXPECT_EQ(Form(Header("nplurals=2; plural=n;"), 5), 0);
  EXPECT_EQ(Form(Header("nplurals=3; plural=n - 2;"), 1), 0);  // wraps to a huge number
}

}  // namespace
