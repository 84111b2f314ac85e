// Reading and writing the hold-off rules. Every value is read through bounded buffers:
// a name or text longer than any rule can hold is bad data, logged and skipped.
#include "holdoff/holdoff_store.h"

#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "holdoff/clock_store.h"
#include "language/text.h"
#include "log/log.h"

namespace {

constexpr int kValueNameSize = 256;
constexpr int kValueDataSize = 32;  // "running", "front" and room for a wrong word

bool IsSwitchName(const char* name) {
  return lstrcmpiA(name, kHoldOffEnabledValue) == 0 || lstrcmpiA(name, kHoldOffFullScreenValue) == 0;
}

// Where a value is read from: the user's key, or the policy key of one hive ("HKLM", "HKCU").
struct Source {
  const char* policyHive;  // null for the user's own key
};

void Ignore(const Source& source, const char* name, const char* problem) {
  if (source.policyHive)
    LogMessage(kLogLogOnly, "Policy: HoldOff value \"%.100s\" under %s ignored: %s", name, source.policyHive, problem);
  else
    LogMessage(kLogLogOnly, "HoldOff: value \"%.100s\" ignored: %s", name, problem);
}

void ReadSwitch(HoldOffRules* rules, const Source& source, const char* name, DWORD type, const BYTE* data,
                DWORD size) {
  if (type != REG_DWORD || size != sizeof(DWORD)) {
    Ignore(source, name, "a switch must be a REG_DWORD");
    return;
  }
  bool enabled = lstrcmpiA(name, kHoldOffEnabledValue) == 0;
  int bit = enabled ? kHoldOffEnabledByPolicy : kHoldOffFullScreenByPolicy;
  if (rules->policySwitches & bit) return;  // a stronger policy has set it
  DWORD value;
  memcpy(&value, data, sizeof(value));
  (enabled ? rules->enabled : rules->fullscreen) = value != 0;
  if (source.policyHive) rules->policySwitches |= bit;
}

void ReadProgram(HoldOffRules* rules, const Source& source, const char* name, DWORD type, BYTE* data, DWORD size,
                 LONG status) {
  if (type != REG_SZ || status != ERROR_SUCCESS) {
    Ignore(source, name, type != REG_SZ ? "a program must be a REG_SZ" : "the data must be running or front");
    return;
  }
  char text[kValueDataSize];
  DWORD end = size < sizeof(text) ? size : sizeof(text) - 1;
  memcpy(text, data, end);
  text[end] = 0;
  HoldOffRule rule;
  const char* problem = nullptr;
  if (!ParseHoldOffRule(name, text, &rule, &problem)) {
    Ignore(source, name, problem);
    return;
  }
  rule.fromPolicy = source.policyHive != nullptr;
  // The organisation's rule of the same program stays as it is (PutHoldOffRule keeps it).
  if (!PutHoldOffRule(rules, rule)) Ignore(source, name, "more than 256 programs");
}

// Walks the key's values. The name is asked for first without the data, so a name too
// long for any rule and data too long for any kind are told apart: the first comes with
// an empty name, the second with ERROR_MORE_DATA as its status.
template <typename Visit>
void ForEachValue(HKEY key, Visit visit) {
  for (DWORD index = 0;; index++) {
    char name[kValueNameSize];
    DWORD nameSize = sizeof(name);
    DWORD type = REG_NONE;
    DWORD dataSize = 0;
    LONG status = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, nullptr, &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    BYTE data[kValueDataSize] = {};
    if (status == ERROR_SUCCESS) {
      name[sizeof(name) - 1] = 0;
      DWORD capacity = sizeof(data);
      status = RegQueryValueExA(key, name, nullptr, &type, data, &capacity);
      dataSize = capacity;
    } else if (status == ERROR_MORE_DATA) {
      name[0] = 0;
    } else {
      break;
    }
    visit(name, type, data, dataSize, status);
  }
}

}  // namespace

namespace {

// Reads one key's values into *rules; false when the key cannot be opened.
bool ReadKey(HoldOffRules* rules, HKEY hive, const char* path, const Source& source) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ForEachValue(key, [&](const char* name, DWORD type, BYTE* data, DWORD size, LONG status) {
    if (name[0] == 0)
      Ignore(source, "", "a program name cannot be empty or that long");
    else if (IsClockValueName(name))
      return;  // read by the clock's store
    else if (IsSwitchName(name))
      ReadSwitch(rules, source, name, type, data, status == ERROR_SUCCESS ? size : 0);
    else
      ReadProgram(rules, source, name, type, data, size, status);
  });
  RegCloseKey(key);
  return true;
}

}  // namespace

bool LoadHoldOffRules(HoldOffRules* rules) {
  ResetHoldOffRules(rules);
  // The strongest first: what it sets, a weaker key cannot change.
  ReadKey(rules, HKEY_LOCAL_MACHINE, kHoldOffPolicyKey, Source{"HKLM"});
  ReadKey(rules, HKEY_CURRENT_USER, kHoldOffPolicyKey, Source{"HKCU"});
  return ReadKey(rules, HKEY_CURRENT_USER, kHoldOffKey, Source{nullptr});
}

namespace {

// A DWORD of that name in either hive's policy key.
bool SwitchSetByPolicy(const char* name) {
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, kHoldOffPolicyKey, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof(data);
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(DWORD)) return true;
  }
  return false;
}

}  // namespace

bool SaveHoldOffSwitch(const char* name, bool on) {
  if (SwitchSetByPolicy(name)) {
    LogMessage(kLogLogOnly, "Policy: HoldOff\\%s is set by your organisation", name);
    return false;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kHoldOffKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  DWORD value = on ? 1 : 0;
  LONG status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool SaveHoldOffRules(const HoldOffRules& previous, const HoldOffRules& rules) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kHoldOffKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    LogMessage(kLogError, TrNoop("Error saving settings to registry"));
    return false;
  }
  for (int n = 0; n < previous.count; n++) {
    const HoldOffRule& old = previous.programs[n];
    if (old.fromPolicy) continue;  // never the user's: a value of that name is the user's to keep
    if (FindHoldOffRule(rules, kHoldWhileRunning, old.name) < 0 &&
        FindHoldOffRule(rules, kHoldWhileInFront, old.name) < 0)
      RegDeleteValueA(key, old.name);
  }
  bool saved = true;
  DWORD enabled = rules.enabled ? 1 : 0;
  DWORD fullscreen = rules.fullscreen ? 1 : 0;
  // A switch the policy sets holds the policy's value: the user's own stays as it was.
  if (!(rules.policySwitches & kHoldOffEnabledByPolicy))
    saved &= RegSetValueExA(key, kHoldOffEnabledValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled),
                            sizeof(enabled)) == ERROR_SUCCESS;
  if (!(rules.policySwitches & kHoldOffFullScreenByPolicy))
    saved &= RegSetValueExA(key, kHoldOffFullScreenValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&fullscreen),
                            sizeof(fullscreen)) == ERROR_SUCCESS;
  for (int n = 0; n < rules.count; n++) {
    if (rules.programs[n].fromPolicy) continue;
    const char* kind = HoldOffKindText(rules.programs[n].kind);
    saved &= RegSetValueExA(key, rules.programs[n].name, 0, REG_SZ, reinterpret_cast<const BYTE*>(kind),
                            static_cast<DWORD>(strlen(kind) + 1)) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return saved;
}
