// The plural rules of PO headers: a C expression over n with ?:, ||, &&, the comparisons,
// + - * / % and !, numbers and parentheses, as gettext defines it. The parser is a
// recursive descent with a depth limit and a fixed node array, so a hostile header can
// neither run the stack out nor allocate; a division by zero evaluates to 0.
#include "language/plural_rule.h"

#include <cstring>

namespace {

enum Op : uint8_t { kNumber, kCount, kNot, kMul, kDiv, kMod, kAdd, kSub, kLess, kLessEq, kMore, kMoreEq, kEq,
                    kNotEq, kAnd, kOr, kChoice };

constexpr int kMaxDepth = 40;

struct Parser {
  const char* at;
  const char* end;
  PluralRule* rule;
  int depth;
  bool failed;
};

void SkipSpace(Parser* p) {
  while (p->at < p->end && (*p->at == ' ' || *p->at == '\t' || *p->at == '\n' || *p->at == '\r')) p->at++;
}

bool Take(Parser* p, const char* token) {
  SkipSpace(p);
  size_t length = strlen(token);
  if (static_cast<size_t>(p->end - p->at) < length || memcmp(p->at, token, length) != 0) return false;
  // "<" must not take the first half of "<=", nor "=" nor "!" that of "==" or "!=".
  if (length == 1 && (token[0] == '<' || token[0] == '>' || token[0] == '!') && p->at + 1 < p->end &&
      p->at[1] == '=')
    return false;
  p->at += length;
  return true;
}

int Node(Parser* p, uint8_t op, int left, int right, int third, uint32_t value) {
  if (p->failed) return -1;
  if (p->rule->used >= kPluralRuleNodes) {
    p->failed = true;
    return -1;
  }
  PluralNode& node = p->rule->nodes[p->rule->used];
  node.op = op;
  node.left = static_cast<int16_t>(left);
  node.right = static_cast<int16_t>(right);
  node.third = static_cast<int16_t>(third);
  node.value = value;
  return p->rule->used++;
}

int Expression(Parser* p);

int Primary(Parser* p) {
  SkipSpace(p);
  if (p->at >= p->end) {
    p->failed = true;
    return -1;
  }
  if (*p->at == 'n') {
    p->at++;
    return Node(p, kCount, -1, -1, -1, 0);
  }
  if (*p->at >= '0' && *p->at <= '9') {
    uint64_t value = 0;
    while (p->at < p->end && *p->at >= '0' && *p->at <= '9') {
      value = value * 10 + static_cast<uint64_t>(*p->at - '0');
      if (value > 0xFFFFFFFFu) {
        p->failed = true;
        return -1;
      }
      p->at++;
    }
    return Node(p, kNumber, -1, -1, -1, static_cast<uint32_t>(value));
  }
  if (Take(p, "(")) {
    int inner = Expression(p);
    if (!Take(p, ")")) p->failed = true;
    return inner;
  }
  p->failed = true;
  return -1;
}

int Unary(Parser* p) {
  if (Take(p, "!")) {
    if (++p->depth > kMaxDepth) {
      p->failed = true;
      return -1;
    }
    int operand = Unary(p);
    p->depth--;
    return Node(p, kNot, operand, -1, -1, 0);
  }
  return Primary(p);
}

struct Level {
  const char* token;
  Op op;
};

// One binary level of the grammar: operands of the next level joined by its tokens, left
// to right. Longer tokens come first in each list.
int Binary(Parser* p, int level);

const Level kLevels[][4] = {
    {{"||", kOr}},
    {{"&&", kAnd}},
    {{"==", kEq}, {"!=", kNotEq}},
    {{"<=", kLessEq}, {">=", kMoreEq}, {"<", kLess}, {">", kMore}},
    {{"+", kAdd}, {"-", kSub}},
    {{"*", kMul}, {"/", kDiv}, {"%", kMod}},
};
constexpr int kLevelCount = sizeof(kLevels) / sizeof(kLevels[0]);

int Operand(Parser* p, int level) { return level + 1 < kLevelCount ? Binary(p, level + 1) : Unary(p); }

int Binary(Parser* p, int level) {
  int left = Operand(p, level);
  while (!p->failed) {
    const Level* found = nullptr;
    for (const Level& candidate : kLevels[level])
      if (candidate.token && Take(p, candidate.token)) {
        found = &candidate;
        break;
      }
    if (!found) break;
    int right = Operand(p, level);
    left = Node(p, found->op, left, right, -1, 0);
  }
  return left;
}

int Expression(Parser* p) {
  if (++p->depth > kMaxDepth) {
    p->failed = true;
    return -1;
  }
  int condition = Binary(p, 0);
  if (!p->failed && Take(p, "?")) {
    int yes = Expression(p);
    if (!Take(p, ":")) p->failed = true;
    int no = p->failed ? -1 : Expression(p);
    condition = Node(p, kChoice, condition, yes, no, 0);
  }
  p->depth--;
  return condition;
}

uint64_t Evaluate(const PluralRule& rule, int index, uint64_t n) {
  const PluralNode& node = rule.nodes[index];
  switch (node.op) {
    case kNumber: return node.value;
    case kCount: return n;
    case kNot: return !Evaluate(rule, node.left, n);
    case kChoice: return Evaluate(rule, node.left, n) ? Evaluate(rule, node.right, n) : Evaluate(rule, node.third, n);
    case kAnd: return Evaluate(rule, node.left, n) && Evaluate(rule, node.right, n);
    case kOr: return Evaluate(rule, node.left, n) || Evaluate(rule, node.right, n);
    default: break;
  }
  uint64_t a = Evaluate(rule, node.left, n);
  uint64_t b = Evaluate(rule, node.right, n);
  switch (node.op) {
    case kMul: return a * b;
    case kDiv: return b ? a / b : 0;
    case kMod: return b ? a % b : 0;
    case kAdd: return a + b;
    case kSub: return a - b;
    case kLess: return a < b;
    case kLessEq: return a <= b;
    case kMore: return a > b;
    case kMoreEq: return a >= b;
    case kEq: return a == b;
    case kNotEq: return a != b;
    default: return 0;
  }
}

// The text after the field `name` and its "=" in the header, or nullptr; "plural" is
// not found inside "nplurals".
const char* FieldValue(const char* header, const char* name) {
  size_t length = strlen(name);
  for (const char* found = strstr(header, name); found; found = strstr(found + 1, name)) {
    if (found > header && ((found[-1] >= 'a' && found[-1] <= 'z') || (found[-1] >= 'A' && found[-1] <= 'Z')))
      continue;
    const char* value = found + length;
    while (*value == ' ') value++;
    if (*value == '=') return value + 1;
  }
  return nullptr;
}

}  // namespace

