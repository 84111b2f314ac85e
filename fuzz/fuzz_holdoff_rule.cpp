// ParseHoldOffRule on a value name and data split at the first zero byte: an accepted
// rule is a bare lower-case file name that matches itself, and its reason fits any buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "holdoff/holdoff_rules.h"

static HoldOffRules rules;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t zero = input.find('\0');
  std::string name = input.substr(0, zero);
  std::string kind = zero == std::string::npos ? "" : input.substr(zero + 1);
  HoldOffRule rule;
  const char* problem = nullptr;
  if (!ParseHoldOffRule(name.c_str(), kind.c_str(), &rule, &problem)) {
    if (!problem || !problem[0]) abort();
    return 0;
  }
  if (strpbrk(rule.name, "\\/:*?") || strlen(rule.name) >= sizeof(rule.name)) abort();
  for (const char* p = rule.name; *p; p++)
    if (*p >= 'A' && *p <= 'Z') abort();
  ResetHoldOffRules(&rules);
  if (!PutHoldOffRule(&rules, rule)) abort();
  if (FindHoldOffRule(rules, rule.kind, name.c_str()) != 0) abort();
  HoldOffScene scene = {false, rule.kind == kHoldWhileInFront ? name.c_str() : nullptr,
                        rule.kind == kHoldWhileRunning ? name.c_str() : nullptr};
  char reason[24];
  if (!ChooseHoldOffReason(rules, scene, reason, static_cast<int>(size % sizeof(reason)) + 1)) abort();
  return 0;
}
