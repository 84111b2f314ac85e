// Reads what the checks judge. Every read that fails, finds a value of the wrong type or
// a path that does not fit leaves its fact unknown, so one bad value never spoils the
// rest of the report. The user's saver settings come from Control Panel\desktop (the
// current saver from system.ini on the 9x family); the overriding policies from the same
// values under the policy key of the current user and of the machine.
#include "diagnose/diagnosis_facts.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "catalog/saver_catalog.h"
#include "diagnose/power_probe.h"
#include "holdoff/clock_holds.h"
#include "holdoff/holdoff_state.h"
#include "language/clock_text.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"

namespace {

constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr const char* kPolicyKey = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
constexpr int kValueSize = 64;
constexpr int kRawPathSize = 1024;  // room to tell a path that is too long from one that fits
constexpr DWORD kDisplayRequired = 0x00000002;  // ES_DISPLAY_REQUIRED

enum class Read { kOk, kAbsent, kWrongType, kFailed };

// A text value (REG_SZ, or REG_EXPAND_SZ when `expandable`), terminated within `size`.
// A value that does not fit reads as failed.
Read ReadText(HKEY key, const char* name, bool expandable, char* text, DWORD size, DWORD* typeRead = nullptr) {
  DWORD type = 0;
  DWORD bytes = size - 1;
  LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
  if (status == ERROR_FILE_NOT_FOUND) return Read::kAbsent;
  if (status != ERROR_SUCCESS) return Read::kFailed;
  if (type != REG_SZ && !(expandable && type == REG_EXPAND_SZ)) return Read::kWrongType;
  text[bytes < size ? bytes : size - 1] = 0;
  if (typeRead) *typeRead = type;
  return Read::kOk;
}

// A whole decimal number, as the system stores the saver switches and timeout.
bool ParseNumber(const char* text, int* number) {
  char* end = nullptr;
  long value = strtol(text, &end, 10);
  if (end == text) return false;
  while (*end == ' ') end++;
  if (*end) return false;
  *number = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
  return true;
}

int ReadNumberFact(HKEY key, const char* name, int absent) {
  char text[kValueSize];
  Read read = ReadText(key, name, false, text, sizeof(text));
  if (read == Read::kAbsent) return absent;
  int number = 0;
  if (read != Read::kOk || !ParseNumber(text, &number)) return kFactUnknown;
  return number;
}

int ReadSwitchFact(HKEY key, const char* name, int absent) {
  int value = ReadNumberFact(key, name, absent);
  return value == kFactUnknown ? value : (value != 0 ? 1 : 0);
}

// Sets the path state and path from the raw setting: quotes removed, variables expanded,
// empty or "(NONE)" meaning no saver.
void TakeSaverPath(char* raw, bool expand, DiagnosisFacts* facts) {
  char expanded[kRawPathSize];
  if (expand) {
    DWORD length = ExpandEnvironmentStringsA(raw, expanded, sizeof(expanded));
    if (length == 0 || length > sizeof(expanded)) return;
    raw = expanded;
  }
  StripQuotes(raw);
  if (raw[0] == 0 || _stricmp(raw, "(NONE)") == 0) {
    facts->pathState = SaverPathState::kNone;
    return;
  }
  if (strlen(raw) >= sizeof(facts->saverPath)) return;  // too long to be a path the system opens
  CopyText(facts->saverPath, raw, sizeof(facts->saverPath));
  facts->pathState = SaverPathState::kSet;
}

void ReadDesktop(DiagnosisFacts* facts) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  facts->saverActive = ReadSwitchFact(key, "ScreenSaveActive", kFactUnknown);
  facts->timeoutSeconds = ReadNumberFact(key, "ScreenSaveTimeOut", kFactUnknown);
  if (IsNtPlatform()) {
    facts->secure = ReadSwitchFact(key, "ScreenSaverIsSecure", 0);  // absent: no password
    char raw[kRawPathSize];
    DWORD type = 0;
    Read read = ReadText(key, "SCRNSAVE.EXE", true, raw, sizeof(raw), &type);
    if (read == Read::kAbsent)
      facts->pathState = SaverPathState::kNone;
    else if (read == Read::kOk)
      TakeSaverPath(raw, type == REG_EXPAND_SZ, facts);
  } else {
    facts->secure = AppState.passwordActive != 0 ? 1 : 0;
    char raw[kRawPathSize] = "";
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", raw, sizeof(raw), "system.ini");
    TakeSaverPath(raw, false, facts);
  }
  RegCloseKey(key);
}

bool IsMissingError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
         error == ERROR_BAD_NETPATH || error == ERROR_BAD_PATHNAME;
}

