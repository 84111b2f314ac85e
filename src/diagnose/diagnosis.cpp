// Judges each check from the gathered facts. A check whose facts the system did not give
// says `unknown` rather than guessing; a check that does not apply (no saver file to
// examine) says `ok`, because another check already names the cause. Only the checks
// whose remedy is harmless and reversible offer a fix.
#include "diagnose/diagnosis.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "shell/duration.h"
#include "shell/text_helpers.h"

namespace {

constexpr int kMinuteSeconds = 60;
constexpr int kDaySeconds = 24 * 60 * 60;
constexpr int kLongestFormattedSeconds = 4294967;  // the most FormatDuration's milliseconds hold
constexpr int kDurationTextSize = 48;

const char* const kPolicyNames[kPolicyValueCount] = {"ScreenSaveActive", "ScreenSaveTimeOut", "SCRNSAVE.EXE",
                                                     "ScreenSaverIsSecure"};

struct Duration {
  char text[kDurationTextSize];
};

// A number of seconds as the menus show durations; beyond the milliseconds the duration
// formatter can hold, in whole hours.
Duration FormatSeconds(int seconds) {
  Duration duration;
  if (seconds < 0)
    snprintf(duration.text, sizeof(duration.text), "%d Seconds", seconds);
  else if (seconds > kLongestFormattedSeconds)
    snprintf(duration.text, sizeof(duration.text), "%d Hours", seconds / 3600);
  else
    FormatDuration(duration.text, sizeof(duration.text), static_cast<uint32_t>(seconds) * 1000u);
  return duration;
}

void Set(CheckResult* check, CheckState state, const char* text, FixKind fix = FixKind::kNone) {
  check->state = state;
  check->fix = fix;
  CopyText(check->text, text, sizeof(check->text));
}

// The same with a formatted text; every text here has at most two arguments.
template <typename... Args>
void SetF(CheckResult* check, CheckState state, FixKind fix, const char* format, Args... args) {
  check->state = state;
  check->fix = fix;
  snprintf(check->text, sizeof(check->text), format, args...);
}

void JudgeSaverOff(const DiagnosisFacts& facts, CheckResult* check) {
  if (facts.saverActive == kFactUnknown)
    Set(check, CheckState::kUnknown, "The system does not say whether the screen saver is switched on.");
  else if (facts.saverActive == 0)
    Set(check, CheckState::kProblem, "The screen saver is switched off, so it never starts by itself.",
        FixKind::kSwitchSaverOn);
  else
    Set(check, CheckState::kOk, "The screen saver is switched on.");
}

void JudgeNoSaver(const DiagnosisFacts& facts, CheckResult* check) {
  switch (facts.pathState) {
    case SaverPathState::kUnknown:
      Set(check, CheckState::kUnknown, "The current screen saver could not be read: the setting is unreadable or too long.");
      break;
    case SaverPathState::kNone:
      Set(check, CheckState::kProblem, "No screen saver is chosen, so there is nothing to start.",
          FixKind::kPickRandomSaver);
      break;
    case SaverPathState::kSet:
      SetF(check, CheckState::kOk, FixKind::kNone, "The current screen saver is %s.", facts.saverPath);
      break;
  }
}

void JudgeSaverMissing(const DiagnosisFacts& facts, CheckResult* check) {
  if (facts.pathState == SaverPathState::kUnknown) {
    Set(check, CheckState::kUnknown, "Without the current screen saver's path its file cannot be looked for.");
  } else if (facts.pathState == SaverPathState::kNone) {
    Set(check, CheckState::kOk, "There is no screen saver file to look for.");
  } else if (facts.fileState == SaverFileState::kUnknown) {
    SetF(check, CheckState::kUnknown, FixKind::kNone, "Whether %s exists could not be checked.", facts.saverPath);
  } else if (facts.fileState == SaverFileState::kMissing) {
    SetF(check, CheckState::kProblem, FixKind::kPickRandomSaver, "The screen saver file %s does not exist.",
         facts.saverPath);
  } else {
    Set(check, CheckState::kOk, "The screen saver file exists.");
  }
}

// The path decides first: with no saver chosen no file is looked at, so the file's state
// stays unknown and says nothing.
void JudgeSaverInvalid(const DiagnosisFacts& facts, CheckResult* check) {
  if (facts.pathState == SaverPathState::kNone || facts.fileState == SaverFileState::kMissing) {
    Set(check, CheckState::kOk, "There is no screen saver file to examine.");
  } else if (facts.pathState == SaverPathState::kUnknown || facts.fileState == SaverFileState::kUnknown) {
    Set(check, CheckState::kUnknown, "The screen saver file could not be examined.");
  } else if (facts.kindState == SaverKindState::kUnknown) {
    SetF(check, CheckState::kUnknown, FixKind::kNone, "The screen saver file %s could not be read.", facts.saverPath);
  } else if (facts.kindState == SaverKindState::kNotRunnable) {
    SetF(check, CheckState::kProblem, FixKind::kPickRandomSaver,
         "%s is not a program that can run as a screen saver.", facts.saverPath);
  } else {
    Set(check, CheckState::kOk, "The screen saver file is a program that can run as a screen saver.");
  }
}

// Names every policy value set, each with where it is set: "ScreenSaveActive (current
// user), SCRNSAVE.EXE (machine)".
void ListPolicies(const DiagnosisFacts& facts, char* list, int size) {
  list[0] = 0;
  const struct {
    const PolicyScope* scope;
    const char* name;
  } scopes[] = {{&facts.userPolicy, " (current user)"}, {&facts.machinePolicy, " (machine)"}};
  for (const auto& scope : scopes) {
    for (int i = 0; i < kPolicyValueCount; i++) {
      if (!(scope.scope->setMask & (1u << i))) continue;
      if (list[0]) AppendText(list, ", ", size);
      AppendText(list, kPolicyNames[i], size);
      AppendText(list, scope.name, size);
    }
  }
}

void JudgePolicy(const DiagnosisFacts& facts, CheckResult* check) {
  char list[kCheckTextSize / 2];
  ListPolicies(facts, list, sizeof(list));
  bool unknown = !facts.userPolicy.readable || !facts.machinePolicy.readable || facts.userPolicy.wrongMask != 0 ||
                 facts.machinePolicy.wrongMask != 0;
  if (list[0])
    SetF(check, CheckState::kProblem, FixKind::kNone, "A policy sets %s: changes made here have no effect.", list);
  else if (unknown)
    Set(check, CheckState::kUnknown, "The saver policies could not be read: a key is unreadable or a value has the wrong type.");
  else
    Set(check, CheckState::kOk, "No policy overrides the screen saver settings.");
}

// The display goes dark at or before the saver's time on mains or on battery (0 is
// "never"). The fix moves the saver one minute before the earlier of the two, when that
// leaves at least a minute.
void JudgeDisplayOffFirst(const DiagnosisFacts& facts, CheckResult* check, int* fixTimeout) {
  *fixTimeout = 0;
  int timeout = facts.timeoutSeconds;
  auto first = [timeout](int display) { return timeout != kFactUnknown && display > 0 && display <= timeout; };
  bool onMains = first(facts.displayOffAcSeconds);
  bool onBattery = first(facts.displayOffDcSeconds);
  if (onMains || onBattery) {
    int earliest = onMains ? facts.displayOffAcSeconds : facts.displayOffDcSeconds;
    if (onMains && onBattery && facts.displayOffDcSeconds < earliest) earliest = facts.displayOffDcSeconds;
    char where[2 * kDurationTextSize + 40];
    if (onMains && onBattery)
      snprintf(where, sizeof(where), "%s on mains power and %s on battery", FormatSeconds(facts.displayOffAcSeconds).text,
               FormatSeconds(facts.displayOffDcSeconds).text);
    else
      snprintf(where, sizeof(where), "%s on %s", FormatSeconds(earliest).text, onMains ? "mains power" : "battery");
    FixKind fix = FixKind::kNone;
    if (earliest - kMinuteSeconds >= kMinuteSeconds) {
      *fixTimeout = earliest - kMinuteSeconds;
      fix = FixKind::kSetTimeoutBelowDisplay;
    }
    SetF(check, CheckState::kProblem, fix,
         "The power plan turns the display off after %s, at or before the saver's %s, so the saver never shows.", where,
         FormatSeconds(timeout).text);
  } else if (timeout == kFactUnknown || facts.displayOffAcSeconds == kFactUnknown ||
             facts.displayOffDcSeconds == kFactUnknown) {
    Set(check, CheckState::kUnknown, "The power plan's display time-out or the saver timeout could not be read.");
  } else {
    Set(check, CheckState::kOk, "The power plan keeps the display on longer than the saver's timeout.");
  }
}

void JudgeDisplayRequest(const DiagnosisFacts& facts, CheckResult* check) {
  if (facts.displayRequired == kFactUnknown)
    Set(check, CheckState::kUnknown, "The system does not say whether a program keeps the display on.");
  else if (facts.displayRequired && facts.ownHold)
    Set(check, CheckState::kNote,
        "The display is held on while Dozelite's own hold-off holds the saver; another program may hold it too.",
        FixKind::kFindDisplayRequests);
  else if (facts.displayRequired)
    Set(check, CheckState::kProblem, "A program asks Windows to keep the display on, so the saver cannot start.",
        FixKind::kFindDisplayRequests);
  else
    Set(check, CheckState::kOk, "No program asks Windows to keep the display on.");
}

void JudgeDisabled(const DiagnosisFacts& facts, CheckResult* check) {
  if (facts.disableSecondsLeft > 0)
    SetF(check, CheckState::kProblem, FixKind::kEndDisablePeriod, "Dozelite has disabled the saver for another %s.",
         FormatSeconds(facts.disableSecondsLeft).text);
  else
    Set(check, CheckState::kOk, "No disable period of Dozelite is running.");
}

// The hold that holds now, then the clock's holds that are set but not the reason (an
// until time behind a full-screen hold, a schedule behind an until time).
void JudgeHeldOff(const DiagnosisFacts& facts, CheckResult* check) {
  if (!facts.heldOff)
    Set(check, CheckState::kOk, "No hold-off rule holds the saver off.");
  else if (facts.holdReason[0])
    SetF(check, CheckState::kProblem, FixKind::kOpenHoldOffSettings, "A hold-off rule holds the saver off: %s.",
         facts.holdReason);
  else
    Set(check, CheckState::kProblem, "A hold-off rule holds the saver off.", FixKind::kOpenHoldOffSettings);
  char more[kCheckTextSize];
  if (facts.holdUntil[0] && !strstr(facts.holdReason, "held until ")) {
    snprintf(more, sizeof(more), " A hold until %s is set.", facts.holdUntil);
    AppendText(check->text, more, sizeof(check->text));
  }
  if (facts.scheduleLabel[0] && !strstr(facts.holdReason, "the schedule \"")) {
    snprintf(more, sizeof(more), " The schedule \"%s\" is in force until %s.", facts.scheduleLabel,
             facts.scheduleUntil);
    AppendText(check->text, more, sizeof(check->text));
  }
}

void JudgeBattery(const DiagnosisFacts& facts, CheckResult* check) {
  if (!facts.batteryPause[0])
    Set(check, CheckState::kOk, "The battery pauses no hold.");
  else if (facts.pausedReason[0])
    SetF(check, CheckState::kNote, FixKind::kNone, "Holds are paused (%s); otherwise %s would hold the saver off.",
         facts.batteryPause, facts.pausedReason);
  else
    SetF(check, CheckState::kNote, FixKind::kNone, "Holds are paused (%s).", facts.batteryPause);
}

void JudgeTimeout(const DiagnosisFacts& facts, CheckResult* check) {
  int timeout = facts.timeoutSeconds;
  if (timeout == kFactUnknown)
    Set(check, CheckState::kUnknown, "The system does not say after how long the saver starts.");
  else if (timeout < kMinuteSeconds)
    SetF(check, CheckState::kNote, FixKind::kNone, "The saver timeout is only %s, so the saver starts almost at once.",
         FormatSeconds(timeout).text);
  else if (timeout > kDaySeconds)
    SetF(check, CheckState::kNote, FixKind::kNone, "The saver timeout is %s, over a day, so the saver hardly ever starts.",
         FormatSeconds(timeout).text);
  else
    SetF(check, CheckState::kOk, FixKind::kNone, "The saver starts after %s without input.",
         FormatSeconds(timeout).text);
}

// Contradictory only when the password is on and the saver off; either switch alone
// settles it when the other is not known.
void JudgeSecureWithoutSaver(const DiagnosisFacts& facts, CheckResult* check) {
  if (facts.secure == 0 || facts.saverActive > 0)
    Set(check, CheckState::kOk, "The password setting does not rely on a saver that is off.");
  else if (facts.secure == kFactUnknown || facts.saverActive == kFactUnknown)
    Set(check, CheckState::kUnknown, "The system does not say whether the password is on while the saver is off.");
  else
    Set(check, CheckState::kProblem, "The password is on but the saver is off, so the screen never locks this way.",
        FixKind::kSwitchSaverOn);
}

}  // namespace

