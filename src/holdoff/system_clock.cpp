// The real clock, zone and power source. The zone's rules come from the dynamic time zone
// of the system for each year asked (rules change between years), cached because the
// schedules ask for the same years many times per evaluation. Main thread only.
#include "holdoff/system_clock.h"

namespace {

struct CachedYear {
  int year;
  bool known;
  ZoneRules rules;
};
CachedYear cache[4];
int cacheNext = 0;

ZoneChange ChangeOf(const SYSTEMTIME& date) {
  ZoneChange change = {};
  change.month = date.wMonth;
  change.minute = date.wHour * 60 + date.wMinute;
  if (date.wYear != 0) {  // an absolute date
    change.day = date.wDay;
  } else {
    change.week = date.wDay;
    change.weekday = date.wDayOfWeek;
  }
  return change;
}

bool ReadYear(int year, ZoneRules* rules) {
  TIME_ZONE_INFORMATION zone = {};
  if (!GetTimeZoneInformationForYear(static_cast<USHORT>(year), nullptr, &zone)) {
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return false;
  }
  rules->bias = zone.Bias;
  rules->standardBias = zone.StandardBias;
  rules->daylightBias = zone.DaylightBias;
  rules->toStandard = ChangeOf(zone.StandardDate);
  rules->toDaylight = ChangeOf(zone.DaylightDate);
  return true;
}

bool SystemRulesForYear(int year, ZoneRules* rules, const void*) {
  for (const CachedYear& entry : cache) {
    if (entry.year == year) {
      *rules = entry.rules;
      return entry.known;
    }
  }
  CachedYear& entry = cache[cacheNext];
  cacheNext = (cacheNext + 1) % 4;
  entry.year = year;
  entry.known = ReadYear(year, &entry.rules);
  *rules = entry.rules;
  return entry.known;
}

const LocalZone kSystemZone = {SystemRulesForYear, nullptr};

}  // namespace

UtcMs UtcMsFromFileTime(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<UtcMs>(value.QuadPart / 10000);
}

FILETIME FileTimeFromUtcMs(UtcMs instant) {
  ULARGE_INTEGER value;
  value.QuadPart = static_cast<ULONGLONG>(instant) * 10000;
  FILETIME time;
  time.dwLowDateTime = value.LowPart;
  time.dwHighDateTime = value.HighPart;
  return time;
}

UtcMs RealClock() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return UtcMsFromFileTime(now);
}

PowerReading RealPowerStatus() {
  PowerReading reading = {false, -1};
  SYSTEM_POWER_STATUS status = {};
  if (!GetSystemPowerStatus(&status)) return reading;
  // 128: no system battery; 255: unknown. Only a line reported off counts as on battery.
  reading.onBattery = status.ACLineStatus == 0 && status.BatteryFlag != 128;
  reading.percent = status.BatteryLifePercent <= 100 ? status.BatteryLifePercent : -1;
  return reading;
}

const LocalZone& SystemZone() { return kSystemZone; }

void ForgetZoneRules() {
  for (CachedYear& entry : cache) entry.year = 0;
}

ClockEntryFn ClockEntry = RealClock;
PowerStatusEntryFn PowerStatusEntry = RealPowerStatus;
