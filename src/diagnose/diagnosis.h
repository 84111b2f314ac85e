// Why the saver does not start: the facts gathered from the system, the checks judged
// from them and the report's text. Portable: the facts come from the Win32 half.
#pragma once

constexpr int kFactUnknown = -1;       // a number or switch the system did not tell
constexpr int kCheckTextSize = 640;    // one explanation, a full saver path included
constexpr int kFactPathSize = 260;     // as the program's path buffers
constexpr int kFactReasonSize = 256;
constexpr int kFactLabelSize = 64;

enum class CheckId {
  kSaverOff,
  kNoSaver,
  kSaverMissing,
  kSaverInvalid,
  kPolicy,
  kDisplayOffFirst,
  kDisplayRequest,
  kDisabledByDozelite,
  kHeldOff,
  kTimeout,
  kSecureWithoutSaver,
  kBattery,
};
constexpr int kCheckCount = 12;

enum class CheckState { kOk, kProblem, kNote, kUnknown };

enum class FixKind {
  kNone,
  kSwitchSaverOn,
  kPickRandomSaver,
  kSetTimeoutBelowDisplay,
  kEndDisablePeriod,
  kOpenHoldOffSettings,
  kFindDisplayRequests,
};

enum class SaverPathState { kUnknown, kNone, kSet };  // unreadable or too long / absent / named
enum class SaverFileState { kUnknown, kMissing, kExists };
enum class SaverKindState { kUnknown, kRunnable, kNotRunnable };

// The policy values that override the user's saver settings, one bit each.
constexpr int kPolicyValueCount = 4;
const char* PolicyValueName(int index);  // "ScreenSaveActive", ... ; null past the end

struct PolicyScope {
  bool readable;        // the key is absent or could be read
  unsigned setMask;     // values present with a text type
  unsigned wrongMask;   // values present with another type
};

struct DiagnosisFacts {
  int saverActive;       // 0, 1 or kFactUnknown
  int timeoutSeconds;    // kFactUnknown when absent or unreadable
  int secure;            // password on: 0, 1 or kFactUnknown
  SaverPathState pathState;
  char saverPath[kFactPathSize];
  SaverFileState fileState;
  SaverKindState kindState;
  PolicyScope userPolicy;
  PolicyScope machinePolicy;
  int displayOffAcSeconds;   // 0 never, kFactUnknown when the power plan does not say
  int displayOffDcSeconds;
  int displayRequired;       // some program holds the display on: 0, 1 or kFactUnknown
  bool ownHold;              // Dozelite's own hold-off holds the display on
  int disableSecondsLeft;    // 0 when no disable period runs
  bool heldOff;
  bool heldByPolicy;  // the rule that holds is the organisation's
  char holdReason[kFactReasonSize];
  char holdUntil[8];                     // "17:30" while a hold until a time is set, else ""
  char scheduleLabel[kFactLabelSize];    // the schedule in force, else ""
  char scheduleUntil[8];                 // and the time it runs until
  char batteryPause[32];                 // why the battery pauses holds ("on battery"), else ""
  char pausedReason[kFactReasonSize];    // the hold it pauses
  // For the dialog: the texts above in the language in use and the user's clock format;
  // an empty one shows its English twin.
  char holdReasonShown[kFactReasonSize * 2];
  char holdUntilShown[32];
  char scheduleUntilShown[32];
  char batteryPauseShown[kFactReasonSize];
  char pausedReasonShown[kFactReasonSize * 2];
};

struct CheckResult {
  CheckId id;
  CheckState state;
  FixKind fix;
  char text[kCheckTextSize];   // English, for the log and the copied report
  char shown[kCheckTextSize];  // the same in the language in use, for the dialog
};

struct Diagnosis {
  CheckResult checks[kCheckCount];
  int fixTimeoutSeconds;  // what kSetTimeoutBelowDisplay sets; 0 when it is not offered
};

// Facts with every field unknown (switches unknown, texts empty, nothing held).
void ResetDiagnosisFacts(DiagnosisFacts* facts);
void EvaluateDiagnosis(const DiagnosisFacts& facts, Diagnosis* diagnosis);

// The names and the caption in English; each is in the catalogue, so the dialog shows
// Tr() of it.
const char* CheckIdName(CheckId id);           // "saver-off", ...
const char* CheckStateName(CheckState state);  // "ok", "problem", "note", "unknown"
const char* FixLabel(FixKind fix);             // the Fix button's caption; null for kNone

// "<id>: <state>: <text>", cut to size; returns the length written.
int FormatCheckLine(const CheckResult& check, char* destination, int size);
// Every check's line, each ended by CR LF; 0 when the report did not fit (it is cut).
int FormatDiagnosisReport(const Diagnosis& diagnosis, char* destination, int size);
