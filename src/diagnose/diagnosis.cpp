// Judges each check from the gathered facts. A check whose facts the system did not give
// says `unknown` rather than guessing; a check that does not apply (no saver file to
// examine) says `ok`, because another check already names the cause. Only the checks
// whose remedy is harmless and reversible offer a fix.
#include "diagnose/diagnosis.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "language/duration_text.h"
#include "language/text.h"
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

// Each check is judged twice from the same facts: once in English for the log and the
// copied report, once in the language in use for the dialog. A Pass says which text it
// writes and gives the formats and durations in that language.
struct Pass {
  CheckResult* check;
  bool shown;

  char* out() const { return shown ? check->shown : check->text; }
  // A fact's text: its twin in the language in use where there is one.
  const char* Fact(const char* english, const char* inLanguage) const {
    return shown && inLanguage[0] ? inLanguage : english;
  }
  const char* Say(const char* english) const __attribute__((format_arg(2))) { return shown ? Tr(english) : english; }

  // A number of seconds as the menus show durations; beyond the milliseconds the duration
  // formatter can hold, in whole hours.
  Duration Seconds(int seconds) const {
    Duration duration;
    if (!shown) {
      if (seconds < 0)
        snprintf(duration.text, sizeof(duration.text), "%d Seconds", seconds);
      else if (seconds > kLongestFormattedSeconds)
        snprintf(duration.text, sizeof(duration.text), "%d Hours", seconds / 3600);
      else
        FormatDuration(duration.text, sizeof(duration.text), static_cast<uint32_t>(seconds) * 1000u);
    } else if (seconds < 0) {
      uint64_t count = static_cast<uint64_t>(-static_cast<int64_t>(seconds));
      snprintf(duration.text, sizeof(duration.text), TrN("%d Second", "%d Seconds", count), seconds);
    } else if (seconds > kLongestFormattedSeconds) {
      snprintf(duration.text, sizeof(duration.text), TrN("%d Hour", "%d Hours", static_cast<uint64_t>(seconds / 3600)),
               seconds / 3600);
    } else {
      FormatDurationText(duration.text, sizeof(duration.text), static_cast<uint32_t>(seconds) * 1000u);
    }
    return duration;
  }
};

void Set(const Pass& pass, CheckState state, const char* text, FixKind fix = FixKind::kNone) {
  pass.check->state = state;
  pass.check->fix = fix;
  CopyText(pass.out(), pass.Say(text), kCheckTextSize);
}

// The same with a formatted text; every text here has at most three arguments.
template <typename... Args>
void SetF(const Pass& pass, CheckState state, FixKind fix, const char* format, Args... args) {
  pass.check->state = state;
  pass.check->fix = fix;
  snprintf(pass.out(), kCheckTextSize, pass.Say(format), args...);
}

// When a policy of either hive sets the value kPolicyNames[index], the check's Fix could
// not change it: the check offers none and names the value instead.
void NamePolicyReason(const DiagnosisFacts& facts, const Pass& check, int index) {
  if (!((facts.userPolicy.setMask | facts.machinePolicy.setMask) & (1u << index))) return;
  check.check->fix = FixKind::kNone;
  char more[kCheckTextSize];
  // Translators: a sentence added to a check's text; %s is a registry value's name.
  snprintf(more, sizeof(more), check.Say(TrNoop(" A policy sets %s: only the organisation can change it.")),
           kPolicyNames[index]);
  AppendText(check.out(), more, kCheckTextSize);
}

void JudgeSaverOff(const DiagnosisFacts& facts, const Pass& check) {
  if (facts.saverActive == kFactUnknown)
    Set(check, CheckState::kUnknown, TrNoop("The system does not say whether the screen saver is switched on."));
  else if (facts.saverActive == 0)
    Set(check, CheckState::kProblem, TrNoop("The screen saver is switched off, so it never starts by itself."),
        FixKind::kSwitchSaverOn);
  else
    Set(check, CheckState::kOk, TrNoop("The screen saver is switched on."));
  if (facts.saverActive == 0) NamePolicyReason(facts, check, 0);
}

