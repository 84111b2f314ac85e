#include "shell/command_line_tokens.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The words of a token list, up to its ending empty word.
std::vector<std::string> Words(const char* tokens) {
  std::vector<std::string> words;
  for (const char* word = tokens; *word; word += strlen(word) + 1) words.push_back(word);
  return words;
}

std::vector<std::string> Tokenize(const char* text, bool lowerCase = false, int capacity = kTokenBufferSize) {
  std::vector<char> buffer(static_cast<size_t>(capacity) + 8, '#');
  TokenizeCommandLine(text, buffer.data(), capacity, lowerCase);
  EXPECT_EQ(buffer[static_cast<size_t>(capacity)], '#') << "wrote past the capacity for: " << text;
  return Words(buffer.data());
}

struct TokenCase {
  const char* text;
  std::vector<std::string> words;
};

}  // namespace

TEST(TokenizeCommandLine, SplitsOnEverySeparatorAndHonoursQuotes) {
  const TokenCase cases[] = {
      {"kill setsaver=x", {"kill", "setsaver=x"}},
      {"  -kill\t/nosplash--notips//", {"kill", "nosplash", "notips"}},
      {"-/ \t-", {}},
      {"", {}},
      {"setsaver=c:\\my-savers\\a.scr", {"setsaver=c:\\my", "savers\\a.scr"}},
      {"setsaver=\"c:\\my-savers\\a b.scr\"", {"setsaver=c:\\my-savers\\a b.scr"}},
      {"\"a b\"c d", {"a bc", "d"}},
      {"say=\\\"hi\\\"", {"say=\"hi\""}},                 // \" is a literal quote
      {"p=\"a\\\\\" b", {"p=a\\", "b"}},                   // \\" gives \ and ends the quotes
      {"p=c:\\dir\\\\x", {"p=c:\\dir\\\\x"}},              // other backslashes stand as they are
      {"open=\"unterminated -still one", {"open=unterminated -still one"}},
      {"a \"\" b", {"a"}},                                 // an empty word ends the list
  };
  for (const TokenCase& c : cases) EXPECT_EQ(Tokenize(c.text), c.words) << c.text;
}

TEST(TokenizeCommandLine, LowerCasesOnlyWhenAsked) {
  EXPECT_EQ(Tokenize("/NoSplash PowerMode=OFF", true), (std::vector<std::string>{"nosplash", "powermode=off"}));
  EXPECT_EQ(Tokenize("/NoSplash", false), (std::vector<std::string>{"NoSplash"}));
  // Characters above 127 are taken as unsigned, never as negative indexes.
  EXPECT_EQ(Tokenize("\xC9t\xE9", true).size(), 1u);
}

TEST(TokenizeCommandLine, KeepsOnlyWholeWordsThatFit) {
  // Capacity 16: the words and their terminators may use 15 places, leaving the list's end.
  EXPECT_EQ(Tokenize("abcdef ghijkl", false, 16), (std::vector<std::string>{"abcdef", "ghijkl"}));
  EXPECT_EQ(Tokenize("abcdef ghijklm", false, 16), (std::vector<std::string>{"abcdef", "ghijklm"}));
  EXPECT_EQ(Tokenize("abcdef ghijklmn", false, 16), (std::vector<std::string>{"abcdef"}));
  EXPECT_EQ(Tokenize("abcdefghijklmn", false, 16), (std::vector<std::string>{"abcdefghijklmn"}));
  EXPECT_EQ(Tokenize("abcdefghijklmno", false, 16), (std::vector<std::string>{}));
  // The words after one that does not fit are not read either.
  EXPECT_EQ(Tokenize("abcdef ghijklmnop x", false, 16), (std::vector<std::string>{"abcdef"}));
  EXPECT_EQ(Tokenize("abc", false, 2), (std::vector<std::string>{}));
  EXPECT_EQ(Tokenize("abc", false, 1), (std::vector<std::string>{}));
  char untouched = '#';
  TokenizeCommandLine("abc", &untouched, 0, false);
  EXPECT_EQ(untouched, '#');
}

TEST(TokenizeCommandLine, FillsTheFullBufferWithLongCommandLines) {
  // 100 words of 9 characters: 10 places each, 51 fit the 510 places before the list's end.
  std::string text;
  for (int i = 0; i < 100; i++) text += "word" + std::to_string(10000 + i) + " ";
  std::vector<std::string> words = Tokenize(text.c_str());
  ASSERT_EQ(words.size(), 51u);
  EXPECT_EQ(words.back(), "word10050");
  // A single 600-character value is dropped whole, not cut.
  std::string longValue = "setsaver=" + std::string(600, 'x');
  EXPECT_EQ(Tokenize(("kill " + longValue).c_str()), (std::vector<std::string>{"kill"}));
}

TEST(FindOption, MatchesByPrefixAndTakesTheLastValue) {
  char tokens[kTokenBufferSize];
  TokenizeCommandLine("nosplashes timeout=300 delay=5 timeout=60 kill", tokens, sizeof(tokens), true);
  char value[kOptionValueSize] = "stale";
  EXPECT_TRUE(FindOption(tokens, "nosplash", value, sizeof(value)));
  EXPECT_STREQ(value, "");  // "es" follows the name, not an equals sign
  EXPECT_TRUE(FindOption(tokens, "timeout", value, sizeof(value)));
  EXPECT_STREQ(value, "60");
  EXPECT_TRUE(FindOption(tokens, "kill", nullptr, 0));
  EXPECT_FALSE(FindOption(tokens, "killer", value, sizeof(value)));
  EXPECT_FALSE(FindOption(tokens, "splash", value, sizeof(value)));  // must begin the word
  // The last occurrence decides even when it has no value.
  TokenizeCommandLine("delay=5 delay", tokens, sizeof(tokens), true);
  strcpy(value, "stale");
  EXPECT_TRUE(FindOption(tokens, "delay", value, sizeof(value)));
  EXPECT_STREQ(value, "");
}

TEST(FindOption, CutsValuesToTheBuffer) {
  char tokens[kTokenBufferSize];
  std::string text = "setsaver=" + std::string(300, 'a');
  TokenizeCommandLine(text.c_str(), tokens, sizeof(tokens), false);
  char value[kOptionValueSize + 4];
  memset(value, '#', sizeof(value));
  EXPECT_TRUE(FindOption(tokens, "setsaver", value, kOptionValueSize));
  EXPECT_EQ(strlen(value), 259u);
  EXPECT_EQ(value[kOptionValueSize], '#');
  char tiny[1] = {'#'};
  EXPECT_TRUE(FindOption(tokens, "setsaver", tiny, 1));
  EXPECT_EQ(tiny[0], 0);
}

TEST(FindOption, AnEmptyListFindsNothing) {
  char tokens[kTokenBufferSize];
  TokenizeCommandLine(" - / ", tokens, sizeof(tokens), true);
  EXPECT_FALSE(FindOption(tokens, "", nullptr, 0));
  EXPECT_FALSE(FindOption(tokens, "kill", nullptr, 0));
  TokenizeCommandLine("\"\" kill", tokens, sizeof(tokens), true);
  EXPECT_FALSE(FindOption(tokens, "kill", nullptr, 0));
  TokenizeCommandLine("help=0 ?", tokens, sizeof(tokens), true);
  EXPECT_TRUE(FindOption(tokens, "?", nullptr, 0));
}
