#include "holdoff/front_check_delay.h"

#include <gtest/gtest.h>

TEST(FrontCheckDelayMs, LooksShortlyBeforeTheFirstTimeOutRunsOutAndOncePerPeriodAtRest) {
  constexpr uint32_t kNow = 1000000;
  struct Case {
    const char* what;
    uint32_t now;
    uint32_t lastInput;
    uint32_t saver;
    uint32_t display;
    uint32_t delay;
  };
  const Case cases[] = {
      {"both off", kNow, kNow, 0, 0, 0},
      {"input just now, saver 60 s", kNow, kNow, 60000, 0, 55000},
      {"30 s idle", kNow, kNow - 30000, 60000, 0, 25000},
      {"the look that just fired counts from now", kNow, kNow - 55000, 60000, 0, 55000},
      {"less than the shortest wait left: now", kNow, kNow - 54600, 60000, 0, 55000},
      {"just more than that left", kNow, kNow - 54400, 60000, 0, 600},
      {"saver already running: once per period", kNow, kNow - 300000, 60000, 0, 55000},
      {"display only", kNow, kNow, 0, 600000, 595000},
      {"the display's moment comes first", kNow, kNow - 10000, 600000, 120000, 105000},
      {"saver ran out long ago, display ahead", kNow, kNow - 100000, 60000, 600000, 55000},
      {"short time-out: half of it as lead", kNow, kNow, 4000, 0, 2000},
      {"tiny time-out: never sooner than the minimum", kNow, kNow, 1, 0, kFrontCheckMinMs},
      {"idle across the tick wrap", 0x00001000u, 0xfffff000u, 60000, 0, 55000 - 0x2000},
      {"input newer than now", kNow, kNow + 20, 60000, 0, 55000},
  };
  for (const Case& test : cases) {
    const uint32_t timeouts[] = {test.saver, test.display};
    EXPECT_EQ(FrontCheckDelayMs(test.now, test.lastInput, timeouts, 2), test.delay) << test.what;
  }
}
