#include "holdoff/local_time.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "zone_samples.h"

namespace {

std::string Text(UtcMs instant) {
  int64_t days = instant / kDayMs;
  CivilDate date = CivilFromDays(days);
  int minute = static_cast<int>((instant - days * kDayMs) / kMinuteMs);
  char text[32];
  snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d", date.year, date.month, date.day, minute / 60, minute % 60);
  return text;
}

}  // namespace

TEST(CivilDates, CountDaysAndWeekdaysOverLeapYearsAndCenturies) {
  EXPECT_EQ(DaysFromCivil(1601, 1, 1), 0);
  EXPECT_EQ(DaysFromCivil(1970, 1, 1), 134774) << "the FILETIME and Unix epochs";
  EXPECT_EQ(CivilFromDays(DaysFromCivil(2026, 12, 7)).weekday, 1) << "a Monday";
  EXPECT_EQ(CivilFromDays(DaysFromCivil(2028, 2, 29)).weekday, 2) << "a Tuesday";
  EXPECT_EQ(DaysFromCivil(2028, 3, 1) - DaysFromCivil(2028, 2, 28), 2) << "2028 is a leap year";
  EXPECT_EQ(DaysFromCivil(2100, 3, 1) - DaysFromCivil(2100, 2, 28), 1) << "2100 is not";
  EXPECT_EQ(DaysFromCivil(2000, 3, 1) - DaysFromCivil(2000, 2, 28), 2) << "2000 is";
  for (int64_t day = DaysFromCivil(1999, 12, 25); day < DaysFromCivil(2030, 1, 10); day += 13) {
    CivilDate date = CivilFromDays(day);
    ASSERT_EQ(DaysFromCivil(date.year, date.month, date.day), day);
    ASSERT_EQ(date.weekday, static_cast<int>((day + 1) % 7));
  }
}

// Local times around both changes of each zone. A time the change to daylight time skips
// is the change itself; one the change back repeats is the first of the two.
TEST(LocalToUtc, FollowsBothChangesOfEachZone) {
  struct Case {
    const LocalZone* zone;
    const char* name;
    int year, month, day, hour, minute;
    UtcMs expected;
  };
  const Case cases[] = {
      {&kBerlin, "winter", 2026, 1, 15, 12, 0, Utc(2026, 1, 15, 11, 0)},
      {&kBerlin, "summer", 2026, 7, 1, 12, 0, Utc(2026, 7, 1, 10, 0)},
      {&kBerlin, "before the spring change", 2026, 3, 29, 1, 59, Utc(2026, 3, 29, 0, 59)},
      {&kBerlin, "skipped", 2026, 3, 29, 2, 30, Utc(2026, 3, 29, 1, 0)},
      {&kBerlin, "skipped, first minute", 2026, 3, 29, 2, 0, Utc(2026, 3, 29, 1, 0)},
      {&kBerlin, "after the skip", 2026, 3, 29, 3, 0, Utc(2026, 3, 29, 1, 0)},
      {&kBerlin, "repeated", 2026, 10, 25, 2, 30, Utc(2026, 10, 25, 0, 30)},
      {&kBerlin, "after the repeat", 2026, 10, 25, 3, 0, Utc(2026, 10, 25, 2, 0)},
      {&kNewYork, "winter", 2026, 1, 15, 12, 0, Utc(2026, 1, 15, 17, 0)},
      {&kNewYork, "skipped", 2026, 3, 8, 2, 30, Utc(2026, 3, 8, 7, 0)},
      {&kNewYork, "a week before the change", 2026, 3, 1, 2, 30, Utc(2026, 3, 1, 7, 30)},
      {&kNewYork, "repeated", 2026, 11, 1, 1, 30, Utc(2026, 11, 1, 5, 30)},
      {&kNewYork, "after the repeat", 2026, 11, 1, 2, 0, Utc(2026, 11, 1, 7, 0)},
      {&kSydney, "summer over the new year", 2026, 1, 1, 0, 30, Utc(2025, 12, 31, 13, 30)},
      {&kSydney, "winter", 2026, 7, 1, 12, 0, Utc(2026, 7, 1, 2, 0)},
      {&kSydney, "skipped", 2026, 10, 4, 2, 30, Utc(2026, 10, 3, 16, 0)},
      {&kBerlin, "leap day", 2028, 2, 29, 23, 30, Utc(2028, 2, 29, 22, 30)},
      {&kBerlin, "minute 1440 is the next midnight", 2028, 2, 28, 24, 0, Utc(2028, 2, 28, 23, 0)},
  };
  for (const Case& c : cases) {
    UtcMs got = LocalToUtc(DaysFromCivil(c.year, c.month, c.day), c.hour * 60 + c.minute, *c.zone);
    EXPECT_EQ(Text(got), Text(c.expected)) << c.name;
  }
}

