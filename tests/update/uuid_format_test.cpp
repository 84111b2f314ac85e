#include "update/uuid_format.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(FormatUuid, SetsVersionAndVariantInLowerCase) {
  unsigned char bytes[16];
  memset(bytes, 0xFF, sizeof(bytes));
  char text[kUuidTextSize];
  FormatUuid(bytes, text);
  EXPECT_STREQ(text, "ffffffff-ffff-4fff-bfff-ffffffffffff");
  memset(bytes, 0, sizeof(bytes));
  FormatUuid(bytes, text);
  EXPECT_STREQ(text, "00000000-0000-4000-8000-000000000000");
  EXPECT_EQ(strlen(text), 36u);
}
