// libFuzzer target: the reader of 16-bit module descriptions over arbitrary file bytes.
// The destination is exactly as long as the length given, so AddressSanitizer sees any
// write past it; the first byte picks that length.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "catalog/ne_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int length = data[0] == 0 ? 260 : data[0];
  std::vector<char> destination(static_cast<size_t>(length));
  int found = ParseNeDescription(data + 1, size - 1, destination.data(), length);
  if (found && memchr(destination.data(), 0, destination.size()) == nullptr) __builtin_trap();
  return 0;
}
