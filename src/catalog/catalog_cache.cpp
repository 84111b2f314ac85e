// The cache file's bytes, all numbers little-endian:
//   "DZSC", version (u32), the drawing values (7 x u32),
//   path count (u32), then per path: length (u16), the text, a zero byte,
//   saver count (u32), then per saver: full path as above, file size (u64), last-write
//   time (u64), display name as above, item width and height (2 x i32), image width and
//   height (2 x u16), the image's 4 * width * height bytes,
//   and last a check value (u32, FNV-1a over every byte before it).
// The reader trusts nothing it reads: the check value is tested first, every count and
// length is held against its limit and against the bytes that are left before anything
// is reserved, texts must end where their length says and hold no zero, and the check
// value must end the bytes exactly.
#include "catalog/catalog_cache.h"

#include <cstring>

namespace {

constexpr unsigned char kMagic[4] = {'D', 'Z', 'S', 'C'};
constexpr size_t kDrawingValues = 7;
constexpr size_t kChecksumSize = 4;
constexpr int32_t kMaxItemSide = 1 << 16;
// The fewest bytes one path and one saver record can take: a bound on their counts.
constexpr size_t kSmallestPath = 2 + 1 + 1;
constexpr size_t kSmallestSaver = kSmallestPath + 8 + 8 + kSmallestPath + 4 + 4 + 2 + 2;

struct Reader {
  const unsigned char* data;
  size_t left;
  bool failed;
};

const unsigned char* Take(Reader* reader, size_t count) {
  if (reader->failed || count > reader->left) {
    reader->failed = true;
    return nullptr;
  }
  const unsigned char* start = reader->data;
  reader->data += count;
  reader->left -= count;
  return start;
}

uint64_t TakeNumber(Reader* reader, size_t bytes) {
  const unsigned char* at = Take(reader, bytes);
  uint64_t value = 0;
  for (size_t i = 0; at && i < bytes; i++) value |= static_cast<uint64_t>(at[i]) << (8 * i);
  return value;
}

const char* TakeText(Reader* reader) {
  size_t length = static_cast<size_t>(TakeNumber(reader, 2));
  if (length == 0 || length > static_cast<size_t>(kCacheMaxText)) reader->failed = true;
  const unsigned char* text = Take(reader, length + 1);
  if (!text || text[length] != 0 || memchr(text, 0, length)) {
    reader->failed = true;
    return nullptr;
  }
  return reinterpret_cast<const char*>(text);
}

// A count that the bytes left could hold, given the smallest size of one element.
size_t TakeCount(Reader* reader, int limit, size_t smallest) {
  uint64_t count = TakeNumber(reader, 4);
  if (reader->failed || count > static_cast<uint64_t>(limit) || count > reader->left / smallest) {
    reader->failed = true;
    return 0;
  }
  return static_cast<size_t>(count);
}

bool ReadSaver(Reader* reader, CachedSaver* saver) {
  saver->fullPath = TakeText(reader);
  saver->size = TakeNumber(reader, 8);
  saver->writeTime = TakeNumber(reader, 8);
  saver->displayName = TakeText(reader);
  saver->itemWidth = static_cast<int32_t>(static_cast<uint32_t>(TakeNumber(reader, 4)));
  saver->itemHeight = static_cast<int32_t>(static_cast<uint32_t>(TakeNumber(reader, 4)));
  saver->imageWidth = static_cast<uint16_t>(TakeNumber(reader, 2));
  saver->imageHeight = static_cast<uint16_t>(TakeNumber(reader, 2));
  if (reader->failed) return false;
  if (saver->itemWidth < 0 || saver->itemWidth > kMaxItemSide || saver->itemHeight < 0 ||
      saver->itemHeight > kMaxItemSide)
    return false;
  bool noImage = saver->imageWidth == 0 && saver->imageHeight == 0;
  if (!noImage && (saver->imageWidth == 0 || saver->imageHeight == 0 || saver->imageWidth > kCacheMaxImageSide ||
                   saver->imageHeight > kCacheMaxImageSide))
    return false;
  saver->pixels = Take(reader, 4u * saver->imageWidth * saver->imageHeight);
  if (noImage) saver->pixels = nullptr;
  return !reader->failed;
}

void PutNumber(std::vector<unsigned char>* out, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; i++) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

bool PutText(std::vector<unsigned char>* out, const char* text) {
  size_t length = text ? strlen(text) : 0;
  if (length == 0 || length > static_cast<size_t>(kCacheMaxText)) return false;
  PutNumber(out, length, 2);
  out->insert(out->end(), text, text + length + 1);
  return true;
}

bool PutSaver(std::vector<unsigned char>* out, const CachedSaver& saver) {
  if (!PutText(out, saver.fullPath)) return false;
  PutNumber(out, saver.size, 8);
  PutNumber(out, saver.writeTime, 8);
  if (!PutText(out, saver.displayName)) return false;
  if (saver.itemWidth < 0 || saver.itemWidth > kMaxItemSide || saver.itemHeight < 0 || saver.itemHeight > kMaxItemSide)
    return false;
  PutNumber(out, static_cast<uint32_t>(saver.itemWidth), 4);
  PutNumber(out, static_cast<uint32_t>(saver.itemHeight), 4);
  bool noImage = saver.imageWidth == 0 || saver.imageHeight == 0 || !saver.pixels;
  if (saver.imageWidth > kCacheMaxImageSide || saver.imageHeight > kCacheMaxImageSide) return false;
  PutNumber(out, noImage ? 0 : saver.imageWidth, 2);
  PutNumber(out, noImage ? 0 : saver.imageHeight, 2);
  if (!noImage) out->insert(out->end(), saver.pixels, saver.pixels + 4u * saver.imageWidth * saver.imageHeight);
  return true;
}

void DrawingValues(const CacheDrawing& drawing, uint32_t* values) {
  const uint32_t all[kDrawingValues] = {drawing.checkWidth, drawing.checkHeight, drawing.iconWidth, drawing.iconHeight,
                                        drawing.menuColor,  drawing.fontKey,     drawing.platform};
  memcpy(values, all, sizeof(all));
}

}  // namespace

