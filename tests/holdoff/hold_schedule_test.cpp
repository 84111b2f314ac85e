#include "holdoff/hold_schedule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "holdoff/clock_hold.h"
#include "zone_samples.h"

namespace {

constexpr unsigned kMon = 1u << 1, kTue = 1u << 2, kWed = 1u << 3, kThu = 1u << 4, kFri = 1u << 5,
                   kSat = 1u << 6, kSun = 1u << 0;

HoldSchedule Parsed(const char* label, const char* text) {
  HoldSchedule schedule = {};
  snprintf(schedule.label, sizeof(schedule.label), "%s", label);
  const char* problem = nullptr;
  EXPECT_TRUE(ParseHoldSchedule(text, &schedule, &problem)) << text << ": " << (problem ? problem : "");
  return schedule;
}

std::string Text(UtcMs instant) {
  if (instant == 0) return "none";
  int64_t days = instant / kDayMs;
  CivilDate date = CivilFromDays(days);
  int minute = static_cast<int>((instant - days * kDayMs) / kMinuteMs);
  char text[32];
  snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d", date.year, date.month, date.day, minute / 60, minute % 60);
  return text;
}

}  // namespace

TEST(ParseHoldSchedule, ReadsEveryDayKindAndSpan) {
  struct Case {
    const char* text;
    unsigned days;
    int start;
    int end;
  };
  const Case cases[] = {
      {"mon-fri 08:30-17:30", kWorkDays, 510, 1050},
      {"sat,sun 10:00-12:00", kWeekendDays, 600, 720},
      {"daily 22:00-02:00", kEveryDay, 1320, 120},
      {"WEEKDAYS 9:00-17:00", kWorkDays, 540, 1020},
      {"Weekends 00:00-24:00", kWeekendDays, 0, 0},
      {"Monday,wed, Friday 07:00-07:30", kMon | kWed | kFri, 420, 450},
      {"fri-mon 18:00-06:00", kFri | kSat | kSun | kMon, 1080, 360},
      {"sun-sun 01:00-02:00", kSun, 60, 120},
      {"tue,tue,thu 12:00-12:00", kTue | kThu, 720, 720},
      {"  weekdays,sat   08:00-09:00  ", kWorkDays | kSat, 480, 540},
      {"mon-wed,sat 23:59-00:00", kMon | kTue | kWed | kSat, 1439, 0},
  };
  for (const Case& c : cases) {
    HoldSchedule schedule = Parsed("x", c.text);
    EXPECT_EQ(schedule.days, c.days) << c.text;
    EXPECT_EQ(schedule.startMinute, c.start) << c.text;
    EXPECT_EQ(schedule.endMinute, c.end) << c.text;
  }
}

TEST(ParseHoldSchedule, RefusesWhatItCannotReadAndLeavesTheScheduleAlone) {
  const char* const bad[] = {"",
                             "   ",
                             "08:30-17:30",
                             "mon-fri",
                             "mon-fri 08:30",
                             "mon-fri 08:30-",
                             "mon-fri 8:30 - 17:30",
                             "mon-fri 24:00-08:00",
                             "mon-fri 08:30-24:30",
                             "mon-fri 08:60-17:00",
                             "mo-fr 08:30-17:30",
                             "mon-fri, 08:30-17:30",
                             "mon fri 08:30-17:30",
                             "montag 08:30-17:30",
                             "mon-fri-sat 08:30-17:30",
                             ",mon 08:30-17:30",
                             "mon 08:30-17:30 extra"};
  for (const char* text : bad) {
    HoldSchedule schedule = {"keep", 0x55, 1, 2};
    const char* problem = nullptr;
    EXPECT_FALSE(ParseHoldSchedule(text, &schedule, &problem)) << text;
    EXPECT_TRUE(problem && problem[0]) << text;
    EXPECT_EQ(schedule.days, 0x55u) << text;
    EXPECT_EQ(schedule.startMinute, 1) << text;
  }
  std::string tooLong = "mon" + std::string(300, ',') + "mon 08:00-09:00";
  HoldSchedule schedule = {};
  EXPECT_FALSE(ParseHoldSchedule(tooLong.c_str(), &schedule, nullptr));
}

