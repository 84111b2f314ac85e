// The schedule text and the schedules' windows. A schedule opens one window on each of its
// days, from its start to its end in local time (the next day's end when the end is not
// after the start); the windows are placed in UTC through the zone's rules, so a window
// keeps its local hours across a change of daylight time.
#include "holdoff/hold_schedule.h"

#include <cstdio>
#include <cstring>

#include "language/text.h"
#include "shell/text_helpers.h"

namespace {

const char* const kDayNames[7] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool SameWord(const char* text, int length, const char* word) {
  if (static_cast<int>(strlen(word)) != length) return false;
  for (int n = 0; n < length; n++)
    if (AsciiLower(text[n]) != word[n]) return false;
  return true;
}

// A day by its three-letter or full English name: 0 Sunday .. 6 Saturday, or -1.
int DayOf(const char* text, int length) {
  for (int day = 0; day < 7; day++)
    if (SameWord(text, length, kDayNames[day]) ||
        (length == 3 && AsciiLower(text[0]) == kDayNames[day][0] && AsciiLower(text[1]) == kDayNames[day][1] &&
         AsciiLower(text[2]) == kDayNames[day][2]))
      return day;
  return -1;
}

// One item of the day list (a word, a day or a range of days) into *days.
bool ReadDayItem(const char* text, int length, unsigned* days) {
  while (length > 0 && IsBlank(text[0])) text++, length--;
  while (length > 0 && IsBlank(text[length - 1])) length--;
  if (SameWord(text, length, "daily")) {
    *days |= kEveryDay;
    return true;
  }
  if (SameWord(text, length, "weekdays")) {
    *days |= kWorkDays;
    return true;
  }
  if (SameWord(text, length, "weekends")) {
    *days |= kWeekendDays;
    return true;
  }
  const char* dash = static_cast<const char*>(memchr(text, '-', static_cast<size_t>(length)));
  if (!dash) {
    int day = DayOf(text, length);
    if (day < 0) return false;
    *days |= 1u << day;
    return true;
  }
  int first = DayOf(text, static_cast<int>(dash - text));
  int last = DayOf(dash + 1, static_cast<int>(text + length - dash - 1));
  if (first < 0 || last < 0) return false;
  for (int day = first;; day = (day + 1) % 7) {  // a range may run over the week's end
    *days |= 1u << day;
    if (day == last) break;
  }
  return true;
}

struct Window {
  UtcMs start;
  UtcMs end;
};

}  // namespace

bool ParseHoldSchedule(const char* text, HoldSchedule* schedule, const char** problem) {
  const char* found = nullptr;
  unsigned days = 0;
  int start = -1;
  int end = -1;
  if (!text) text = "";
  int length = static_cast<int>(strnlen(text, kScheduleTextSize * 4));
  while (length > 0 && IsBlank(text[0])) text++, length--;
  while (length > 0 && IsBlank(text[length - 1])) length--;
  int spanAt = length;
  while (spanAt > 0 && !IsBlank(text[spanAt - 1])) spanAt--;
  if (length == 0)
    found = "empty schedule";
  else if (length >= kScheduleTextSize * 4)
    found = "schedule too long";
  else if (spanAt == 0)
    found = "days and a time span are needed, as in mon-fri 08:30-17:30";
  if (!found) {
    const char* span = text + spanAt;
    int spanLength = length - spanAt;
    const char* dash = static_cast<const char*>(memchr(span, '-', static_cast<size_t>(spanLength)));
    if (dash) {
      start = ParseClock(span, static_cast<int>(dash - span), false);
      end = ParseClock(dash + 1, static_cast<int>(span + spanLength - dash - 1), true);
    }
    if (start < 0 || end < 0) found = "the time span must read HH:MM-HH:MM (24-hour)";
  }
  if (!found) {
    int item = 0;
    for (int n = 0; n <= spanAt; n++) {
      if (n < spanAt && text[n] != ',') continue;
      if (!ReadDayItem(text + item, n - item, &days)) {
        found = "a day must be a name such as mon or monday, a range such as mon-fri, or daily, weekdays, weekends";
        break;
      }
      item = n + 1;
    }
  }
  if (found) {
    if (problem) *problem = found;
    return false;
  }
  schedule->days = days;
  schedule->startMinute = start;
  schedule->endMinute = end % kDayMinutes;
  return true;
}

namespace {

// Translators: the days of a schedule in the schedules list, as "mon-fri" or "tue,thu"
// (three letters, lower case as the schedules are typed) or the words for every day,
// Monday to Friday, and Saturday with Sunday.
const char* const kShortDayNames[7] = {TrNoop("sun"), TrNoop("mon"), TrNoop("tue"), TrNoop("wed"),
                                       TrNoop("thu"), TrNoop("fri"), TrNoop("sat")};
const char* const kDayWords[3] = {TrNoop("daily"), TrNoop("weekdays"), TrNoop("weekends")};

void FormatDays(unsigned days, char* text, int size, bool shown) {
  if (!text || size <= 0) return;
  auto word = [shown](const char* english) { return shown ? Tr(english) : english; };
  days &= kEveryDay;
  text[0] = 0;
  if (days == kEveryDay) return CopyText(text, word(kDayWords[0]), size);
  if (days == kWorkDays) return CopyText(text, word(kDayWords[1]), size);
  if (days == kWeekendDays) return CopyText(text, word(kDayWords[2]), size);
  // Monday first, as a week is read; Sunday last.
  static const int kOrder[7] = {1, 2, 3, 4, 5, 6, 0};
  for (int n = 0; n < 7;) {
    if (!(days & (1u << kOrder[n]))) {
      n++;
      continue;
    }
    int last = n;
    while (last + 1 < 7 && (days & (1u << kOrder[last + 1]))) last++;
    char part[96];
    const char* first = word(kShortDayNames[kOrder[n]]);
    const char* final = word(kShortDayNames[kOrder[last]]);
    if (last - n >= 2)
      snprintf(part, sizeof(part), "%.40s-%.40s", first, final);
    else if (last > n)
      snprintf(part, sizeof(part), "%.40s,%.40s", first, final);
    else
      snprintf(part, sizeof(part), "%.40s", first);
    if (text[0]) AppendText(text, ",", size);
    AppendText(text, part, size);
    n = last + 1;
  }
}

}  // namespace