void JudgeNoSaver(const DiagnosisFacts& facts, const Pass& check) {
  switch (facts.pathState) {
    case SaverPathState::kUnknown:
      Set(check, CheckState::kUnknown,
          TrNoop("The current screen saver could not be read: the setting is unreadable or too long."));
      break;
    case SaverPathState::kNone:
      Set(check, CheckState::kProblem, TrNoop("No screen saver is chosen, so there is nothing to start."),
          FixKind::kPickRandomSaver);
      break;
    case SaverPathState::kSet:
      // Translators: %s is the path of the saver's file.
      SetF(check, CheckState::kOk, FixKind::kNone, TrNoop("The current screen saver is %s."), facts.saverPath);
      break;
  }
}

void JudgeSaverMissing(const DiagnosisFacts& facts, const Pass& check) {
  if (facts.pathState == SaverPathState::kUnknown) {
    Set(check, CheckState::kUnknown, TrNoop("Without the current screen saver's path its file cannot be looked for."));
  } else if (facts.pathState == SaverPathState::kNone) {
    Set(check, CheckState::kOk, TrNoop("There is no screen saver file to look for."));
  } else if (facts.fileState == SaverFileState::kUnknown) {
    SetF(check, CheckState::kUnknown, FixKind::kNone, TrNoop("Whether %s exists could not be checked."),
         facts.saverPath);
  } else if (facts.fileState == SaverFileState::kMissing) {
    SetF(check, CheckState::kProblem, FixKind::kPickRandomSaver, TrNoop("The screen saver file %s does not exist."),
         facts.saverPath);
  } else {
    Set(check, CheckState::kOk, TrNoop("The screen saver file exists."));
  }
}

// The path decides first: with no saver chosen no file is looked at, so the file's state
// stays unknown and says nothing.
void JudgeSaverInvalid(const DiagnosisFacts& facts, const Pass& check) {
  if (facts.pathState == SaverPathState::kNone || facts.fileState == SaverFileState::kMissing) {
    Set(check, CheckState::kOk, TrNoop("There is no screen saver file to examine."));
  } else if (facts.pathState == SaverPathState::kUnknown || facts.fileState == SaverFileState::kUnknown) {
    Set(check, CheckState::kUnknown, TrNoop("The screen saver file could not be examined."));
  } else if (facts.kindState == SaverKindState::kUnknown) {
    SetF(check, CheckState::kUnknown, FixKind::kNone, TrNoop("The screen saver file %s could not be read."),
         facts.saverPath);
  } else if (facts.kindState == SaverKindState::kNotRunnable) {
    SetF(check, CheckState::kProblem, FixKind::kPickRandomSaver,
         TrNoop("%s is not a program that can run as a screen saver."), facts.saverPath);
  } else {
    Set(check, CheckState::kOk, TrNoop("The screen saver file is a program that can run as a screen saver."));
  }
}

// Names every policy value set, each with where it is set: "ScreenSaveActive (current
// user), SCRNSAVE.EXE (machine)". The value names stay as the registry has them.
void ListPolicies(const DiagnosisFacts& facts, const Pass& pass, char* list, int size) {
  list[0] = 0;
  const struct {
    const PolicyScope* scope;
    const char* name;
  } scopes[] = {
      // Translators: follows a registry value's name in a list of the policies set.
      {&facts.userPolicy, TrNoop(" (current user)")},
      // Translators: follows a registry value's name in a list of the policies set.
      {&facts.machinePolicy, TrNoop(" (machine)")}};
  for (const auto& scope : scopes) {
    for (int i = 0; i < kPolicyValueCount; i++) {
      if (!(scope.scope->setMask & (1u << i))) continue;
      if (list[0]) AppendText(list, ", ", size);
      AppendText(list, kPolicyNames[i], size);
      AppendText(list, pass.Say(scope.name), size);
    }
  }
}

