// CompareVersions on two texts split at the first zero byte: the order must be
// antisymmetric and every text equal to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/update_checker.h"

static int Sign(int value) { return (value > 0) - (value < 0); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t zero = input.find('\0');
  std::string a = input.substr(0, zero);
  std::string b = zero == std::string::npos ? "" : input.substr(zero + 1);
  if (Sign(CompareVersions(a.c_str(), b.c_str())) != -Sign(CompareVersions(b.c_str(), a.c_str()))) abort();
  if (CompareVersions(a.c_str(), a.c_str()) != 0) abort();
  return 0;
}