bool ParsePluralRule(const char* header, PluralRule* rule) {
  memset(rule, 0, sizeof(*rule));
  rule->forms = 2;
  rule->root = -1;
  const char* line = header ? strstr(header, "Plural-Forms:") : nullptr;
  if (!line) return false;
  const char* lineEnd = strchr(line, '\n');
  if (!lineEnd) lineEnd = line + strlen(line);
  const char* forms = FieldValue(line, "nplurals");
  const char* plural = FieldValue(line, "plural");
  if (!forms || !plural || forms > lineEnd || plural > lineEnd) return false;
  while (*forms == ' ') forms++;
  if (forms[0] < '1' || forms[0] > '6' || (forms[1] >= '0' && forms[1] <= '9')) return false;
  const char* expressionEnd = plural;
  while (expressionEnd < lineEnd && *expressionEnd != ';') expressionEnd++;
  Parser parser = {plural, expressionEnd, rule, 0, false};
  int root = Expression(&parser);
  SkipSpace(&parser);
  if (parser.failed || parser.at != expressionEnd || root < 0) {
    memset(rule, 0, sizeof(*rule));
    rule->forms = 2;
    rule->root = -1;
    return false;
  }
  rule->forms = forms[0] - '0';
  rule->root = root;
  return true;
}

int PluralForm(const PluralRule& rule, uint64_t count) {
  int forms = rule.forms > 0 ? rule.forms : 2;
  uint64_t form = rule.root < 0 ? (count != 1) : Evaluate(rule, rule.root, count);
  return form < static_cast<uint64_t>(forms) ? static_cast<int>(form) : 0;
}
