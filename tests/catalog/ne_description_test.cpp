// The NE module description reader over in-memory file images: well-formed files,
// other executable kinds, and short or hostile headers that must fail cleanly.
#include "catalog/ne_description.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void PutWord(Bytes* image, size_t offset, unsigned value) {
  if (image->size() < offset + 2) image->resize(offset + 2);
  (*image)[offset] = static_cast<unsigned char>(value & 0xFF);
  (*image)[offset + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

// MZ stub, NE header at `header`, non-resident names at `table` with `text` first.
Bytes MakeNe(const std::string& text, unsigned header = 0x40, unsigned table = 0x80) {
  Bytes image(0x40, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutWord(&image, 0x3C, header);
  if (image.size() < header + 0x40) image.resize(header + 0x40);
  image[header] = 'N';
  image[header + 1] = 'E';
  PutWord(&image, header + 0x2C, table);
  if (image.size() < table + 1 + text.size()) image.resize(table + 1 + text.size());
  image[table] = static_cast<unsigned char>(text.size());
  memcpy(image.data() + table + 1, text.data(), text.size());
  return image;
}

std::string Parse(const Bytes& image, int* result, int length = 260) {
  std::vector<char> out(length > 0 ? length : 1, 'x');
  *result = ParseNeDescription(image.data(), image.size(), out.data(), length);
  return length > 0 ? std::string(out.data()) : std::string();
}

TEST(NeDescription, ReadsTheFirstNonResidentName) {
  int result = 0;
  EXPECT_EQ(Parse(MakeNe("SCRNSAVE : Flying Windows"), &result), "SCRNSAVE : Flying Windows");
  EXPECT_EQ(result, 1);
}

TEST(NeDescription, HeaderAndTableAnywhereInTheFirst64K) {
  int result = 0;
  EXPECT_EQ(Parse(MakeNe("Far away", 0xFF00, 0xFFF0), &result), "Far away");
  EXPECT_EQ(result, 1);
  // The table may sit before the header, even inside the MZ stub's own bytes.
  Bytes early = MakeNe("x", 0x100, 0x30);
  EXPECT_EQ(Parse(early, &result), "x");
  EXPECT_EQ(result, 1);
}

TEST(NeDescription, OnlyTheLow16BitsOfTheOffsetsCount) {
  Bytes image = MakeNe("Low word", 0x40, 0x80);
  image[0x3E] = 0x7F;  // high word of the new-header offset: ignored
  image[0x3F] = 0x7F;
  image[0x40 + 0x2E] = 0xFF;  // high word of the table offset: ignored
  image[0x40 + 0x2F] = 0xFF;
  int result = 0;
  EXPECT_EQ(Parse(image, &result), "Low word");
  EXPECT_EQ(result, 1);
}

TEST(NeDescription, EmptyAndLongestDescriptions) {
  int result = 0;
  EXPECT_EQ(Parse(MakeNe(""), &result), "");
  EXPECT_EQ(result, 1);
  std::string longest(255, 'D');
  EXPECT_EQ(Parse(MakeNe(longest), &result), longest);
  EXPECT_EQ(result, 1);
}

TEST(NeDescription, CutToTheDestination) {
  int result = 0;
  EXPECT_EQ(Parse(MakeNe("SCRNSAVE : Flying Windows"), &result, 9), "SCRNSAVE");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Parse(MakeNe("abc"), &result, 1), "");
  EXPECT_EQ(result, 1);
  char untouched = 'x';
  EXPECT_EQ(ParseNeDescription(MakeNe("abc").data(), MakeNe("abc").size(), &untouched, 0), 0);
  EXPECT_EQ(untouched, 'x');
}

TEST(NeDescription, AnEmbeddedZeroEndsTheText) {
  int result = 0;
  EXPECT_EQ(Parse(MakeNe(std::string("ab\0cd", 5)), &result), "ab");
  EXPECT_EQ(result, 1);
}

TEST(NeDescription, OtherFilesAreRefused) {
  struct Case {
    const char* what;
    Bytes image;
  };
  Bytes pe = MakeNe("PE file");
  pe[0x40] = 'P';
  Bytes notMz = MakeNe("no stub");
  notMz[0] = 'Z';
  notMz[1] = 'M';
  std::vector<Case> cases = {
      {"empty", {}},
      {"one byte", {'M'}},
      {"MZ only", {'M', 'Z'}},
      {"32-bit PE", pe},
      {"ZM", notMz},
      {"text file", Bytes(300, 'a')},
  };
  for (const Case& c : cases) {
    int result = 1;
    EXPECT_EQ(Parse(c.image, &result), "") << c.what;
    EXPECT_EQ(result, 0) << c.what;
  }
}

TEST(NeDescription, TruncatedFilesFailAtEveryCut) {
  Bytes whole = MakeNe("SCRNSAVE : Cut");
  for (size_t cut = 0; cut < whole.size(); cut++) {
    Bytes part(whole.begin(), whole.begin() + cut);
    int result = 1;
    std::string text = Parse(part, &result);
    EXPECT_EQ(result, 0) << "cut at " << cut;
    EXPECT_EQ(text, "") << "cut at " << cut;
  }
}

TEST(NeDescription, HostileOffsetsPointPastTheEnd) {
  int result = 1;
  Bytes header = MakeNe("x");
  PutWord(&header, 0x3C, 0xFFFF);
  Parse(header, &result);
  EXPECT_EQ(result, 0);
  Bytes table = MakeNe("x");
  PutWord(&table, 0x40 + 0x2C, 0xFFFF);
  Parse(table, &result);
  EXPECT_EQ(result, 0);
  Bytes length = MakeNe("short");
  length[0x80] = 200;  // claims more text than the file holds
  Parse(length, &result);
  EXPECT_EQ(result, 0);
}

TEST(NeDescription, NoReaderOrDestination) {
  char out[8];
  EXPECT_EQ(ReadNeDescription(nullptr, nullptr, out, sizeof(out)), 0);
  Bytes image = MakeNe("x");
  EXPECT_EQ(ParseNeDescription(image.data(), image.size(), nullptr, 8), 0);
  EXPECT_EQ(ParseNeDescription(nullptr, 100, out, sizeof(out)), 0);
}

}  // namespace
