// The saver catalog's cache file: what one build learnt of each saver file (display name,
// item size, menu image), so that the next start takes unchanged files from it without
// opening them as modules. Byte layout, record checks and the loading steps; the file
// itself is opened, read and written by catalog_store.cpp. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kCatalogCacheVersion = 2;
constexpr int kCacheMaxSavers = 4096;   // as many as one enumeration lists
constexpr int kCacheMaxPaths = 4096;    // as many as the search path list holds
constexpr int kCacheMaxText = 779;      // a path or a name without its terminator: 260 characters in UTF-8
constexpr int kCacheMaxImageSide = 64;  // menu images are check-mark sized
constexpr int32_t kCacheMaxItemWidth = 16384;
constexpr int32_t kCacheMaxItemHeight = 1024;

// What the drawing and naming depended on; a cache made under other values is not used.
struct CacheDrawing {
  uint32_t checkWidth;
  uint32_t checkHeight;
  uint32_t iconWidth;
  uint32_t iconHeight;
  uint32_t menuColor;
  uint32_t fontKey;     // a digest of the menu font
  uint32_t platform;    // names come from other sources on the 9x family
  uint32_t uiLanguage;  // string resources follow the user's display language
  uint32_t codePage;    // names and paths are texts in the ANSI code page
};

// Which file a record was made from: a file replaced by another of the same size and
// last-write time still differs in its change time or its identity on the volume.
struct SaverFileStamp {
  uint64_t size;
  uint64_t writeTime;   // FILETIME units
  uint64_t changeTime;  // FILETIME units; 0 where the system gives none
  uint64_t volume;      // the volume's serial number
  uint64_t fileIdLow;   // the file's identifier on that volume
  uint64_t fileIdHigh;
};

bool SameStamp(const SaverFileStamp& a, const SaverFileStamp& b);

// Texts and pixels point into the bytes that were read (or that will be written): they
// live as long as those bytes. Pixels are 32-bit BGRA, rows top-down, 4 * width * height bytes.
struct CachedSaver {
  const char* fullPath;
  SaverFileStamp stamp;
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

// The largest cache there can be: every count, text and image at its limit. The writer
// never writes more and the reader takes no file that is larger.
constexpr size_t kCacheTextBytes = 2 + kCacheMaxText + 1;
constexpr size_t kCacheMaxRecordBytes =
    kCacheTextBytes + 6 * 8 + kCacheTextBytes + 4 + 4 + 2 + 2 + 4 * kCacheMaxImageSide * kCacheMaxImageSide;
constexpr size_t kCacheMaxBytes = 4 + 4 + 9 * 4 + 4 + kCacheMaxPaths * kCacheTextBytes + 4 +
                                  kCacheMaxSavers * kCacheMaxRecordBytes + 4;

// Whether a record can be used under `drawing`: texts present, well-formed UTF-8 when the
// code page is UTF-8, item sizes within reason, an image of exactly the check-mark size
// (or none). The reader drops records that fail, the writer leaves them out.
bool CachedSaverSound(const CachedSaver& saver, const CacheDrawing& drawing);
// 1 and `cache` filled when the bytes are a whole, undamaged cache of this version (its
// unsound records left out); 0 and `cache` emptied otherwise. Every size read is checked
// against the bytes left.
int ReadSaverCache(const unsigned char* data, size_t size, SaverCache* cache);
// 1 and the bytes of `cache` in `out` (unsound records left out, *written of them kept
// when asked); 0 when a path or a count is beyond the limits.
int WriteSaverCache(const SaverCache& cache, std::vector<unsigned char>* out, size_t* written = nullptr);
// The check value stored in the last four bytes, over the bytes before them.
uint32_t SaverCacheChecksum(const unsigned char* data, size_t size);
// The position of the record for this file, or -1. `hint` is tried first (the files are
// usually listed in the order they were written).
int FindCachedSaver(const SaverCache& cache, const char* fullPath, const SaverFileStamp& stamp, int hint);
bool SameDrawing(const CacheDrawing& a, const CacheDrawing& b);

// Reads up to `size` bytes into `buffer`: how many were read, 0 at the end or on failure.
using CacheFileRead = size_t (*)(void* context, unsigned char* buffer, size_t size);
// The cache file of `fileSize` bytes, read whole through `read` into `bytes` and parsed:
// 1 when it is a sound cache; 0 (bytes and cache emptied) when it is empty, larger than
// kCacheMaxBytes, shorter or longer than it said, or refused by the reader.
int LoadSaverCache(uint64_t fileSize, CacheFileRead read, void* context, std::vector<unsigned char>* bytes,
                   SaverCache* cache);
// The pixels of a record's menu image when they can be turned into a bitmap of the
// check-mark size (width and height set); null when the record has no image or it does
// not fit the drawing.
const unsigned char* CachedImagePixels(const CachedSaver& saver, const CacheDrawing& drawing, int* width,
                                       int* height);