void JudgePolicy(const DiagnosisFacts& facts, const Pass& check) {
  char list[kCheckTextSize / 2];
  ListPolicies(facts, check, list, sizeof(list));
  bool unknown = !facts.userPolicy.readable || !facts.machinePolicy.readable || facts.userPolicy.wrongMask != 0 ||
                 facts.machinePolicy.wrongMask != 0;
  if (list[0])
    // Translators: %s is a list of registry value names, each with where it is set.
    SetF(check, CheckState::kProblem, FixKind::kNone, TrNoop("A policy sets %s: changes made here have no effect."),
         list);
  else if (unknown)
    Set(check, CheckState::kUnknown,
        TrNoop("The saver policies could not be read: a key is unreadable or a value has the wrong type."));
  else
    Set(check, CheckState::kOk, TrNoop("No policy overrides the screen saver settings."));
}

// The display goes dark at or before the saver's time on mains or on battery (0 is
// "never"). The fix moves the saver one minute before the earlier of the two, when that
// leaves at least a minute.
void JudgeDisplayOffFirst(const DiagnosisFacts& facts, const Pass& check, int* fixTimeout) {
  *fixTimeout = 0;
  int timeout = facts.timeoutSeconds;
  auto first = [timeout](int display) { return timeout != kFactUnknown && display > 0 && display <= timeout; };
  bool onMains = first(facts.displayOffAcSeconds);
  bool onBattery = first(facts.displayOffDcSeconds);
  if (onMains || onBattery) {
    int earliest = onMains ? facts.displayOffAcSeconds : facts.displayOffDcSeconds;
    if (onMains && onBattery && facts.displayOffDcSeconds < earliest) earliest = facts.displayOffDcSeconds;
    FixKind fix = FixKind::kNone;
    if (earliest - kMinuteSeconds >= kMinuteSeconds) {
      *fixTimeout = earliest - kMinuteSeconds;
      fix = FixKind::kSetTimeoutBelowDisplay;
    }
    Duration saver = check.Seconds(timeout);
    // Translators: each %s is a duration; the last is the saver's timeout.
    if (onMains && onBattery)
      SetF(check, CheckState::kProblem, fix,
           TrNoop("The power plan turns the display off after %s on mains power and %s on battery, at or before the "
                  "saver's %s, so the saver never shows."),
           check.Seconds(facts.displayOffAcSeconds).text, check.Seconds(facts.displayOffDcSeconds).text, saver.text);
    else if (onMains)
      SetF(check, CheckState::kProblem, fix,
           TrNoop("The power plan turns the display off after %s on mains power, at or before the saver's %s, so the "
                  "saver never shows."),
           check.Seconds(earliest).text, saver.text);
    else
      SetF(check, CheckState::kProblem, fix,
           TrNoop("The power plan turns the display off after %s on battery, at or before the saver's %s, so the saver "
                  "never shows."),
           check.Seconds(earliest).text, saver.text);
    NamePolicyReason(facts, check, 1);
    if (check.check->fix == FixKind::kNone) *fixTimeout = 0;
  } else if (timeout == kFactUnknown || facts.displayOffAcSeconds == kFactUnknown ||
             facts.displayOffDcSeconds == kFactUnknown) {
    Set(check, CheckState::kUnknown, TrNoop("The power plan's display time-out or the saver timeout could not be read."));
  } else {
    Set(check, CheckState::kOk, TrNoop("The power plan keeps the display on longer than the saver's timeout."));
  }
}

void JudgeDisplayRequest(const DiagnosisFacts& facts, const Pass& check) {
  if (facts.displayRequired == kFactUnknown)
    Set(check, CheckState::kUnknown, TrNoop("The system does not say whether a program keeps the display on."));
  else if (facts.displayRequired && facts.ownHold)
    Set(check, CheckState::kNote,
        TrNoop("The display is held on while Dozelite's own hold-off holds the saver; another program may hold it "
               "too."),
        FixKind::kFindDisplayRequests);
  else if (facts.displayRequired)
    Set(check, CheckState::kProblem, TrNoop("A program asks Windows to keep the display on, so the saver cannot start."),
        FixKind::kFindDisplayRequests);
  else
    Set(check, CheckState::kOk, TrNoop("No program asks Windows to keep the display on."));
}

void JudgeDisabled(const DiagnosisFacts& facts, const Pass& check) {
  if (facts.disableSecondsLeft > 0)
    // Translators: %s is the time left, a duration.
    SetF(check, CheckState::kProblem, FixKind::kEndDisablePeriod, TrNoop("Dozelite has disabled the saver for another %s."),
         check.Seconds(facts.disableSecondsLeft).text);
  else
    Set(check, CheckState::kOk, TrNoop("No disable period of Dozelite is running."));
}

