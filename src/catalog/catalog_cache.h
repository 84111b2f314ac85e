// The saver catalog's cache file: what one build learnt of each saver file (display name,
// item size, menu image), so that the next start takes unchanged files from it without
// opening them. Byte layout only; the file itself is read and written by catalog_store.cpp.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kCatalogCacheVersion = 1;
constexpr int kCacheMaxSavers = 4096;    // as many as one enumeration lists
constexpr int kCacheMaxPaths = 4096;     // as many as the search path list holds
constexpr int kCacheMaxText = 259;       // a path or a name without its terminator
constexpr int kCacheMaxImageSide = 256;  // menu images are check-mark sized

// What the drawing and naming depended on; a cache made under other values is not used.
struct CacheDrawing {
  uint32_t checkWidth;
  uint32_t checkHeight;
  uint32_t iconWidth;
  uint32_t iconHeight;
  uint32_t menuColor;
  uint32_t fontKey;   // a digest of the menu font
  uint32_t platform;  // names come from other sources on the 9x family
};

// Texts and pixels point into the bytes that were read (or that will be written): they
// live as long as those bytes. Pixels are 32-bit BGRA, rows top-down, 4 * width * height bytes.
struct CachedSaver {
  const char* fullPath;
  uint64_t size;
  uint64_t writeTime;
  const char* displayName;
  int32_t itemWidth;
  int32_t itemHeight;
  uint16_t imageWidth;  // 0 by 0: the record had no menu image
  uint16_t imageHeight;
  const unsigned char* pixels;
};

struct SaverCache {
  CacheDrawing drawing;
  std::vector<const char*> paths;
  std::vector<CachedSaver> savers;
};

// 1 and `cache` filled when the bytes are a whole, undamaged cache of this version;
// 0 and `cache` emptied otherwise. Every size read is checked against the bytes left.
int ReadSaverCache(const unsigned char* data, size_t size, SaverCache* cache);
// 1 and the bytes of `cache` in `out`; 0 when a text, image or count is beyond the limits.
int WriteSaverCache(const SaverCache& cache, std::vector<unsigned char>* out);
// The check value stored in the last four bytes, over the bytes before them.
uint32_t SaverCacheChecksum(const unsigned char* data, size_t size);
// The position of the record for this file, or -1. `hint` is tried first (the files are
// usually listed in the order they were written).
int FindCachedSaver(const SaverCache& cache, const char* fullPath, uint64_t size, uint64_t writeTime, int hint);
bool SameDrawing(const CacheDrawing& a, const CacheDrawing& b);
