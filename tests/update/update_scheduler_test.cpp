// The scheduler's sleep: the same randomised windows as UpdateWaitSeconds, in the
// milliseconds that Sleep takes.
#include "update/update_scheduler.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(UpdateWaitMilliseconds, IsTheWaitInMilliseconds) {
  srand(777);
  struct Window {
    int result;
    unsigned long lowSeconds, highSeconds;
  } windows[] = {{0, 561600, 647999}, {1, 39600, 46799}, {-1, 18000, 25199}};
  for (const Window& w : windows) {
    for (int i = 0; i < 200; i++) {
      unsigned long wait = UpdateWaitMilliseconds(w.result);
      ASSERT_GE(wait, w.lowSeconds * 1000) << w.result;
      ASSERT_LE(wait, w.highSeconds * 1000) << w.result;
    }
  }
}
