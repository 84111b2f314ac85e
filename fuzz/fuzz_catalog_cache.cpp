// libFuzzer target: the catalog cache as it is loaded from a file and turned into menu
// images. Each input is loaded as it is (in pieces of a size the input picks, with the
// file's size said right or wrong), and once more with its check value made right, so
// that the structure and record checks behind the check value are reached too. Whatever
// is accepted must write back to bytes that read the same, and every image handed out for
// a bitmap must be whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "catalog/catalog_cache.h"

namespace {

struct File {
  const unsigned char* data;
  size_t size;
  size_t at;
  size_t chunk;
};

size_t ReadPiece(void* context, unsigned char* buffer, size_t size) {
  File* file = static_cast<File*>(context);
  size_t count = std::min({size, file->size - file->at, file->chunk});
  memcpy(buffer, file->data + file->at, count);
  file->at += count;
  return count;
}

// What a bitmap would be made from: every pixel byte is read.
unsigned TouchImages(const SaverCache& cache) {
  unsigned sum = 0;
  for (const CachedSaver& saver : cache.savers) {
    int width = 0;
    int height = 0;
    const unsigned char* pixels = CachedImagePixels(saver, cache.drawing, &width, &height);
    if (!pixels) continue;
    if (width <= 0 || height <= 0 || width > kCacheMaxImageSide || height > kCacheMaxImageSide) __builtin_trap();
    for (size_t i = 0; i < 4u * static_cast<size_t>(width) * static_cast<size_t>(height); i++) sum += pixels[i];
  }
  return sum;
}

void LoadAndCompare(const unsigned char* data, size_t size, size_t chunk, uint64_t said) {
  File file = {data, size, 0, chunk};
  std::vector<unsigned char> bytes;
  SaverCache cache;
  if (!LoadSaverCache(said, ReadPiece, &file, &bytes, &cache)) {
    if (!bytes.empty() || !cache.paths.empty() || !cache.savers.empty()) __builtin_trap();
    return;
  }
  if (said != size) __builtin_trap();
  volatile unsigned sink = TouchImages(cache);
  (void)sink;
  for (const CachedSaver& saver : cache.savers)
    if (!CachedSaverSound(saver, cache.drawing) || FindCachedSaver(cache, saver.fullPath, saver.stamp, 0) < 0)
      __builtin_trap();
  // Written back, it reads the same; written again, the bytes do not change.
  std::vector<unsigned char> again;
  size_t written = 0;
  if (!WriteSaverCache(cache, &again, &written) || written != cache.savers.size()) __builtin_trap();
  SaverCache reread;
  if (!ReadSaverCache(again.data(), again.size(), &reread) || reread.savers.size() != written) __builtin_trap();
  std::vector<unsigned char> third;
  if (!WriteSaverCache(reread, &third) || third != again) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the pieces the file is read in and whether its size is said right.
  if (size < 1) return 0;
  size_t chunk = 1 + static_cast<size_t>(data[0] & 0x3F) * 97;
  int skew = (data[0] >> 6) == 1 ? 1 : (data[0] >> 6) == 2 ? -1 : 0;
  data++;
  size--;
  uint64_t said = static_cast<uint64_t>(static_cast<int64_t>(size) + skew);
  LoadAndCompare(data, size, chunk, said);
  if (size < 4) return 0;
  std::vector<unsigned char> sealed(data, data + size);
  uint32_t check = SaverCacheChecksum(sealed.data(), size - 4);
  for (size_t i = 0; i < 4; i++) sealed[size - 4 + i] = static_cast<unsigned char>(check >> (8 * i));
  LoadAndCompare(sealed.data(), size, chunk, size);
  return 0;
}
