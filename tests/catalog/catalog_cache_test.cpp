// The cache file's bytes: a round trip, and that cut, damaged and hostile files are
// refused as a whole rather than half read.
#include "catalog/catalog_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const unsigned char kPixel[4] = {1, 2, 3, 255};
constexpr SaverFileStamp kStamp = {40960, 0x01D9000012345678ull, 0x01D9000012349999ull, 0x1234ABCD, 77, 0};

// One search path "C:\S" and one saver "C:\S\a.scr" named "A" with a 1 by 1 image (check
// marks of 1 by 1 in this drawing); the offsets below are where its fields lie.
SaverCache SmallCache() {
  SaverCache cache;
  cache.drawing = {1, 1, 32, 32, 0xF0F0F0, 77, 2, 0x0409, 65001};
  cache.paths = {"C:\\S"};
  cache.savers = {{"C:\\S\\a.scr", kStamp, "A", 120, 19, 1, 1, kPixel}};
  return cache;
}
constexpr size_t kVersionAt = 4;
constexpr size_t kCheckWidthAt = 8;
constexpr size_t kCodePageAt = 40;
constexpr size_t kPathCountAt = 44;
constexpr size_t kFirstPathAt = 48;
constexpr size_t kSaverCountAt = 55;
constexpr size_t kSaverPathAt = 59;
constexpr size_t kNameAt = 120;
constexpr size_t kItemWidthAt = 124;
constexpr size_t kItemHeightAt = 128;
constexpr size_t kImageWidthAt = 132;
constexpr size_t kImageHeightAt = 134;
constexpr size_t kSmallCacheSize = 144;

Bytes Write(const SaverCache& cache) {
  Bytes bytes;
  EXPECT_EQ(WriteSaverCache(cache, &bytes), 1);
  return bytes;
}