// Whether the file is there and whether its headers make it a program the system can
// start; a bare file name is looked for where the system looks for programs.
void ExamineSaverFile(DiagnosisFacts* facts) {
  if (facts->pathState != SaverPathState::kSet) return;
  char path[MAX_PATH];
  if (!strchr(facts->saverPath, '\\') && !strchr(facts->saverPath, ':')) {
    DWORD length = SearchPathA(nullptr, facts->saverPath, nullptr, sizeof(path), path, nullptr);
    if (length == 0) {
      if (IsMissingError(GetLastError())) facts->fileState = SaverFileState::kMissing;
      return;
    }
    if (length >= sizeof(path)) return;
  } else {
    CopyText(path, facts->saverPath, sizeof(path));
  }
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (IsMissingError(GetLastError())) facts->fileState = SaverFileState::kMissing;
    return;
  }
  facts->fileState = SaverFileState::kExists;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    facts->kindState = SaverKindState::kNotRunnable;
    return;
  }
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size)) {
    ExeKind kind = ClassifyExecutable(ReadFileAt, file, static_cast<uint64_t>(size.QuadPart));
    facts->kindState =
        kind == ExeKind::kPe || kind == ExeKind::kNe ? SaverKindState::kRunnable : SaverKindState::kNotRunnable;
  }
  CloseHandle(file);
}

PolicyScope ReadPolicies(HKEY root) {
  PolicyScope scope = {true, 0, 0};
  HKEY key = nullptr;
  LONG status = RegOpenKeyExA(root, kPolicyKey, 0, KEY_READ, &key);
  if (status == ERROR_FILE_NOT_FOUND) return scope;
  if (status != ERROR_SUCCESS) {
    scope.readable = false;
    return scope;
  }
  for (int i = 0; i < kPolicyValueCount; i++) {
    DWORD type = 0;
    status = RegQueryValueExA(key, PolicyValueName(i), nullptr, &type, nullptr, nullptr);
    if (status == ERROR_FILE_NOT_FOUND) continue;
    if (status != ERROR_SUCCESS)
      scope.readable = false;
    else if (type == REG_SZ || type == REG_EXPAND_SZ)
      scope.setMask |= 1u << i;
    else
      scope.wrongMask |= 1u << i;
  }
  RegCloseKey(key);
  return scope;
}

void ReadPower(DiagnosisFacts* facts) {
  if (PowerProbeEntry.readDisplayTimeouts)
    PowerProbeEntry.readDisplayTimeouts(&facts->displayOffAcSeconds, &facts->displayOffDcSeconds);
  DWORD state = 0;
  if (PowerProbeEntry.readExecutionState && PowerProbeEntry.readExecutionState(&state))
    facts->displayRequired = (state & kDisplayRequired) ? 1 : 0;
}

// The running disable period's seconds left; at least 1 while its timer has not ended it.
int DisableSecondsLeft() {
  int seconds = AppState.disableSeconds;
  if (seconds <= 0) return 0;
  DWORD elapsed = (GetTickCount() - AppState.disableStartTick) / 1000u;
  return elapsed >= static_cast<DWORD>(seconds) ? 1 : seconds - static_cast<int>(elapsed);
}

}  // namespace

void GatherDiagnosisFacts(DiagnosisFacts* facts) {
  ResetDiagnosisFacts(facts);
  ReadDesktop(facts);
  ExamineSaverFile(facts);
  facts->userPolicy = ReadPolicies(HKEY_CURRENT_USER);
  facts->machinePolicy = ReadPolicies(HKEY_LOCAL_MACHINE);
  ReadPower(facts);
  facts->disableSecondsLeft = DisableSecondsLeft();
  // Dozelite holds the display on exactly while a hold-off rule holds the saver.
  facts->heldOff = GetHoldOffLogReason(facts->holdReason, sizeof(facts->holdReason));
  GetHoldOffReason(facts->holdReasonShown, sizeof(facts->holdReasonShown));
  facts->ownHold = facts->heldOff;
  facts->heldByPolicy = facts->heldOff && IsHoldOffByPolicy();
  // A copy started only to diagnose has not followed the clock: it reads it now.
  LookAtClockHoldsOnce();
  int minute = 0;
  if (GetHoldUntil(&minute)) {
    FormatClock(minute, facts->holdUntil, sizeof(facts->holdUntil));
    FormatClockText(facts->holdUntilShown, sizeof(facts->holdUntilShown), minute);
  }
  if (GetScheduleInForce(facts->scheduleLabel, sizeof(facts->scheduleLabel), &minute)) {
    FormatClock(minute, facts->scheduleUntil, sizeof(facts->scheduleUntil));
    FormatClockText(facts->scheduleUntilShown, sizeof(facts->scheduleUntilShown), minute);
  }
  GetBatteryPause(facts->batteryPause, sizeof(facts->batteryPause));
  GetBatteryPause(facts->batteryPauseShown, sizeof(facts->batteryPauseShown), true);
  GetHoldOffLogPause(nullptr, 0, facts->pausedReason, sizeof(facts->pausedReason));
  GetHoldOffPause(nullptr, 0, facts->pausedReasonShown, sizeof(facts->pausedReasonShown));
}
