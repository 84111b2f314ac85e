// Reading and writing the clock's values. Schedule texts are read through bounded buffers:
// a label or text too long for a schedule is bad data, logged and skipped.
#include "holdoff/clock_store.h"

#include <windows.h>

#include <cstring>

#include "holdoff/holdoff_store.h"
#include "holdoff/system_clock.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/text_helpers.h"

namespace {

constexpr int kNameSize = 256;

void IgnoreSchedule(const char* name, const char* problem) {
  LogMessage(kLogLogOnly, "HoldOff: schedule \"%.100s\" ignored: %s", name, problem);
}

bool ReadDword(HKEY key, const char* name, DWORD* value) {
  DWORD type = REG_NONE;
  DWORD size = sizeof(*value);
  return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
         type == REG_DWORD && size == sizeof(*value);
}

}  // namespace

bool IsClockValueName(const char* name) {
  return lstrcmpiA(name, kHoldUntilValue) == 0 || lstrcmpiA(name, kOnBatteryValue) == 0 ||
         lstrcmpiA(name, kBatteryLimitValue) == 0;
}

UtcMs LoadHoldUntil() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kHoldOffKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  ULONGLONG value = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(value);
  LONG status = RegQueryValueExA(key, kHoldUntilValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status == ERROR_FILE_NOT_FOUND) return 0;
  if (status != ERROR_SUCCESS || type != REG_QWORD || size != sizeof(value) || value > 0x7fffffffffffffffull) {
    LogMessage(kLogLogOnly, "HoldOff: value \"until\" ignored: it must be a REG_QWORD time");
    return 0;
  }
  return static_cast<UtcMs>(value / 10000);
}

bool SaveHoldUntil(UtcMs until) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kHoldOffKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  LONG status;
  if (until <= 0) {
    status = RegDeleteValueA(key, kHoldUntilValue);
    if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
  } else {
    ULONGLONG value = static_cast<ULONGLONG>(until) * 10000;
    status = RegSetValueExA(key, kHoldUntilValue, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

namespace {

// One key's schedules: the user's (policyHive null) or the organisation's of one hive.
void ReadSchedules(HoldSchedules* schedules, HKEY hive, const char* path, const char* policyHive) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  auto ignore = [policyHive](const char* name, const char* problem) {
    if (policyHive)
      LogMessage(kLogLogOnly, "Policy: schedule \"%.100s\" under %s ignored: %s", name, policyHive, problem);
    else
      IgnoreSchedule(name, problem);
  };
  for (DWORD index = 0;; index++) {
    char name[kNameSize];
    DWORD nameSize = sizeof(name);
    char text[kScheduleTextSize * 4];
    DWORD textSize = sizeof(text) - 1;
    DWORD type = REG_NONE;
    LONG status = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(text),
                                &textSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) break;
    if (status == ERROR_MORE_DATA) {
      // The name or the data did not fit: ask for the name alone to tell which.
      nameSize = sizeof(name);
      if (RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        ignore("", "a label cannot be that long");
        continue;
      }
      ignore(name, "the schedule is too long");
      continue;
    }
    name[sizeof(name) - 1] = 0;
    text[textSize < sizeof(text) ? textSize : sizeof(text) - 1] = 0;
    HoldSchedule schedule = {};
    const char* problem = nullptr;
    if (type != REG_SZ) {
      ignore(name, "a schedule must be a REG_SZ");
    } else if (name[0] == 0 || strlen(name) >= sizeof(schedule.label)) {
      ignore(name, "a label must have 1 to 63 characters");
    } else if (!ParseHoldSchedule(text, &schedule, &problem)) {
      ignore(name, problem);
    } else {
      CopyText(schedule.label, name, sizeof(schedule.label));
      schedule.fromPolicy = policyHive != nullptr;
      int same = FindHoldSchedule(*schedules, schedule.label);
      if (same >= 0 && schedules->items[same].fromPolicy)
        ignore(name, "the organisation gives a schedule of that name");
      else if (!PutHoldSchedule(schedules, schedule))
        ignore(name, "more than 64 schedules");
    }
  }
  RegCloseKey(key);
}

}  // namespace

void LoadHoldSchedules(HoldSchedules* schedules) {
  schedules->count = 0;
  // The strongest first: a label it gives, a weaker key cannot change.
  ReadSchedules(schedules, HKEY_LOCAL_MACHINE, kSchedulesPolicyKey, "HKLM");
  ReadSchedules(schedules, HKEY_CURRENT_USER, kSchedulesPolicyKey, "HKCU");
  ReadSchedules(schedules, HKEY_CURRENT_USER, kSchedulesKey, nullptr);
}

bool SaveHoldSchedules(const HoldSchedules& previous, const HoldSchedules& schedules) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSchedulesKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    LogMessage(kLogError, TrNoop("Error saving settings to registry"));
    return false;
  }
  // The organisation's schedules are never the user's: a value of such a label is the user's to keep.
  for (int n = 0; n < previous.count; n++)
    if (!previous.items[n].fromPolicy && FindHoldSchedule(schedules, previous.items[n].label) < 0)
      RegDeleteValueA(key, previous.items[n].label);
  bool saved = true;
  for (int n = 0; n < schedules.count; n++) {
    if (schedules.items[n].fromPolicy) continue;
    char text[kScheduleTextSize];
    FormatHoldSchedule(schedules.items[n], text, sizeof(text));
    saved &= RegSetValueExA(key, schedules.items[n].label, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return saved;
}

void LoadBatteryRules(BatteryRules* rules) {
  *rules = kDefaultBatteryRules;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kHoldOffKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD value = 0;
  if (ReadDword(key, kOnBatteryValue, &value)) rules->onBattery = value != 0;
  if (ReadDword(key, kBatteryLimitValue, &value)) rules->limit = BatteryLimitOf(value);
  RegCloseKey(key);
}
