#include "shell/text_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

TEST(CopyText, CutsToTheDestinationAndTerminates) {
  char small[4] = "xyz";
  CopyText(small, "abcdef", sizeof(small));
  EXPECT_STREQ(small, "abc");
  CopyText(small, "ab", sizeof(small));
  EXPECT_STREQ(small, "ab");
  char untouched[2] = "q";
  CopyText(untouched, "abc", 0);
  EXPECT_STREQ(untouched, "q");
  CopyText(small, nullptr, sizeof(small));
  EXPECT_STREQ(small, "");
}

// Cuts in UTF-8 text fall between characters. "J\xC3\xB6rg" is "Jörg" (ö takes two
// bytes), "\xE7\xA6\x85" is one Chinese character, "\xF0\x9F\x8C\x99" a four-byte one.
TEST(CopyText, NeverSplitsAUtf8Character) {
  struct Case {
    const char* source;
    int size;
    const char* expected;
  } cases[] = {
      {"J\xC3\xB6rg", 3, "J"},                        // ö would be split: cut before it
      {"J\xC3\xB6rg", 4, "J\xC3\xB6"},                // ö fits exactly
      {"\xE7\xA6\x85\xE6\x84\x8F", 3, ""},          // the first of three bytes cannot fit
      {"\xE7\xA6\x85\xE6\x84\x8F", 6, "\xE7\xA6\x85"},  // one whole, the next cut off
      {"a\xF0\x9F\x8C\x99", 5, "a"},                  // four-byte character, one byte short
      {"a\xF0\x9F\x8C\x99", 6, "a\xF0\x9F\x8C\x99"},
      {"Caf\xE9 au lait", 5, "Caf\xE9"},            // a single-byte code page's é is no lead
      {"\x80\x80\x80\x80x", 4, "\x80\x80\x80"},     // stray continuation bytes cut anywhere
  };
  for (const Case& c : cases) {
    char buffer[16];
    CopyText(buffer, c.source, c.size);
    EXPECT_STREQ(buffer, c.expected) << "size " << c.size << " of " << c.source;
  }
  char appended[8] = "ab";
  EXPECT_EQ(AppendText(appended, "c\xE7\xA6\x85\xE6\x84\x8F", sizeof(appended)), 0);
  EXPECT_STREQ(appended, "abc\xE7\xA6\x85");
}

TEST(AsciiLower, LeavesMultiByteCharactersAlone) {
  const char text[] = "SETSAVER=C:\\J\xC3\x96RG\\\xE7\xA6\x85.SCR";
  std::string lowered;
  for (const char* p = text; *p; p++) lowered += AsciiLower(*p);
  EXPECT_EQ(lowered, "setsaver=c:\\j\xC3\x96rg\\\xE7\xA6\x85.scr");
  EXPECT_NE(FindTextNoCase("C:\\J\xC3\x96RG", "j\xC3\x96rg"), nullptr);
  EXPECT_EQ(FindTextNoCase("J\xC3\x96RG", "j\xC3\xB6rg"), nullptr);  // Ö and ö are not ASCII
}