// The hold that holds now, then the clock's holds that are set but not the reason (an
// until time behind a full-screen hold, a schedule behind an until time).
void JudgeHeldOff(const DiagnosisFacts& facts, const Pass& check) {
  const char* reason = check.Fact(facts.holdReason, facts.holdReasonShown);
  if (!facts.heldOff)
    Set(check, CheckState::kOk, TrNoop("No hold-off rule holds the saver off."));
  else if (facts.holdReason[0])
    // Translators: %s is the hold's reason, as the tray's tooltip gives it.
    SetF(check, CheckState::kProblem, FixKind::kOpenHoldOffSettings, TrNoop("A hold-off rule holds the saver off: %s."),
         reason);
  else
    Set(check, CheckState::kProblem, TrNoop("A hold-off rule holds the saver off."), FixKind::kOpenHoldOffSettings);
  char* text = check.out();
  if (facts.heldOff && facts.heldByPolicy) {
    // The settings cannot change it: no Fix is offered.
    check.check->fix = FixKind::kNone;
    // Translators: a sentence added to the hold-off check's text.
    AppendText(text, check.Say(TrNoop(" The rule is set by your organisation: only its policy can change it.")),
               kCheckTextSize);
  }
  const char* holdUntil = check.Fact(facts.holdUntil, facts.holdUntilShown);
  const char* scheduleUntil = check.Fact(facts.scheduleUntil, facts.scheduleUntilShown);
  char more[kCheckTextSize];
  if (facts.holdUntil[0] && !strstr(facts.holdReason, "held until ")) {
    // Translators: a sentence added to the hold-off check's text; %s is a clock time.
    snprintf(more, sizeof(more), check.Say(TrNoop(" A hold until %s is set.")), holdUntil);
    AppendText(text, more, kCheckTextSize);
  }
  if (facts.scheduleLabel[0] && !strstr(facts.holdReason, "the schedule \"")) {
    // Translators: a sentence added to the hold-off check's text; the first %s is the
    // schedule's name, the second a clock time.
    snprintf(more, sizeof(more), check.Say(TrNoop(" The schedule \"%s\" is in force until %s.")), facts.scheduleLabel,
             scheduleUntil);
    AppendText(text, more, kCheckTextSize);
  }
}

void JudgeBattery(const DiagnosisFacts& facts, const Pass& check) {
  if (!facts.batteryPause[0])
    Set(check, CheckState::kOk, TrNoop("The battery pauses no hold."));
  else if (facts.pausedReason[0])
    // Translators: the first %s says why ("on battery"), the second is the hold's reason.
    SetF(check, CheckState::kNote, FixKind::kNone, TrNoop("Holds are paused (%s); otherwise %s would hold the saver off."),
         check.Fact(facts.batteryPause, facts.batteryPauseShown), check.Fact(facts.pausedReason, facts.pausedReasonShown));
  else
    // Translators: %s says why ("on battery").
    SetF(check, CheckState::kNote, FixKind::kNone, TrNoop("Holds are paused (%s)."),
         check.Fact(facts.batteryPause, facts.batteryPauseShown));
}

void JudgeTimeout(const DiagnosisFacts& facts, const Pass& check) {
  int timeout = facts.timeoutSeconds;
  if (timeout == kFactUnknown)
    Set(check, CheckState::kUnknown, TrNoop("The system does not say after how long the saver starts."));
  else if (timeout < kMinuteSeconds)
    // Translators: %s is a duration.
    SetF(check, CheckState::kNote, FixKind::kNone,
         TrNoop("The saver timeout is only %s, so the saver starts almost at once."), check.Seconds(timeout).text);
  else if (timeout > kDaySeconds)
    // Translators: %s is a duration.
    SetF(check, CheckState::kNote, FixKind::kNone,
         TrNoop("The saver timeout is %s, over a day, so the saver hardly ever starts."), check.Seconds(timeout).text);
  else
    // Translators: %s is a duration.
    SetF(check, CheckState::kOk, FixKind::kNone, TrNoop("The saver starts after %s without input."),
         check.Seconds(timeout).text);
}

