// The hold-off rules in the portable core. A program rule is one registry value: its name
// is the program's file name, its data the kind. Names are kept in lower case and
// compared without regard to case, as Windows compares file names (ASCII only: the
// names come from an ANSI registry and process list).
#include "holdoff/holdoff_rules.h"

#include <cstdio>
#include <cstring>

#include "language/text.h"
#include "shell/text_helpers.h"

namespace {

// The English text, or with `shown` its translation.
const char* Say(bool shown, const char* english) __attribute__((format_arg(2)));
const char* Say(bool shown, const char* english) { return shown ? Tr(english) : english; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameNoCase(const char* a, const char* b) {
  for (; *a && *b; a++, b++)
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  return *a == *b;
}

// A program name is a bare file name: no folder, drive, wildcard or control character,
// and not "." or "..".
const char* NameProblem(const char* name) {
  if (!name || name[0] == 0) return TrNoop("empty program name");
  if (strlen(name) >= static_cast<size_t>(kProgramNameSize)) return TrNoop("program name too long");
  if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return TrNoop("not a program name");
  for (const char* p = name; *p; p++) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\\' || c == '/' || c == ':') return TrNoop("a program name cannot hold a path");
    if (c == '*' || c == '?') return TrNoop("a program name cannot hold a wildcard");
    if (c < 32 || c == '"' || c == '<' || c == '>' || c == '|') return TrNoop("a program name cannot hold that character");
  }
  return nullptr;
}

}  // namespace

void ResetHoldOffRules(HoldOffRules* rules) {
  rules->enabled = 1;
  rules->fullscreen = 1;
  rules->policySwitches = 0;
  rules->count = 0;
}

bool ParseHoldOffRule(const char* name, const char* data, HoldOffRule* rule, const char** problem) {
  const char* found = NameProblem(name);
  HoldOffKind kind = kHoldWhileRunning;
  if (!found) {
    if (data && SameNameNoCase(data, "running"))
      kind = kHoldWhileRunning;
    else if (data && SameNameNoCase(data, "front"))
      kind = kHoldWhileInFront;
    else
      found = TrNoop("the data must be running or front");
  }
  if (found) {
    if (problem) *problem = found;
    return false;
  }
  CopyText(rule->name, name, sizeof(rule->name));
  for (char* p = rule->name; *p; p++) *p = LowerAscii(*p);
  rule->kind = kind;
  rule->fromPolicy = false;
  return true;
}

const char* HoldOffKindText(HoldOffKind kind) { return kind == kHoldWhileInFront ? "front" : "running"; }

bool PutHoldOffRule(HoldOffRules* rules, const HoldOffRule& rule) {
  for (int n = 0; n < rules->count; n++) {
    if (SameNameNoCase(rules->programs[n].name, rule.name)) {
      if (!rules->programs[n].fromPolicy) rules->programs[n].kind = rule.kind;
      return true;
    }
  }
  if (rules->count >= kMaxHoldOffPrograms) return false;
  rules->programs[rules->count++] = rule;
  return true;
}

bool RemoveHoldOffRule(HoldOffRules* rules, int index) {
  if (index < 0 || index >= rules->count || rules->programs[index].fromPolicy) return false;
  memmove(&rules->programs[index], &rules->programs[index + 1],
          static_cast<size_t>(rules->count - index - 1) * sizeof(HoldOffRule));
  rules->count--;
  return true;
}

const char* ProgramFileName(const char* path) {
  if (!path) return "";
  const char* name = path;
  for (const char* p = path; *p; p++)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  return name;
}

int FindHoldOffRule(const HoldOffRules& rules, HoldOffKind kind, const char* program) {
  if (!program) return -1;
  const char* name = ProgramFileName(program);
  if (name[0] == 0) return -1;
  for (int n = 0; n < rules.count; n++)
    if (rules.programs[n].kind == kind && SameNameNoCase(rules.programs[n].name, name)) return n;
  return -1;
}

static int FindByName(const HoldOffRules& rules, const char* name) {
  for (int n = 0; n < rules.count; n++)
    if (SameNameNoCase(rules.programs[n].name, name)) return n;
  return -1;
}

// The editor's copy was taken when it opened; meanwhile a reload or a hand-over may have
// changed the rules. Only the differences between its two copies are the user's.
bool ApplyHoldOffEdits(const HoldOffRules& before, const HoldOffRules& after, HoldOffRules* current) {
  for (int n = 0; n < before.count; n++)
    if (FindByName(after, before.programs[n].name) < 0)
      RemoveHoldOffRule(current, FindByName(*current, before.programs[n].name));
  bool applied = true;
  for (int n = 0; n < after.count; n++) {
    int old = FindByName(before, after.programs[n].name);
    if (old < 0 || before.programs[old].kind != after.programs[n].kind)
      applied &= PutHoldOffRule(current, after.programs[n]);
  }
  return applied;
}

static bool HasKind(const HoldOffRules& rules, HoldOffKind kind) {
  for (int n = 0; n < rules.count; n++)
    if (rules.programs[n].kind == kind) return true;
  return false;
}

bool HasRunningRules(const HoldOffRules& rules) { return HasKind(rules, kHoldWhileRunning); }
bool HasFrontRules(const HoldOffRules& rules) { return HasKind(rules, kHoldWhileInFront); }

bool ChooseHoldOffReason(const HoldOffRules& rules, const HoldOffScene& scene, char* reason, int size,
                         bool shown) {
  char text[kHoldOffReasonTextSize] = "";
  if (rules.enabled) {
    int front = FindHoldOffRule(rules, kHoldWhileInFront, scene.frontProgram);
    int running = FindHoldOffRule(rules, kHoldWhileRunning, scene.runningProgram);
    // Translators: why the saver is held off, in the tray's tooltip and menu; %s is a
    // program's file name.
    if (rules.fullscreen && scene.fullScreenInFront)
      CopyText(text, Say(shown, TrNoop("a full-screen window is in front")), sizeof(text));
    else if (front >= 0)
      snprintf(text, sizeof(text), Say(shown, TrNoop("%s is in front")), rules.programs[front].name);
    else if (running >= 0)
      snprintf(text, sizeof(text), Say(shown, TrNoop("%s is running")), rules.programs[running].name);
  }
  if (reason && size > 0) CopyText(reason, text, size);
  return text[0] != 0;
}

bool HoldOffReasonIsPolicy(const HoldOffRules& rules, const HoldOffScene& scene) {
  if (!rules.enabled) return false;
  if (rules.fullscreen && scene.fullScreenInFront) return (rules.policySwitches & kHoldOffFullScreenByPolicy) != 0;
  int front = FindHoldOffRule(rules, kHoldWhileInFront, scene.frontProgram);
  if (front >= 0) return rules.programs[front].fromPolicy;
  int running = FindHoldOffRule(rules, kHoldWhileRunning, scene.runningProgram);
  return running >= 0 && rules.programs[running].fromPolicy;
}
