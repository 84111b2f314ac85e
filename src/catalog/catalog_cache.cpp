// The cache file's bytes, all numbers little-endian:
//   "DZSC", version (u32), the drawing values (9 x u32),
//   path count (u32), then per path: length (u16), the text, a zero byte,
//   saver count (u32), then per saver: full path as above, the file's stamp (size, last-write
//   time, change time, volume, file identifier low and high: 6 x u64), display name as
//   above, item width and height (2 x i32), image width and height (2 x u16), the image's
//   4 * width * height bytes,
//   and last a check value (u32, FNV-1a over every byte before it).
// The reader trusts nothing it reads: the check value is tested first, every count and
// length is held against its limit and against the bytes that are left before anything
// is reserved, texts must end where their length says and hold no zero, and the check
// value must end the bytes exactly. A record whose bytes are whole but whose values do not
// fit the drawing it claims to be made with is dropped alone; the catalog reads its file again.
#include "catalog/catalog_cache.h"

#include <cstring>

namespace {

constexpr unsigned char kMagic[4] = {'D', 'Z', 'S', 'C'};
constexpr size_t kDrawingValues = 9;
constexpr size_t kChecksumSize = 4;
constexpr uint32_t kUtf8CodePage = 65001;
// The fewest bytes one path and one saver record can take: a bound on their counts.
constexpr size_t kSmallestPath = 2 + 1 + 1;
constexpr size_t kSmallestSaver = kSmallestPath + 6 * 8 + kSmallestPath + 4 + 4 + 2 + 2;
static_assert(kCacheMaxBytes < (size_t{1} << 31), "the cache is read with one 32-bit read");

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

void TakeStamp(Reader* reader, SaverFileStamp* stamp) {
  stamp->size = TakeNumber(reader, 8);
  stamp->writeTime = TakeNumber(reader, 8);
  stamp->changeTime = TakeNumber(reader, 8);
  stamp->volume = TakeNumber(reader, 8);
  stamp->fileIdLow = TakeNumber(reader, 8);
  stamp->fileIdHigh = TakeNumber(reader, 8);
}

// False when the bytes of the record are not whole (the file is refused).
bool ReadSaver(Reader* reader, CachedSaver* saver) {
  saver->fullPath = TakeText(reader);
  TakeStamp(reader, &saver->stamp);
  saver->displayName = TakeText(reader);
  saver->itemWidth = static_cast<int32_t>(static_cast<uint32_t>(TakeNumber(reader, 4)));
  saver->itemHeight = static_cast<int32_t>(static_cast<uint32_t>(TakeNumber(reader, 4)));
  saver->imageWidth = static_cast<uint16_t>(TakeNumber(reader, 2));
  saver->imageHeight = static_cast<uint16_t>(TakeNumber(reader, 2));
  if (reader->failed || saver->imageWidth > kCacheMaxImageSide || saver->imageHeight > kCacheMaxImageSide)
    return false;
  size_t imageBytes = 4u * saver->imageWidth * saver->imageHeight;
  saver->pixels = Take(reader, imageBytes);
  if (imageBytes == 0) saver->pixels = nullptr;
  return !reader->failed;
}

void PutNumber(std::vector<unsigned char>* out, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; i++) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

bool TextFits(const char* text) {
  size_t length = text ? strlen(text) : 0;
  return length > 0 && length <= static_cast<size_t>(kCacheMaxText);
}

void PutText(std::vector<unsigned char>* out, const char* text) {
  size_t length = strlen(text);
  PutNumber(out, length, 2);
  out->insert(out->end(), text, text + length + 1);
}

void PutSaver(std::vector<unsigned char>* out, const CachedSaver& saver) {
  PutText(out, saver.fullPath);
  const SaverFileStamp& stamp = saver.stamp;
  const uint64_t values[] = {stamp.size, stamp.writeTime, stamp.changeTime, stamp.volume, stamp.fileIdLow,
                             stamp.fileIdHigh};
  for (uint64_t value : values) PutNumber(out, value, 8);
  PutText(out, saver.displayName);
  PutNumber(out, static_cast<uint32_t>(saver.itemWidth), 4);
  PutNumber(out, static_cast<uint32_t>(saver.itemHeight), 4);
  PutNumber(out, saver.imageWidth, 2);
  PutNumber(out, saver.imageHeight, 2);
  if (saver.pixels) out->insert(out->end(), saver.pixels, saver.pixels + 4u * saver.imageWidth * saver.imageHeight);
}

void DrawingValues(const CacheDrawing& drawing, uint32_t* values) {
  const uint32_t all[kDrawingValues] = {drawing.checkWidth, drawing.checkHeight, drawing.iconWidth,
                                        drawing.iconHeight, drawing.menuColor,   drawing.fontKey,
                                        drawing.platform,   drawing.uiLanguage,  drawing.codePage};
  memcpy(values, all, sizeof(all));
}

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no
// surrogates, nothing beyond U+10FFFF.
bool IsUtf8(const char* text) {
  const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
  while (*at) {
    unsigned char lead = *at;
    int more;
    uint32_t value;
    if (lead < 0x80) {
      at++;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      more = 1;
      value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      more = 2;
      value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      more = 3;
      value = lead & 0x07;
    } else {
      return false;
    }
    for (int i = 1; i <= more; i++) {
      if ((at[i] & 0xC0) != 0x80) return false;  // a zero ends the loop here too
      value = (value << 6) | (at[i] & 0x3F);
    }
    if ((more == 2 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
        (more == 3 && (value < 0x10000 || value > 0x10FFFF)))
      return false;
    at += more + 1;
  }
  return true;
}

}  // namespace

bool SameStamp(const SaverFileStamp& a, const SaverFileStamp& b) {
  return a.size == b.size && a.writeTime == b.writeTime && a.changeTime == b.changeTime && a.volume == b.volume &&
         a.fileIdLow == b.fileIdLow && a.fileIdHigh == b.fileIdHigh;
}

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

bool CachedSaverSound(const CachedSaver& saver, const CacheDrawing& drawing) {
  if (!TextFits(saver.fullPath) || !TextFits(saver.displayName)) return false;
  if (drawing.codePage == kUtf8CodePage && (!IsUtf8(saver.fullPath) || !IsUtf8(saver.displayName))) return false;
  // The item is the name's width plus three check marks.
  int64_t least = 3 * static_cast<int64_t>(drawing.checkWidth);
  if (saver.itemWidth < least || saver.itemWidth > kCacheMaxItemWidth || saver.itemHeight < 0 ||
      saver.itemHeight > kCacheMaxItemHeight)
    return false;
  if (saver.imageWidth == 0 && saver.imageHeight == 0) return true;
  return saver.pixels && saver.imageWidth == drawing.checkWidth && saver.imageHeight == drawing.checkHeight &&
         saver.imageWidth <= kCacheMaxImageSide && saver.imageHeight <= kCacheMaxImageSide;
}

int ReadSaverCache(const unsigned char* data, size_t size, SaverCache* cache) {
  if (!cache) return 0;
  *cache = SaverCache{};
  if (!data || size < sizeof(kMagic) + kChecksumSize || size > kCacheMaxBytes) return 0;
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
  read.drawing = {values[0], values[1], values[2], values[3], values[4],
                  values[5], values[6], values[7], values[8]};

  size_t pathCount = TakeCount(&reader, kCacheMaxPaths, kSmallestPath);
  read.paths.reserve(pathCount);
  for (size_t i = 0; i < pathCount && !reader.failed; i++) read.paths.push_back(TakeText(&reader));
  size_t saverCount = TakeCount(&reader, kCacheMaxSavers, kSmallestSaver);
  read.savers.reserve(saverCount);
  for (size_t i = 0; i < saverCount && !reader.failed; i++) {
    CachedSaver saver = {};
    if (!ReadSaver(&reader, &saver)) return 0;
    if (CachedSaverSound(saver, read.drawing)) read.savers.push_back(saver);
  }
  if (reader.failed || reader.left != 0) return 0;
  *cache = std::move(read);
  return 1;
}

int WriteSaverCache(const SaverCache& cache, std::vector<unsigned char>* out, size_t* written) {
  if (!out) return 0;
  out->clear();
  if (cache.paths.size() > static_cast<size_t>(kCacheMaxPaths) ||
      cache.savers.size() > static_cast<size_t>(kCacheMaxSavers))
    return 0;
  for (const char* path : cache.paths)
    if (!TextFits(path)) return 0;
  std::vector<unsigned char> bytes(kMagic, kMagic + sizeof(kMagic));
  PutNumber(&bytes, kCatalogCacheVersion, 4);
  uint32_t values[kDrawingValues];
  DrawingValues(cache.drawing, values);
  for (uint32_t value : values) PutNumber(&bytes, value, 4);
  PutNumber(&bytes, cache.paths.size(), 4);
  for (const char* path : cache.paths) PutText(&bytes, path);
  size_t countAt = bytes.size();
  PutNumber(&bytes, 0, 4);
  uint32_t kept = 0;
  for (const CachedSaver& saver : cache.savers) {
    if (!CachedSaverSound(saver, cache.drawing)) continue;
    PutSaver(&bytes, saver);
    kept++;
  }
  for (size_t i = 0; i < 4; i++) bytes[countAt + i] = static_cast<unsigned char>(kept >> (8 * i));
  PutNumber(&bytes, SaverCacheChecksum(bytes.data(), bytes.size()), kChecksumSize);
  if (bytes.size() > kCacheMaxBytes) return 0;  // cannot happen within the limits above
  out->swap(bytes);
  if (written) *written = kept;
  return 1;
}

int FindCachedSaver(const SaverCache& cache, const char* fullPath, const SaverFileStamp& stamp, int hint) {
  if (!fullPath) return -1;
  int count = static_cast<int>(cache.savers.size());
  auto matches = [&](int i) {
    const CachedSaver& saver = cache.savers[static_cast<size_t>(i)];
    return SameStamp(saver.stamp, stamp) && strcmp(saver.fullPath, fullPath) == 0;
  };
  if (hint >= 0 && hint < count && matches(hint)) return hint;
  for (int i = 0; i < count; i++)
    if (matches(i)) return i;
  return -1;
}

int LoadSaverCache(uint64_t fileSize, CacheFileRead read, void* context, std::vector<unsigned char>* bytes,
                   SaverCache* cache) {
  *cache = SaverCache{};
  bytes->clear();
  if (!read || fileSize == 0 || fileSize > kCacheMaxBytes) return 0;
  bytes->resize(static_cast<size_t>(fileSize));
  size_t filled = 0;
  while (filled < bytes->size()) {
    size_t got = read(context, bytes->data() + filled, bytes->size() - filled);
    if (got == 0 || got > bytes->size() - filled) break;
    filled += got;
  }
  // A file that shrank or grew while it was read is not the file that was measured.
  unsigned char extra;
  bool whole = filled == bytes->size() && read(context, &extra, 1) == 0;
  if (!whole || !ReadSaverCache(bytes->data(), bytes->size(), cache)) {
    bytes->clear();
    *cache = SaverCache{};
    return 0;
  }
  return 1;
}

const unsigned char* CachedImagePixels(const CachedSaver& saver, const CacheDrawing& drawing, int* width,
                                       int* height) {
  *width = 0;
  *height = 0;
  if (!saver.pixels || saver.imageWidth == 0 || saver.imageHeight == 0 || saver.imageWidth != drawing.checkWidth ||
      saver.imageHeight != drawing.checkHeight || saver.imageWidth > kCacheMaxImageSide ||
      saver.imageHeight > kCacheMaxImageSide)
    return nullptr;
  *width = saver.imageWidth;
  *height = saver.imageHeight;
  return saver.pixels;
}