TEST(FormatHoldSchedule, WritesTextThatReadsBackTheSame) {
  struct Case {
    unsigned days;
    const char* text;
  };
  const Case cases[] = {{kEveryDay, "daily"},
                        {kWorkDays, "weekdays"},
                        {kWeekendDays, "weekends"},
                        {kMon | kTue | kWed, "mon-wed"},
                        {kTue | kThu, "tue,thu"},
                        {kMon | kTue | kFri | kSat | kSun, "mon,tue,fri-sun"},
                        {kSat, "sat"},
                        {kSun | kMon, "mon,sun"},
                        {0, ""}};
  for (const Case& c : cases) {
    char days[48];
    FormatScheduleDays(c.days, days, sizeof(days));
    EXPECT_STREQ(days, c.text);
    if (!c.days) continue;
    HoldSchedule schedule = {"x", c.days, 22 * 60, 30};
    char text[kScheduleTextSize];
    FormatHoldSchedule(schedule, text, sizeof(text));
    HoldSchedule back = Parsed("x", text);
    EXPECT_EQ(back.days, c.days) << text;
    EXPECT_EQ(back.startMinute, 22 * 60) << text;
    EXPECT_EQ(back.endMinute, 30) << text;
  }
}

// Local times below are Berlin's (winter +1, summer +2) unless a case names another zone;
// 2026-12-07 is a Monday.
TEST(EvaluateHoldSchedules, FindsTheScheduleInForceAndTheNextChange) {
  struct Case {
    const char* name;
    const LocalZone* zone;
    std::vector<const char*> texts;
    UtcMs now;
    int inForce;
    const char* endsAt;      // UTC
    const char* nextChange;  // UTC
  };
  const Case cases[] = {
      {"within working hours", &kBerlin, {"mon-fri 08:30-17:30"}, Utc(2026, 12, 7, 9, 0), 0, "2026-12-07 16:30",
       "2026-12-07 16:30"},
      {"the end is not part of the span", &kBerlin, {"mon-fri 08:30-17:30"}, Utc(2026, 12, 7, 16, 30), -1, "none",
       "2026-12-08 07:30"},
      {"friday evening waits over the weekend", &kBerlin, {"mon-fri 08:30-17:30"}, Utc(2026, 12, 11, 17, 0), -1,
       "none", "2026-12-14 07:30"},
      {"past midnight on the next day", &kBerlin, {"daily 22:00-02:00"}, Utc(2026, 12, 8, 0, 0), 0,
       "2026-12-08 01:00", "2026-12-08 01:00"},
      {"sunday night into monday: the week's wrap", &kBerlin, {"sun 23:00-01:00"}, Utc(2026, 12, 6, 23, 30), 0,
       "2026-12-07 00:00", "2026-12-07 00:00"},
      {"monday waits for sunday", &kBerlin, {"sun 23:00-01:00"}, Utc(2026, 12, 7, 0, 0), -1, "none",
       "2026-12-13 22:00"},
      {"spans that follow on are one hold", &kBerlin, {"daily 00:00-00:00"}, Utc(2026, 12, 7, 12, 0), 0, nullptr,
       nullptr},
      {"of two the one that holds longer", &kBerlin, {"mon 08:00-12:00", "daily 09:00-18:00", "mon 10:00-11:00"},
       Utc(2026, 12, 7, 9, 30), 1, "2026-12-07 17:00", "2026-12-07 10:00"},
      {"a start in the skipped hour is the change", &kBerlin, {"sun 02:30-04:00"}, Utc(2026, 3, 29, 0, 59), -1,
       "none", "2026-03-29 01:00"},
      {"and holds from the change", &kBerlin, {"sun 02:30-04:00"}, Utc(2026, 3, 29, 1, 0), 0, "2026-03-29 02:00",
       "2026-03-29 02:00"},
      {"a start in the repeated hour is the first", &kBerlin, {"sun 02:30-05:00"}, Utc(2026, 10, 25, 0, 29), -1,
       "none", "2026-10-25 00:30"},
      {"a span inside the skipped hour never holds", &kBerlin, {"sun 02:10-02:50"}, Utc(2026, 3, 29, 0, 0), -1,
       "none", "2026-04-05 00:10"},
      {"US spring", &kNewYork, {"sun 02:15-03:30"}, Utc(2026, 3, 8, 6, 0), -1, "none", "2026-03-08 07:00"},
      {"US autumn", &kNewYork, {"sun 01:30-03:00"}, Utc(2026, 11, 1, 5, 30), 0, "2026-11-01 08:00",
       "2026-11-01 08:00"},
      {"leap day into march", &kBerlin, {"tue 23:00-01:00"}, Utc(2028, 2, 29, 22, 30), 0, "2028-03-01 00:00",
       "2028-03-01 00:00"},
      {"a schedule without days", &kBerlin, {}, Utc(2026, 12, 7, 9, 0), -1, "none", "none"},
  };
  static HoldSchedules schedules;
  for (const Case& c : cases) {
    schedules.count = 0;
    int n = 0;
    for (const char* text : c.texts) {
      char label[16];
      snprintf(label, sizeof(label), "s%d", n++);
      ASSERT_TRUE(PutHoldSchedule(&schedules, Parsed(label, text)));
    }
    ScheduleMoment moment;
    EvaluateHoldSchedules(schedules, c.now, *c.zone, &moment);
    EXPECT_EQ(moment.inForce, c.inForce) << c.name;
    if (c.endsAt) {
      EXPECT_EQ(Text(moment.inForce >= 0 ? moment.endsAt : 0), c.endsAt) << c.name;
    }
    if (c.nextChange) {
      EXPECT_EQ(Text(moment.nextChange), c.nextChange) << c.name;
    } else {
      EXPECT_GE(moment.nextChange - c.now, 7 * kDayMs) << c.name << ": no wake at each midnight";
    }
  }
}

