// The plural rule of a translation ("plural=n%10==1 && n%100!=11 ? 0 : ...;" of a PO
// header), parsed once into a small fixed tree and evaluated for each count. Portable.
#pragma once

#include <cstdint>

constexpr int kPluralRuleNodes = 96;

struct PluralNode {
  uint8_t op;  // one of the operators in plural_rule.cpp
  int16_t left, right, third;
  uint32_t value;
};

struct PluralRule {
  int forms;  // nplurals; 0 for a rule that was not read
  int root;   // -1: the Germanic rule n != 1
  PluralNode nodes[kPluralRuleNodes];
  int used;
};

// Reads "nplurals=N; plural=EXPR;" from a PO header's text. False (and the Germanic rule
// with two forms) for a missing or malformed rule, an N outside 1..6 or an expression
// deeper or larger than the tree holds.
bool ParsePluralRule(const char* header, PluralRule* rule);
// The form to use for `count`, always within 0..forms-1.
int PluralForm(const PluralRule& rule, uint64_t count);