// Contradictory only when the password is on and the saver off; either switch alone
// settles it when the other is not known.
void JudgeSecureWithoutSaver(const DiagnosisFacts& facts, const Pass& check) {
  if (facts.secure == 0 || facts.saverActive > 0)
    Set(check, CheckState::kOk, TrNoop("The password setting does not rely on a saver that is off."));
  else if (facts.secure == kFactUnknown || facts.saverActive == kFactUnknown)
    Set(check, CheckState::kUnknown, TrNoop("The system does not say whether the password is on while the saver is off."));
  else
    Set(check, CheckState::kProblem, TrNoop("The password is on but the saver is off, so the screen never locks this way."),
        FixKind::kSwitchSaverOn);
}

void Judge(const DiagnosisFacts& facts, Diagnosis* diagnosis, bool shown) {
  CheckResult* checks = diagnosis->checks;
  auto pass = [&](CheckId id) { return Pass{&checks[static_cast<int>(id)], shown}; };
  JudgeSaverOff(facts, pass(CheckId::kSaverOff));
  JudgeNoSaver(facts, pass(CheckId::kNoSaver));
  JudgeSaverMissing(facts, pass(CheckId::kSaverMissing));
  JudgeSaverInvalid(facts, pass(CheckId::kSaverInvalid));
  JudgePolicy(facts, pass(CheckId::kPolicy));
  JudgeDisplayOffFirst(facts, pass(CheckId::kDisplayOffFirst), &diagnosis->fixTimeoutSeconds);
  JudgeDisplayRequest(facts, pass(CheckId::kDisplayRequest));
  JudgeDisabled(facts, pass(CheckId::kDisabledByDozelite));
  JudgeHeldOff(facts, pass(CheckId::kHeldOff));
  JudgeTimeout(facts, pass(CheckId::kTimeout));
  JudgeSecureWithoutSaver(facts, pass(CheckId::kSecureWithoutSaver));
  JudgeBattery(facts, pass(CheckId::kBattery));
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
  Judge(facts, diagnosis, true);
  Judge(facts, diagnosis, false);  // last: the states, fixes and fix timeout are the English pass's
}

const char* CheckIdName(CheckId id) {
  // Translators: the short names of the diagnosis's checks, first in each line of its list.
  static const char* const kNames[kCheckCount] = {
      TrNoop("saver-off"),         TrNoop("no-saver"),        TrNoop("saver-missing"),
      TrNoop("saver-invalid"),     TrNoop("policy"),          TrNoop("display-off-first"),
      TrNoop("display-request"),   TrNoop("disabled-by-dozelite"), TrNoop("held-off"),
      TrNoop("timeout"),           TrNoop("secure-without-saver"), TrNoop("battery")};
  int index = static_cast<int>(id);
  return index >= 0 && index < kCheckCount ? kNames[index] : "?";
}

const char* CheckStateName(CheckState state) {
  switch (state) {
    // Translators: the state of a check in the diagnosis's list.
    case CheckState::kOk:
      return TrNoop("ok");
    case CheckState::kProblem:
      return TrNoop("problem");
    case CheckState::kNote:
      return TrNoop("note");
    case CheckState::kUnknown:
      break;
  }
  return TrNoop("unknown");
}

const char* FixLabel(FixKind fix) {
  switch (fix) {
    case FixKind::kNone:
      break;
    case FixKind::kSwitchSaverOn:
      return TrNoop("&Fix: Switch the Saver On");
    case FixKind::kPickRandomSaver:
      return TrNoop("&Fix: Pick a Random Saver");
    case FixKind::kSetTimeoutBelowDisplay:
      return TrNoop("&Fix: Set the Saver Timeout...");
    case FixKind::kEndDisablePeriod:
      return TrNoop("&Fix: End the Disable Period");
    case FixKind::kOpenHoldOffSettings:
      return TrNoop("&Fix: Open the Hold-Off Settings");
    case FixKind::kFindDisplayRequests:
      return TrNoop("&Find Which...");
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