const char* PolicyValueName(int index) {
  return index >= 0 && index < kPolicyValueCount ? kPolicyNames[index] : nullptr;
}

void ResetDiagnosisFacts(DiagnosisFacts* facts) {
  memset(facts, 0, sizeof(*facts));
  facts->saverActive = kFactUnknown;
  facts->timeoutSeconds = kFactUnknown;
  facts->secure = kFactUnknown;
  facts->pathState = SaverPathState::kUnknown;
  facts->fileState = SaverFileState::kUnknown;
  facts->kindState = SaverKindState::kUnknown;
  facts->displayOffAcSeconds = kFactUnknown;
  facts->displayOffDcSeconds = kFactUnknown;
  facts->displayRequired = kFactUnknown;
}

void EvaluateDiagnosis(const DiagnosisFacts& facts, Diagnosis* diagnosis) {
  memset(diagnosis, 0, sizeof(*diagnosis));
  for (int i = 0; i < kCheckCount; i++) diagnosis->checks[i].id = static_cast<CheckId>(i);
  CheckResult* checks = diagnosis->checks;
  JudgeSaverOff(facts, &checks[static_cast<int>(CheckId::kSaverOff)]);
  JudgeNoSaver(facts, &checks[static_cast<int>(CheckId::kNoSaver)]);
  JudgeSaverMissing(facts, &checks[static_cast<int>(CheckId::kSaverMissing)]);
  JudgeSaverInvalid(facts, &checks[static_cast<int>(CheckId::kSaverInvalid)]);
  JudgePolicy(facts, &checks[static_cast<int>(CheckId::kPolicy)]);
  JudgeDisplayOffFirst(facts, &checks[static_cast<int>(CheckId::kDisplayOffFirst)], &diagnosis->fixTimeoutSeconds);
  JudgeDisplayRequest(facts, &checks[static_cast<int>(CheckId::kDisplayRequest)]);
  JudgeDisabled(facts, &checks[static_cast<int>(CheckId::kDisabledByDozelite)]);
  JudgeHeldOff(facts, &checks[static_cast<int>(CheckId::kHeldOff)]);
  JudgeTimeout(facts, &checks[static_cast<int>(CheckId::kTimeout)]);
  JudgeSecureWithoutSaver(facts, &checks[static_cast<int>(CheckId::kSecureWithoutSaver)]);
  JudgeBattery(facts, &checks[static_cast<int>(CheckId::kBattery)]);
}