void Put(Bytes* bytes, size_t at, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; i++) (*bytes)[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A change with a fresh check value: only the structure checks can refuse it.
void Seal(Bytes* bytes) {
  size_t body = bytes->size() - 4;
  Put(bytes, body, SaverCacheChecksum(bytes->data(), body), 4);
}

TEST(CatalogCache, RoundTripKeepsEveryFieldAndByte) {
  SaverCache cache = SmallCache();
  cache.drawing.checkWidth = 16;
  cache.drawing.checkHeight = 15;
  unsigned char big[4 * 16 * 15];
  for (size_t i = 0; i < sizeof(big); i++) big[i] = static_cast<unsigned char>(i * 7);
  cache.savers = {{"D:\\x\\LONGNAME.SCR", {1, 2, 3, 4, 5, 6}, "Long Name", 48, 0, 16, 15, big},
                  {"D:\\\xE5\xB1\x8F\\noimage.scr", {3, 4, 0, 0, 0, 0}, "\xE5\xB1\x8F No Image", 300, 6, 0, 0,
                   nullptr}};
  Bytes bytes = Write(cache);
  SaverCache read;
  ASSERT_EQ(ReadSaverCache(bytes.data(), bytes.size(), &read), 1);
  EXPECT_TRUE(SameDrawing(read.drawing, cache.drawing));
  ASSERT_EQ(read.paths.size(), 1u);
  EXPECT_STREQ(read.paths[0], "C:\\S");
  ASSERT_EQ(read.savers.size(), 2u);
  for (size_t i = 0; i < 2; i++) {
    const CachedSaver& a = cache.savers[i];
    const CachedSaver& b = read.savers[i];
    EXPECT_STREQ(b.fullPath, a.fullPath);
    EXPECT_STREQ(b.displayName, a.displayName);
    EXPECT_TRUE(SameStamp(b.stamp, a.stamp));
    EXPECT_EQ(b.itemWidth, a.itemWidth);
    EXPECT_EQ(b.itemHeight, a.itemHeight);
    EXPECT_EQ(b.imageWidth, a.imageWidth);
    EXPECT_EQ(b.imageHeight, a.imageHeight);
    int width = 0;
    int height = 0;
    const unsigned char* pixels = CachedImagePixels(b, read.drawing, &width, &height);
    if (a.pixels) {
      ASSERT_NE(pixels, nullptr);
      EXPECT_EQ(width * 1000 + height, 16 * 1000 + 15);
      EXPECT_EQ(memcmp(pixels, a.pixels, sizeof(big)), 0);
    } else {
      EXPECT_EQ(pixels, nullptr);
    }
  }
  EXPECT_EQ(Write(read), bytes);
}

TEST(CatalogCache, EveryCutAndEveryFlippedBitIsRefused) {
  Bytes bytes = Write(SmallCache());
  ASSERT_EQ(bytes.size(), kSmallCacheSize);
  for (size_t length = 0; length < bytes.size(); length++) {
    SaverCache read;
    read.paths.push_back("left over");
    EXPECT_EQ(ReadSaverCache(bytes.data(), length, &read), 0) << length;
    EXPECT_TRUE(read.paths.empty() && read.savers.empty()) << length;
  }
  for (size_t at = 0; at < bytes.size(); at++) {
    Bytes damaged = bytes;
    damaged[at] ^= 0x10;
    SaverCache read;
    EXPECT_EQ(ReadSaverCache(damaged.data(), damaged.size(), &read), 0) << at;
  }
}

// Files whose check value is right but whose structure lies: each must be refused
// without reading or reserving past the bytes.
TEST(CatalogCache, HostileFilesWithAValidCheckValueAreRefused) {
  struct Case {
    const char* what;
    std::function<void(Bytes*)> change;
  };
  const Case cases[] = {
      {"the version before", [](Bytes* b) { Put(b, kVersionAt, 1, 4); }},
      {"a later version", [](Bytes* b) { Put(b, kVersionAt, 3, 4); }},
      {"other magic", [](Bytes* b) { (*b)[0] = 'X'; }},
      {"path count beyond the bytes", [](Bytes* b) { Put(b, kPathCountAt, 2, 4); }},
      {"path count huge", [](Bytes* b) { Put(b, kPathCountAt, 0xFFFFFFFFu, 4); }},
      {"saver count huge", [](Bytes* b) { Put(b, kSaverCountAt, 0x7FFFFFFFu, 4); }},
      {"saver count zero leaves bytes over", [](Bytes* b) { Put(b, kSaverCountAt, 0, 4); }},
      {"text length zero", [](Bytes* b) { Put(b, kFirstPathAt, 0, 2); }},
      {"text length past the end", [](Bytes* b) { Put(b, kSaverPathAt, 0xFFFF, 2); }},
      {"text not terminated", [](Bytes* b) { (*b)[kNameAt + 3] = 'x'; }},
      {"zero inside a text", [](Bytes* b) { (*b)[kSaverPathAt + 4] = 0; }},
      {"image wider than the limit", [](Bytes* b) { Put(b, kImageWidthAt, kCacheMaxImageSide + 1, 2); }},
      {"image of zero width", [](Bytes* b) { Put(b, kImageWidthAt, 0, 2); }},
      {"image larger than the bytes", [](Bytes* b) { Put(b, kImageWidthAt, 2, 2); }},
      {"bytes after the end", [](Bytes* b) { b->insert(b->end() - 4, 0); }},
  };
  for (const Case& c : cases) {
    Bytes bytes = Write(SmallCache());
    c.change(&bytes);
    Seal(&bytes);
    SaverCache read;
    EXPECT_EQ(ReadSaverCache(bytes.data(), bytes.size(), &read), 0) << c.what;
    EXPECT_TRUE(read.savers.empty()) << c.what;
  }
}

// Records whose bytes are whole but whose values cannot be right: the file is read, the
// record alone is dropped (its saver is read from its file again), and the writer leaves
// the same record out.
TEST(CatalogCache, UnsoundRecordsAreDroppedAlone) {
  struct Case {
    const char* what;
    std::function<void(Bytes*)> change;
    bool kept;
  };
  const Case cases[] = {
      {"as written", [](Bytes*) {}, true},
      {"item width of 65,536", [](Bytes* b) { Put(b, kItemWidthAt, 65536, 4); }, false},
      {"item width at its limit", [](Bytes* b) { Put(b, kItemWidthAt, kCacheMaxItemWidth, 4); }, true},
      {"negative item width", [](Bytes* b) { Put(b, kItemWidthAt, 0xFFFFFFFFu, 4); }, false},
      {"item narrower than three check marks", [](Bytes* b) { Put(b, kItemWidthAt, 2, 4); }, false},
      {"item height beyond reason", [](Bytes* b) { Put(b, kItemHeightAt, kCacheMaxItemHeight + 1, 4); }, false},
      {"image of another size than the check marks", [](Bytes* b) { Put(b, kCheckWidthAt, 2, 4); }, false},
      {"image of zero width", [](Bytes* b) {
         Put(b, kImageWidthAt, 0, 2);
         b->erase(b->end() - 8, b->end() - 4);
       }, false},
      {"name not UTF-8", [](Bytes* b) { (*b)[kNameAt + 2] = 0xFF; }, false},
      {"name with a cut character", [](Bytes* b) { (*b)[kNameAt + 2] = 0xE5; }, false},
      {"path with an overlong slash", [](Bytes* b) {
         (*b)[kSaverPathAt + 2 + 3] = 0xC0;
         (*b)[kSaverPathAt + 2 + 4] = 0xAF;
       }, false},
      {"other bytes under another code page", [](Bytes* b) {
         (*b)[kNameAt + 2] = 0xFF;
         Put(b, kCodePageAt, 1252, 4);
       }, true},
  };
  for (const Case& c : cases) {
    Bytes bytes = Write(SmallCache());
    c.change(&bytes);
    Seal(&bytes);
    SaverCache read;
    ASSERT_EQ(ReadSaverCache(bytes.data(), bytes.size(), &read), 1) << c.what;
    EXPECT_EQ(read.paths.size(), 1u) << c.what;
    EXPECT_EQ(read.savers.size(), c.kept ? 1u : 0u) << c.what;
  }
  // The writer leaves such records out of a file the reader takes whole.
  unsigned char four[16] = {};
  const CachedSaver bad[] = {
      {"C:\\S\\w.scr", kStamp, "W", 65536, 1, 0, 0, nullptr},
      {"C:\\S\\i.scr", kStamp, "I", 120, 1, 2, 2, four},
      {"C:\\S\\n.scr", kStamp, "\xFF", 120, 1, 0, 0, nullptr},
      {"C:\\S\\e.scr", kStamp, "", 120, 1, 0, 0, nullptr},
      {"C:\\S\\0.scr", kStamp, nullptr, 120, 1, 0, 0, nullptr},
  };
  SaverCache cache = SmallCache();
  cache.savers.insert(cache.savers.end(), std::begin(bad), std::end(bad));
  Bytes out;
  size_t written = 0;
  ASSERT_EQ(WriteSaverCache(cache, &out, &written), 1);
  EXPECT_EQ(written, 1u);
  SaverCache again;
  ASSERT_EQ(ReadSaverCache(out.data(), out.size(), &again), 1);
  ASSERT_EQ(again.savers.size(), 1u);
  EXPECT_STREQ(again.savers[0].displayName, "A");
}

TEST(CatalogCache, WriterRefusesPathsAndCountsBeyondTheLimits) {
  std::string longText(kCacheMaxText + 1, 'x');
  SaverCache cache = SmallCache();
  cache.paths.push_back(longText.c_str());
  Bytes bytes = {1, 2, 3};
  EXPECT_EQ(WriteSaverCache(cache, &bytes), 0);
  EXPECT_TRUE(bytes.empty());
  cache = SmallCache();
  cache.savers.assign(kCacheMaxSavers + 1, cache.savers[0]);
  EXPECT_EQ(WriteSaverCache(cache, &bytes), 0);
}

struct FileReads {
  const Bytes* file;
  size_t at;
  size_t chunk;
  int calls;
};

size_t ReadChunk(void* context, unsigned char* buffer, size_t size) {
  FileReads* reads = static_cast<FileReads*>(context);
  reads->calls++;
  size_t left = reads->file->size() - reads->at;
  size_t count = std::min({size, left, reads->chunk});
  memcpy(buffer, reads->file->data() + reads->at, count);
  reads->at += count;
  return count;
}

// The largest cache there can be (every count, text and image at its limit) is exactly
// the limit the reader takes: written whole, read back whole; a file one byte larger is
// not even read.
TEST(CatalogCache, TheLargestCacheIsWrittenAndReadAtTheLimit) {
  SaverCache cache;
  cache.drawing = {kCacheMaxImageSide, kCacheMaxImageSide, 64, 64, 0, 1, 2, 0x0409, 65001};
  std::string text(kCacheMaxText, 'p');
  std::vector<unsigned char> pixels(4u * kCacheMaxImageSide * kCacheMaxImageSide, 0x5A);
  cache.paths.assign(kCacheMaxPaths, text.c_str());
  CachedSaver saver = {text.c_str(), kStamp, text.c_str(), kCacheMaxItemWidth, kCacheMaxItemHeight,
                       kCacheMaxImageSide, kCacheMaxImageSide, pixels.data()};
  cache.savers.assign(kCacheMaxSavers, saver);
  Bytes bytes;
  size_t written = 0;
  ASSERT_EQ(WriteSaverCache(cache, &bytes, &written), 1);
  EXPECT_EQ(written, static_cast<size_t>(kCacheMaxSavers));
  ASSERT_EQ(bytes.size(), kCacheMaxBytes);

  FileReads reads = {&bytes, 0, 1u << 20, 0};
  Bytes loaded;
  SaverCache read;
  ASSERT_EQ(LoadSaverCache(bytes.size(), ReadChunk, &reads, &loaded, &read), 1);
  EXPECT_EQ(read.savers.size(), static_cast<size_t>(kCacheMaxSavers));

  reads = {&bytes, 0, 1u << 20, 0};
  EXPECT_EQ(LoadSaverCache(kCacheMaxBytes + 1, ReadChunk, &reads, &loaded, &read), 0);
  EXPECT_EQ(reads.calls, 0);
  EXPECT_TRUE(loaded.empty() && read.savers.empty());
}

// A file read in small pieces is read whole; one that is shorter or longer than its size
// said (it changed while being read) is refused.
TEST(CatalogCache, LoadingReadsTheWholeFileAndNothingElse) {
  Bytes bytes = Write(SmallCache());
  struct Case {
    const char* what;
    uint64_t said;
    size_t chunk;
    int expected;
  } cases[] = {
      {"in one read", bytes.size(), 1 << 20, 1},
      {"seven bytes at a time", bytes.size(), 7, 1},
      {"shorter than said", bytes.size() + 1, 7, 0},
      {"longer than said", bytes.size() - 1, 7, 0},
      {"empty", 0, 7, 0},
  };
  for (const Case& c : cases) {
    FileReads reads = {&bytes, 0, c.chunk, 0};
    Bytes loaded;
    SaverCache read;
    EXPECT_EQ(LoadSaverCache(c.said, ReadChunk, &reads, &loaded, &read), c.expected) << c.what;
    EXPECT_EQ(read.savers.size(), c.expected ? 1u : 0u) << c.what;
  }
}

// Every part of the stamp tells one file from another.
TEST(CatalogCache, FindsARecordOnlyWhenPathAndWholeStampMatch) {
  SaverCache cache = SmallCache();
  const SaverFileStamp b = {7, 8, 9, 10, 11, 12};
  cache.savers.push_back({"C:\\S\\b.scr", b, "B", 3, 1, 0, 0, nullptr});
  auto with = [&](int field, uint64_t value) {
    SaverFileStamp changed = b;
    uint64_t* fields[] = {&changed.size, &changed.writeTime, &changed.changeTime, &changed.volume,
                          &changed.fileIdLow, &changed.fileIdHigh};
    *fields[field] = value;
    return changed;
  };
  struct Case {
    const char* what;
    const char* path;
    SaverFileStamp stamp;
    int hint;
    int expected;
  };
  const Case cases[] = {
      {"same", "C:\\S\\b.scr", b, 1, 1},
      {"a wrong hint", "C:\\S\\b.scr", b, 0, 1},
      {"a hint out of range", "C:\\S\\b.scr", b, 99, 1},
      {"size", "C:\\S\\b.scr", with(0, 6), 1, -1},
      {"written again", "C:\\S\\b.scr", with(1, 9), 1, -1},
      {"replaced with the same size and time", "C:\\S\\b.scr", with(2, 99), 1, -1},
      {"another volume", "C:\\S\\b.scr", with(3, 99), 1, -1},
      {"another file moved in", "C:\\S\\b.scr", with(4, 99), 1, -1},
      {"another file, high identifier bits", "C:\\S\\b.scr", with(5, 99), 1, -1},
      {"another spelling", "C:\\S\\B.SCR", b, 1, -1},
      {"the first", "C:\\S\\a.scr", kStamp, -1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FindCachedSaver(cache, c.path, c.stamp, c.hint), c.expected) << c.what;
}

}  // namespace
