#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "update/update_checker.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

struct VersionCase {
  const char* a;
  const char* b;
  int order;
};

}  // namespace

TEST(CompareVersions, OrdersVersionTexts) {
  const VersionCase cases[] = {
      {"3.1", "3.0", 1},      {"3.0", "3.0", 0},   {"3.0.1", "3.0", 1},   {"3", "3.0", -1},
      {"10.0", "9.9", 1},     {"3.01", "3.1", -1}, {"3.0a", "3.0", 1},    {"", "", 0},
      {"", "1", -1},          {"1", "", 1},        {"3.10", "3.9", 1},    {"3.1-beta", "3.1", 1},
      {"3.1.", "3.1", 0},     {"a", "b", -1},      {"3..1", "3.0.1", -1}, {"3.\xE9", "3.z", 1},
      {"99999999999999999999999", "1", 1},  // saturates instead of wrapping
  };
  for (const VersionCase& c : cases) {
    EXPECT_EQ(Sign(CompareVersions(c.a, c.b)), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(Sign(CompareVersions(c.b, c.a)), -c.order) << c.b << " vs " << c.a;
  }
}

TEST(HexDecode, DecodesPairsHighNibbleFirst) {
  unsigned char bytes[4] = {};
  EXPECT_EQ(HexDecode("00fFa1B9", 8, bytes), 1);
  EXPECT_EQ(bytes[0], 0x00);
  EXPECT_EQ(bytes[1], 0xFF);
  EXPECT_EQ(bytes[2], 0xA1);
  EXPECT_EQ(bytes[3], 0xB9);
}

TEST(HexDecode, StopsAtTheFirstBadDigit) {
  unsigned char bytes[4] = {0x11, 0x22, 0x33, 0x44};
  EXPECT_EQ(HexDecode("12g456", 6, bytes), 0);
  EXPECT_EQ(bytes[0], 0x12);
  EXPECT_EQ(bytes[2], 0x33);  // nothing written past the bad digit
  // A text shorter than the digit count ends at its terminator, which is not a digit.
  EXPECT_EQ(HexDecode("ab", 8, bytes), 0);
  EXPECT_EQ(HexDecode(" 1", 2, bytes), 0);
}

TEST(FormatTrackedUrl, AppendsVersionAndIdentifier) {
  char url[256];
  EXPECT_EQ(FormatTrackedUrl(url, sizeof(url), "http://h/p", "3.0", "0f8e-4a"), 1);
  EXPECT_STREQ(url, "http://h/p?v=3.0&u=0f8e-4a");
  EXPECT_EQ(FormatTrackedUrl(url, sizeof(url), "http://h/p", "3 0", "a&b"), 1);
  EXPECT_STREQ(url, "http://h/p?v=3%200&u=a%26b");
}

TEST(FormatTrackedUrl, CutsToTheCapacityAndRefusesAnOversizedBase) {
  char url[16];
  memset(url, 'x', sizeof(url));
  EXPECT_EQ(FormatTrackedUrl(url, sizeof(url), "http://h/page", "3.0", "id"), 0);
  EXPECT_STREQ(url, "http://h/page?v");
  EXPECT_EQ(FormatTrackedUrl(url, sizeof(url), "http://host/sixteen", "3.0", "id"), 0);
  EXPECT_STREQ(url, "");
  EXPECT_EQ(FormatTrackedUrl(url, 0, "http://h", "3.0", "id"), 0);
}