uint32_t SaverCacheChecksum(const unsigned char* data, size_t size) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; i++) {
    hash ^= data[i];
    hash *= 16777619u;
  }
  return hash;
}

bool SameDrawing(const CacheDrawing& a, const CacheDrawing& b) {
  uint32_t left[kDrawingValues];
  uint32_t right[kDrawingValues];
  DrawingValues(a, left);
  DrawingValues(b, right);
  return memcmp(left, right, sizeof(left)) == 0;
}

int ReadSaverCache(const unsigned char* data, size_t size, SaverCache* cache) {
  if (!cache) return 0;
  *cache = SaverCache{};
  if (!data || size < sizeof(kMagic) + kChecksumSize) return 0;
  size_t body = size - kChecksumSize;
  Reader tail = {data + body, kChecksumSize, false};
  if (static_cast<uint32_t>(TakeNumber(&tail, kChecksumSize)) != SaverCacheChecksum(data, body)) return 0;

  Reader reader = {data, body, false};
  const unsigned char* magic = Take(&reader, sizeof(kMagic));
  if (!magic || memcmp(magic, kMagic, sizeof(kMagic)) != 0) return 0;
  if (TakeNumber(&reader, 4) != kCatalogCacheVersion) return 0;
  uint32_t values[kDrawingValues];
  for (uint32_t& value : values) value = static_cast<uint32_t>(TakeNumber(&reader, 4));
  SaverCache read;
  read.drawing = {values[0], values[1], values[2], values[3], values[4], values[5], values[6]};

  size_t pathCount = TakeCount(&reader, kCacheMaxPaths, kSmallestPath);
  read.paths.reserve(pathCount);
  for (size_t i = 0; i < pathCount && !reader.failed; i++) read.paths.push_back(TakeText(&reader));
  size_t saverCount = TakeCount(&reader, kCacheMaxSavers, kSmallestSaver);
  read.savers.reserve(saverCount);
  for (size_t i = 0; i < saverCount && !reader.failed; i++) {
    CachedSaver saver = {};
    if (!ReadSaver(&reader, &saver)) return 0;
    read.savers.push_back(saver);
  }
  if (reader.failed || reader.left != 0) return 0;
  *cache = std::move(read);
  return 1;
}

int WriteSaverCache(const SaverCache& cache, std::vector<unsigned char>* out) {
  if (!out) return 0;
  out->clear();
  if (cache.paths.size() > static_cast<size_t>(kCacheMaxPaths) ||
      cache.savers.size() > static_cast<size_t>(kCacheMaxSavers))
    return 0;
  std::vector<unsigned char> bytes(kMagic, kMagic + sizeof(kMagic));
  PutNumber(&bytes, kCatalogCacheVersion, 4);
  uint32_t values[kDrawingValues];
  DrawingValues(cache.drawing, values);
  for (uint32_t value : values) PutNumber(&bytes, value, 4);
  PutNumber(&bytes, cache.paths.size(), 4);
  for (const char* path : cache.paths)
    if (!PutText(&bytes, path)) return 0;
  PutNumber(&bytes, cache.savers.size(), 4);
  for (const CachedSaver& saver : cache.savers)
    if (!PutSaver(&bytes, saver)) return 0;
  PutNumber(&bytes, SaverCacheChecksum(bytes.data(), bytes.size()), kChecksumSize);
  out->swap(bytes);
  return 1;
}

int FindCachedSaver(const SaverCache& cache, const char* fullPath, uint64_t size, uint64_t writeTime, int hint) {
  if (!fullPath) return -1;
  int count = static_cast<int>(cache.savers.size());
  auto matches = [&](int i) {
    const CachedSaver& saver = cache.savers[static_cast<size_t>(i)];
    return saver.size == size && saver.writeTime == writeTime && strcmp(saver.fullPath, fullPath) == 0;
  };
  if (hint >= 0 && hint < count && matches(hint)) return hint;
  for (int i = 0; i < count; i++)
    if (matches(i)) return i;
  return -1;
}