TEST(HoldSchedules, LabelsAreUniqueIgnoringCase) {
  static HoldSchedules schedules;
  schedules.count = 0;
  ASSERT_TRUE(PutHoldSchedule(&schedules, Parsed("Work", "weekdays 08:00-17:00")));
  ASSERT_TRUE(PutHoldSchedule(&schedules, Parsed("work", "weekends 10:00-11:00")));
  EXPECT_EQ(schedules.count, 1);
  EXPECT_EQ(schedules.items[0].days, kWeekendDays);
  EXPECT_FALSE(PutHoldSchedule(&schedules, HoldSchedule{"", kEveryDay, 0, 60, false}));
  for (int n = 1; n < kMaxHoldSchedules; n++) {
    char label[16];
    snprintf(label, sizeof(label), "%d", n);
    ASSERT_TRUE(PutHoldSchedule(&schedules, Parsed(label, "daily 01:00-02:00")));
  }
  EXPECT_FALSE(PutHoldSchedule(&schedules, Parsed("one more", "daily 01:00-02:00")));
  RemoveHoldSchedule(&schedules, 0);
  EXPECT_EQ(FindHoldSchedule(schedules, "WORK"), -1);
  EXPECT_EQ(FindHoldSchedule(schedules, "1"), 0);
}

TEST(ClockHolds, NameTheUntilHoldBeforeTheScheduleAndPauseOnBattery) {
  char reason[kScheduleLabelSize + 64];
  EXPECT_TRUE(ChooseClockReason({17 * 60 + 30, "Work", 18 * 60}, reason, sizeof(reason)));
  EXPECT_STREQ(reason, "held until 17:30");
  EXPECT_TRUE(ChooseClockReason({-1, "Work", 9 * 60 + 5}, reason, sizeof(reason)));
  EXPECT_STREQ(reason, "the schedule \"Work\" runs until 09:05");
  EXPECT_FALSE(ChooseClockReason({-1, nullptr, 0}, reason, sizeof(reason)));
  EXPECT_STREQ(reason, "");

  struct Case {
    BatteryRules rules;
    PowerReading power;
    const char* why;
  };
  const Case cases[] = {
      {kDefaultBatteryRules, {true, 5}, ""},        {{0, 0}, {true, 100}, "on battery"},
      {{0, 0}, {false, 5}, ""},                     {{1, 20}, {true, 18}, "battery at 18%"},
      {{1, 20}, {true, 20}, "battery at 20%"},      {{1, 20}, {true, 21}, ""},
      {{1, 20}, {true, -1}, ""},                    {{1, 20}, {false, 3}, ""},
      {{0, 20}, {true, 10}, "on battery"},
  };
  for (const Case& c : cases) {
    char why[32] = "untouched";
    EXPECT_EQ(BatteryPausesHolds(c.rules, c.power, why, sizeof(why)), c.why[0] != 0) << c.why;
    EXPECT_STREQ(why, c.why);
  }
  EXPECT_EQ(BatteryLimitOf(18), 18);
  EXPECT_EQ(BatteryLimitOf(100), 0);
  EXPECT_EQ(BatteryLimitOf(0xffffffffu), 0);
}
