// Version texts: "."-separated components compared left to right. Components of equal
// length compare byte by byte; otherwise by their leading numbers, then by their common
// prefix, then the longer one wins (so 10.0 > 9.9, 3.01 < 3.1, 3.0a > 3.0).
#include "update/update_checker.h"

#include <cstring>

namespace {

// The leading decimal digits, saturating instead of overflowing.
unsigned long long LeadingNumber(const char* text, size_t length) {
  unsigned long long value = 0;
  for (size_t i = 0; i < length && text[i] >= '0' && text[i] <= '9'; i++) {
    if (value > (~0ULL - 9) / 10) return ~0ULL;
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return value;
}

int CompareBytes(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; i++) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace

int CompareVersions(const char* a, const char* b) {
  if (!a) a = "";
  if (!b) b = "";
  if (!*a) return *b ? -1 : 0;
  while (*a) {
    if (!*b) return 1;
    size_t la = strcspn(a, ".");
    size_t lb = strcspn(b, ".");
    int order;
    if (la == lb) {
      order = CompareBytes(a, b, la);
    } else {
      unsigned long long na = LeadingNumber(a, la);
      unsigned long long nb = LeadingNumber(b, lb);
      if (na != nb) {
        order = na < nb ? -1 : 1;
      } else {
        order = CompareBytes(a, b, la < lb ? la : lb);
        if (order == 0) order = la < lb ? -1 : 1;
      }
    }
    if (order != 0) return order;
    a += la;
    b += lb;
    if (*a == '.') a++;
    if (*b == '.') b++;
  }
  return *b ? -1 : 0;
}

bool UpdateChecker::IsNewerVersion() const { return CompareVersions(latestVersion, currentVersion) > 0; }