const char* CheckIdName(CheckId id) {
  static const char* const kNames[kCheckCount] = {
      "saver-off", "no-saver",       "saver-missing",        "saver-invalid", "policy",
      "display-off-first", "display-request", "disabled-by-dozelite", "held-off", "timeout",
      "secure-without-saver", "battery"};
  int index = static_cast<int>(id);
  return index >= 0 && index < kCheckCount ? kNames[index] : "?";
}

const char* CheckStateName(CheckState state) {
  switch (state) {
    case CheckState::kOk:
      return "ok";
    case CheckState::kProblem:
      return "problem";
    case CheckState::kNote:
      return "note";
    case CheckState::kUnknown:
      break;
  }
  return "unknown";
}

const char* FixLabel(FixKind fix) {
  switch (fix) {
    case FixKind::kNone:
      break;
    case FixKind::kSwitchSaverOn:
      return "&Fix: Switch the Saver On";
    case FixKind::kPickRandomSaver:
      return "&Fix: Pick a Random Saver";
    case FixKind::kSetTimeoutBelowDisplay:
      return "&Fix: Set the Saver Timeout...";
    case FixKind::kEndDisablePeriod:
      return "&Fix: End the Disable Period";
    case FixKind::kOpenHoldOffSettings:
      return "&Fix: Open the Hold-Off Settings";
    case FixKind::kFindDisplayRequests:
      return "&Find Which...";
  }
  return nullptr;
}

int FormatCheckLine(const CheckResult& check, char* destination, int size) {
  if (!destination || size <= 0) return 0;
  int length = snprintf(destination, size, "%s: %s: %s", CheckIdName(check.id), CheckStateName(check.state), check.text);
  if (length < 0) {
    destination[0] = 0;
    return 0;
  }
  return length < size ? length : size - 1;
}

int FormatDiagnosisReport(const Diagnosis& diagnosis, char* destination, int size) {
  if (!destination || size <= 0) return 0;
  destination[0] = 0;
  bool whole = true;
  for (const CheckResult& check : diagnosis.checks) {
    char line[kCheckTextSize + 64];
    FormatCheckLine(check, line, sizeof(line));
    whole = AppendText(destination, line, size) && AppendText(destination, "\r\n", size) && whole;
  }
  return whole ? 1 : 0;
}
