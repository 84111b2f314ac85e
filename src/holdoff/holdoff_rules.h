// The hold-off rules and how they match, in the portable core: which programs hold the
// saver off, and the one reason that wins when several rules match at once.
#pragma once

constexpr int kMaxHoldOffPrograms = 256;
constexpr int kProgramNameSize = 128;  // a file name such as "vlc.exe" and its terminator
constexpr int kHoldOffReasonSize = 160;
constexpr int kHoldOffReasonTextSize = 480;  // a reason in the language in use, in bytes

enum HoldOffKind : int {
  kHoldWhileRunning = 0,  // "running": while any process of that name runs
  kHoldWhileInFront = 1,  // "front": while a window of that process is in front
};

struct HoldOffRule {
  char name[kProgramNameSize];  // lower case, no path
  HoldOffKind kind;
  bool fromPolicy;  // given by the organisation: kept as it is, never saved with the user's
};

// The switches an organisation's policy sets (HoldOffRules::policySwitches).
constexpr int kHoldOffEnabledByPolicy = 1;
constexpr int kHoldOffFullScreenByPolicy = 2;

struct HoldOffRules {
  int enabled;     // the master switch
  int fullscreen;  // hold while a full-screen window is in front
  int policySwitches;  // kHoldOff...ByPolicy: the switches the user cannot change
  int count;
  HoldOffRule programs[kMaxHoldOffPrograms];
};

// What was seen of the system, for ChooseHoldOffReason.
struct HoldOffScene {
  bool fullScreenInFront;
  const char* frontProgram;    // file name or path of the foreground window's process, or null
  const char* runningProgram;  // a program of a "running" rule seen running, or null
};

// The defaults: enabled, full screen on, no programs.
void ResetHoldOffRules(HoldOffRules* rules);

// Reads one registry value of a program rule into *rule (not from policy). On failure returns false and
// points *problem at a short description for the log; *rule is then untouched.
bool ParseHoldOffRule(const char* name, const char* data, HoldOffRule* rule, const char** problem);

// "running" or "front".
const char* HoldOffKindText(HoldOffKind kind);

// Adds a rule, or changes the kind of the rule of the same name; a rule given by policy
// is kept as it is (and true returned). False when the list is full.
bool PutHoldOffRule(HoldOffRules* rules, const HoldOffRule& rule);
// Removes the rule at index. False, changing nothing, for an index out of range or a
// rule given by policy.
bool RemoveHoldOffRule(HoldOffRules* rules, int index);

// Carries what an editor changed from `before` to `after` (rules added, removed, or of
// another kind) into *current, the rules as they are now, leaving every other rule and
// the switches as *current has them. False when an added rule found the list full.
bool ApplyHoldOffEdits(const HoldOffRules& before, const HoldOffRules& after, HoldOffRules* current);

// The rule of this kind for a program given by file name or full path, or -1.
int FindHoldOffRule(const HoldOffRules& rules, HoldOffKind kind, const char* program);
bool HasRunningRules(const HoldOffRules& rules);
bool HasFrontRules(const HoldOffRules& rules);

// The file name part of a path (after the last backslash, slash or colon).
const char* ProgramFileName(const char* path);

// The reason the saver is held off, cut to size, or false with an empty reason. A full
// screen wins over a program in front, which wins over a program running. In English for
// the log, or with `shown` in the language in use.
bool ChooseHoldOffReason(const HoldOffRules& rules, const HoldOffScene& scene, char* reason, int size,
                         bool shown = false);

// True when the rule ChooseHoldOffReason names is the organisation's: a program rule given
// by policy, or the full-screen rule while a policy sets its switch.
bool HoldOffReasonIsPolicy(const HoldOffRules& rules, const HoldOffScene& scene);