TEST(UtcToLocal, ShowsTheRepeatedHourTwiceAndNeverTheSkippedOne) {
  struct Case {
    const LocalZone* zone;
    UtcMs instant;
    const char* local;
  };
  const Case cases[] = {
      {&kBerlin, Utc(2026, 3, 29, 0, 59), "2026-03-29 01:59"},
      {&kBerlin, Utc(2026, 3, 29, 1, 0), "2026-03-29 03:00"},
      {&kBerlin, Utc(2026, 10, 25, 0, 30), "2026-10-25 02:30"},
      {&kBerlin, Utc(2026, 10, 25, 1, 30), "2026-10-25 02:30"},
      {&kBerlin, Utc(2026, 12, 31, 23, 30), "2027-01-01 00:30"},
      {&kNewYork, Utc(2026, 11, 1, 5, 30), "2026-11-01 01:30"},
      {&kNewYork, Utc(2026, 11, 1, 6, 30), "2026-11-01 01:30"},
      {&kNewYork, Utc(2026, 1, 1, 3, 0), "2025-12-31 22:00"},
      {&kSydney, Utc(2025, 12, 31, 13, 30), "2026-01-01 00:30"},
  };
  for (const Case& c : cases) {
    int64_t day = 0;
    int minute = 0;
    UtcToLocal(c.instant, *c.zone, &day, &minute);
    EXPECT_EQ(Text(day * kDayMs + minute * kMinuteMs), c.local) << Text(c.instant);
  }
}

TEST(NextLocalTime, IsTodayUnlessThatTimeHasPassed) {
  UtcMs morning = Utc(2026, 12, 7, 9, 15) + 20 * 1000;  // 10:15:20 in Berlin
  EXPECT_EQ(Text(NextLocalTime(morning, 17 * 60 + 30, kBerlin)), "2026-12-07 16:30");
  EXPECT_EQ(Text(NextLocalTime(morning, 10 * 60 + 15, kBerlin)), "2026-12-08 09:15") << "this minute has begun";
  EXPECT_EQ(Text(NextLocalTime(morning, 10 * 60 + 16, kBerlin)), "2026-12-07 09:16");
  EXPECT_EQ(Text(NextLocalTime(Utc(2026, 3, 28, 12, 0), 2 * 60 + 30, kBerlin)), "2026-03-29 01:00")
      << "a time the night skips: at the change";
  EXPECT_EQ(Text(NextLocalTime(Utc(2028, 2, 28, 23, 30), 0, kUtcZone)), "2028-02-29 00:00");
}

TEST(Clock, ReadsAndWritesTwentyFourHourTimes) {
  struct Case {
    const char* text;
    bool allow24;
    int minutes;
  };
  const Case cases[] = {{"08:30", false, 510}, {"8:30", false, 510},  {"00:00", false, 0},  {"23:59", false, 1439},
                        {"24:00", true, 1440}, {"24:00", false, -1},  {"24:01", true, -1}, {"23:60", false, -1},
                        {"123:00", false, -1}, {"8:3", false, -1},    {"08-30", false, -1}, {"", false, -1},
                        {"0a:30", false, -1},  {"08:3x", false, -1}};
  for (const Case& c : cases)
    EXPECT_EQ(ParseClock(c.text, static_cast<int>(strlen(c.text)), c.allow24), c.minutes) << c.text;
  char text[8];
  FormatClock(7 * 60 + 5, text, sizeof(text));
  EXPECT_STREQ(text, "07:05");
  FormatClock(23 * 60 + 59, text, 4);
  EXPECT_STREQ(text, "23:") << "cut to its buffer";
}
