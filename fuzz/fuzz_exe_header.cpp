// libFuzzer target: the executable header check over arbitrary file bytes. The first
// 8 bytes give the file size the check is told (a listing may disagree with the bytes
// actually readable); the rest is the readable part of the file.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "catalog/exe_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  uint64_t fileSize;
  memcpy(&fileSize, data, sizeof(fileSize));
  ExeKind kind = ClassifyExecutableImage(data + 8, size - 8, fileSize);
  if (kind != ExeKind::kOther && kind != ExeKind::kNe && kind != ExeKind::kPe && kind != ExeKind::kDamaged)
    __builtin_trap();
  return 0;
}