void FormatScheduleDays(unsigned days, char* text, int size) { FormatDays(days, text, size, false); }
void FormatScheduleDaysText(unsigned days, char* text, int size) { FormatDays(days, text, size, true); }

void FormatScheduleSpan(const HoldSchedule& schedule, char* text, int size) {
  char start[8];
  char end[8];
  FormatClock(schedule.startMinute, start, sizeof(start));
  FormatClock(schedule.endMinute, end, sizeof(end));
  snprintf(text, static_cast<size_t>(size), "%s-%s", start, end);
}

void FormatHoldSchedule(const HoldSchedule& schedule, char* text, int size) {
  char days[48];
  char span[16];
  FormatScheduleDays(schedule.days, days, sizeof(days));
  FormatScheduleSpan(schedule, span, sizeof(span));
  snprintf(text, static_cast<size_t>(size), "%s %s", days, span);
}

int FindHoldSchedule(const HoldSchedules& schedules, const char* label) {
  if (!label) return -1;
  for (int n = 0; n < schedules.count; n++) {
    const char* a = schedules.items[n].label;
    const char* b = label;
    while (*a && AsciiLower(*a) == AsciiLower(*b)) a++, b++;
    if (*a == 0 && *b == 0) return n;
  }
  return -1;
}

bool PutHoldSchedule(HoldSchedules* schedules, const HoldSchedule& schedule) {
  if (schedule.label[0] == 0) return false;
  int existing = FindHoldSchedule(*schedules, schedule.label);
  if (existing >= 0) {
    // The strongest source is read first: what the organisation gives stays.
    if (schedules->items[existing].fromPolicy) return false;
    schedules->items[existing] = schedule;
    return true;
  }
  if (schedules->count >= kMaxHoldSchedules) return false;
  schedules->items[schedules->count++] = schedule;
  return true;
}

bool RemoveHoldSchedule(HoldSchedules* schedules, int index) {
  if (index < 0 || index >= schedules->count || schedules->items[index].fromPolicy) return false;
  memmove(&schedules->items[index], &schedules->items[index + 1],
          static_cast<size_t>(schedules->count - index - 1) * sizeof(HoldSchedule));
  schedules->count--;
  return true;
}

// Windows from the day before today (a span past midnight) to eight days ahead (the next
// start of a schedule that runs once a week), in order. A window that a change of
// daylight time leaves empty is dropped.
void EvaluateHoldSchedules(const HoldSchedules& schedules, UtcMs now, const LocalZone& zone, ScheduleMoment* moment) {
  moment->inForce = -1;
  moment->endsAt = 0;
  moment->endMinute = 0;
  moment->nextChange = 0;
  int64_t today = 0;
  int minute = 0;
  UtcToLocal(now, zone, &today, &minute);
  auto consider = [&](UtcMs instant) {
    if (instant > now && (moment->nextChange == 0 || instant < moment->nextChange)) moment->nextChange = instant;
  };
  for (int n = 0; n < schedules.count; n++) {
    const HoldSchedule& schedule = schedules.items[n];
    if (!(schedule.days & kEveryDay)) continue;
    Window windows[10];
    int count = 0;
    for (int64_t day = today - 1; day <= today + 8; day++) {
      if (!(schedule.days & (1u << CivilFromDays(day).weekday))) continue;
      int64_t endDay = schedule.endMinute <= schedule.startMinute ? day + 1 : day;
      Window window = {LocalToUtc(day, schedule.startMinute, zone), LocalToUtc(endDay, schedule.endMinute, zone)};
      if (window.end > window.start) windows[count++] = window;
    }
    for (int w = 0; w < count; w++) {
      // Where one window begins as the last ends, the hold goes on: no change there.
      if (w == 0 || windows[w].start > windows[w - 1].end) consider(windows[w].start);
      if (w + 1 == count || windows[w + 1].start > windows[w].end) consider(windows[w].end);
    }
    for (int w = 0; w < count; w++) {
      if (windows[w].start > now || windows[w].end <= now) continue;
      UtcMs end = windows[w].end;
      for (int next = w + 1; next < count && windows[next].start <= end; next++)
        if (windows[next].end > end) end = windows[next].end;
      if (moment->inForce < 0 || end > moment->endsAt) {
        moment->inForce = n;
        moment->endsAt = end;
        moment->endMinute = schedule.endMinute;
      }
      break;
    }
  }
}
