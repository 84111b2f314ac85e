#include "shell/scale.h"

#include <gtest/gtest.h>

// The check mark is only ever reduced from a larger drawing, never blown up from a
// smaller one, unless nothing larger was drawn.
TEST(PickDrawnSize, SmallestThatIsLargeEnough) {
  const int drawn[] = {16, 12, 48, 20, 26, 32, 40};  // any order
  struct Case {
    int wanted;
    int expected;
  } cases[] = {{11, 12}, {12, 12}, {13, 16}, {19, 20}, {25, 26}, {33, 40}, {48, 48}, {64, 48}, {0, 12}};
  for (const Case& c : cases) EXPECT_EQ(PickDrawnSize(drawn, 7, c.wanted), c.expected) << c.wanted;
  EXPECT_EQ(PickDrawnSize(drawn, 0, 16), 0);
  EXPECT_EQ(PickDrawnSize(nullptr, 3, 16), 0);
}