TEST(AppendText, ReportsACut) {
  char buffer[8] = "abc";
  EXPECT_EQ(AppendText(buffer, "de", sizeof(buffer)), 1);
  EXPECT_STREQ(buffer, "abcde");
  // At the boundary: "fg" fills the buffer to its last byte and is whole, "fgh" is cut.
  char exact[8] = "abcde";
  EXPECT_EQ(AppendText(exact, "fg", sizeof(exact)), 1);
  EXPECT_STREQ(exact, "abcdefg");
  EXPECT_EQ(AppendText(buffer, "fgh", sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST(DuplicateText, CopiesAndHandlesNull) {
  char* copy = DuplicateText("saver");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "saver");
  free(copy);
  EXPECT_EQ(DuplicateText(nullptr), nullptr);
}

TEST(TrimAndStrip, RemoveOuterCharactersOnly) {
  char text[32] = "\"C:\\a \"b\"\"";
  StripQuotes(text);
  EXPECT_STREQ(text, "C:\\a \"b");
  char quotes[8] = "\"\"\"";
  StripQuotes(quotes);
  EXPECT_STREQ(quotes, "");
  char out[16];
  EXPECT_EQ(TrimChar(out, "--a-b--", '-'), 1);
  EXPECT_STREQ(out, "a-b");
}

TEST(CollapseRepeats, DropsRepeatedCharacters) {
  char out[32] = "unchanged";
  EXPECT_EQ(CollapseRepeats(out, "C:\\\\dir\\\\\\x", '\\'), 1);
  EXPECT_STREQ(out, "C:\\dir\\x");
  strcpy(out, "unchanged");
  EXPECT_EQ(CollapseRepeats(out, "a", '\\'), 0);
  EXPECT_EQ(CollapseRepeats(out, nullptr, '\\'), 0);
  EXPECT_STREQ(out, "unchanged");
}

TEST(FindTextNoCase, IgnoresCase) {
  const char* text = "Picture.SCRap";
  EXPECT_EQ(FindTextNoCase(text, ".scr"), text + 7);
  EXPECT_EQ(FindTextNoCase(text, ""), text);
  EXPECT_EQ(FindTextNoCase(text, "exe"), nullptr);
  EXPECT_TRUE(IsEmptyText(nullptr));
  EXPECT_TRUE(IsEmptyText(""));
  EXPECT_FALSE(IsEmptyText("x"));
}

TEST(EscapeAmpersands, DoublesEachAndNeverHalvesOnePair) {
  char out[8];
  EscapeAmpersands(out, "R&B && Co", sizeof(out));
  EXPECT_STREQ(out, "R&&B &&");  // the pair of the fourth "&" does not fit: both go
  EscapeAmpersands(out, "abc&", 5);
  EXPECT_STREQ(out, "abc");
  EscapeAmpersands(out, nullptr, sizeof(out));
  EXPECT_STREQ(out, "");
}

TEST(JoinPath, AddsOneBackslash) {
  char path[kPathSize] = "C:\\";
  EXPECT_EQ(JoinPath(path, "a"), 1);
  EXPECT_STREQ(path, "C:\\a");
  strcpy(path, "C:\\dir");
  JoinPath(path, "a");
  EXPECT_STREQ(path, "C:\\dir\\a");
  char empty[kPathSize] = "";
  EXPECT_EQ(JoinPath(empty, "a"), 0);
  EXPECT_STREQ(empty, "");
}

TEST(JoinPath, NeverWritesPastTheBuffer) {
  char path[12] = "C:\\folder";
  JoinPath(path, "name.scr", sizeof(path));
  EXPECT_EQ(strlen(path), sizeof(path) - 1);
  EXPECT_STREQ(path, "C:\\folder\\n");
}

TEST(SetTrailingBackslash, AddsAndRemoves) {
  char path[kPathSize] = "C:\\dir";
  SetTrailingBackslash(path, true);
  EXPECT_STREQ(path, "C:\\dir\\");
  SetTrailingBackslash(path, true);
  EXPECT_STREQ(path, "C:\\dir\\");
  SetTrailingBackslash(path, false);
  EXPECT_STREQ(path, "C:\\dir");
  char empty[4] = "";
  EXPECT_EQ(SetTrailingBackslash(empty, true), 0);
}

TEST(PathParts, SplitAtTheLastSeparator) {
  char out[kPathSize];
  EXPECT_EQ(GetDirectory("C:\\Tools\\a.exe", out), 1);
  EXPECT_STREQ(out, "C:\\Tools");
  EXPECT_EQ(GetFileName("C:\\Tools\\a.exe", out), 1);
  EXPECT_STREQ(out, "a.exe");
  EXPECT_EQ(GetExtension("C:\\Tools\\a.b.scr", out), 1);
  EXPECT_STREQ(out, "scr");
  EXPECT_EQ(GetDirectory("explorer.exe", out), 0);
  EXPECT_STREQ(out, "explorer.exe");
  EXPECT_EQ(GetFileName("explorer.exe", out), 0);
  EXPECT_STREQ(out, "explorer.exe");
}

TEST(PathParts, CutLongInputToTheDestination) {
  std::string longFolder(400, 'd');
  std::string path = longFolder + "\\x.scr";
  char out[16];
  GetDirectory(path.c_str(), out, sizeof(out));
  EXPECT_EQ(strlen(out), sizeof(out) - 1);
}

// Values written quoted by today's setup and program, and bare by older ones.
TEST(SplitProgramCommand, QuotedOrBarePaths) {
  struct Row {
    const char* command;
    const char* file;
    const char* arguments;
  } rows[] = {
      {"\"C:\\Program Files\\Dozelite\\uninstall.exe\"", "C:\\Program Files\\Dozelite\\uninstall.exe", ""},
      {"\"C:\\Program Files\\Dozelite\\uninstall.exe\" /S", "C:\\Program Files\\Dozelite\\uninstall.exe", "/S"},
      {"C:\\Program Files\\Dozelite\\uninstall.exe", "C:\\Program Files\\Dozelite\\uninstall.exe", ""},
      {"  \"C:\\a b\\x.exe\"   /S /KEEP", "C:\\a b\\x.exe", "/S /KEEP"},
      {"\"C:\\unclosed quote\\x.exe", "C:\\unclosed quote\\x.exe", ""},
      {"", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    char file[64];
    EXPECT_STREQ(SplitProgramCommand(row.command, file, sizeof(file)), row.arguments);
    EXPECT_STREQ(file, row.file);
  }
  char small[8];
  EXPECT_STREQ(SplitProgramCommand("\"C:\\long folder\\x.exe\" /S", small, sizeof(small)), "/S");
  EXPECT_STREQ(small, "C:\\long");
}

// A translated filter name of any length: the pattern and the closing zeros always stay.
TEST(MakeFileFilter, KeepsThePatternAndTheClosingZerosWhateverTheName) {
  char filter[24];
  MakeFileFilter(filter, sizeof(filter), "Savers (*.scr)", "*.scr");
  EXPECT_EQ(std::string(filter, 22), std::string("Savers (*.scr)\0*.scr\0\0", 22));
  std::string longName(100, 'x');
  memset(filter, 'z', sizeof(filter));
  MakeFileFilter(filter, sizeof(filter), longName.c_str(), "*.scr");
  size_t named = strlen(filter);
  EXPECT_EQ(named, sizeof(filter) - 8);  // the rest holds the pattern and three zeros
  EXPECT_STREQ(filter + named + 1, "*.scr");
  EXPECT_EQ(filter[named + 7], 0);
  memset(filter, 'z', sizeof(filter));
  MakeFileFilter(filter, 6, "Savers", "*.scr");  // too small for the pattern: an empty list
  EXPECT_EQ(filter[0], 0);
  EXPECT_EQ(filter[1], 0);
}
