#include "shell/duration.h"

#include <gtest/gtest.h>

#include <cstdint>

struct DurationCase {
  uint32_t ms;
  const char* text;
};

TEST(FormatDuration, PicksTheLargestUnit) {
  const DurationCase cases[] = {
      {3723000, "1:02:03 Hours"}, {90000, "1:30 Minutes"},   {45999, "45 Seconds"},
      {0, "0 Seconds"},           {3600000, "1:00:00 Hours"}, {4294967295u, "1193:02:47 Hours"},
  };
  for (const DurationCase& c : cases) {
    char text[64];
    EXPECT_EQ(FormatDuration(text, sizeof(text), c.ms), 1);
    EXPECT_STREQ(text, c.text) << c.ms;
  }
  EXPECT_EQ(FormatDuration(nullptr, 10, 5), 0);
}

TEST(FormatDuration, CutsToASmallDestination) {
  char text[6];
  FormatDuration(text, sizeof(text), 3723000);
  EXPECT_STREQ(text, "1:02:");
}

TEST(SplitDuration, SplitsAndRebuilds) {
  int h, m, s, ms;
  SplitDuration(5415250, &h, &m, &s, &ms);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(m, 30);
  EXPECT_EQ(s, 15);
  EXPECT_EQ(ms, 250);
  EXPECT_EQ(MakeDuration(h, m, s, ms), 5415250u);
  SplitDuration(600000, nullptr, &m, nullptr, nullptr);
  EXPECT_EQ(m, 10);
}

TEST(MakeDuration, DoesNotWrapAt32Bits) {
  EXPECT_EQ(MakeDuration(1193, 2, 47, 296), 4294967296ull);
  EXPECT_EQ(MakeDuration(0, 90, 0, 0), 5400000u);
}
