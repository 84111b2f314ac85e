// libFuzzer target: the catalog cache reader over arbitrary bytes. Each input is read as
// it is, and once more with its check value made right, so that the structure checks
// behind the check value are reached too. Whatever is accepted must write back to the
// very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "catalog/catalog_cache.h"

static void ReadAndCompare(const unsigned char* data, size_t size) {
  SaverCache cache;
  if (!ReadSaverCache(data, size, &cache)) {
    if (!cache.paths.empty() || !cache.savers.empty()) __builtin_trap();
    return;
  }
  std::vector<unsigned char> again;
  if (!WriteSaverCache(cache, &again)) __builtin_trap();
  if (again.size() != size || memcmp(again.data(), data, size) != 0) __builtin_trap();
  for (const CachedSaver& saver : cache.savers)
    if (FindCachedSaver(cache, saver.fullPath, saver.size, saver.writeTime, 0) < 0) __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAndCompare(data, size);
  if (size < 4) return 0;
  std::vector<unsigned char> sealed(data, data + size);
  uint32_t check = SaverCacheChecksum(sealed.data(), size - 4);
  for (size_t i = 0; i < 4; i++) sealed[size - 4 + i] = static_cast<unsigned char>(check >> (8 * i));
  ReadAndCompare(sealed.data(), size);
  return 0;
}
