// The cache file's bytes: a round trip, and that cut, damaged and hostile files are
// refused as a whole rather than half read.
#include "catalog/catalog_cache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const unsigned char kPixel[4] = {1, 2, 3, 255};

// One search path "C:\S" and one saver "C:\S\a.scr" named "A" with a 1 by 1 image; the
// offsets below are where its fields lie.
SaverCache SmallCache() {
  SaverCache cache;
  cache.drawing = {13, 13, 32, 32, 0xF0F0F0, 77, 2};
  cache.paths = {"C:\\S"};
  cache.savers = {{"C:\\S\\a.scr", 40960, 0x01D9000012345678ull, "A", 120, 19, 1, 1, kPixel}};
  return cache;
}
constexpr size_t kVersionAt = 4;
constexpr size_t kPathCountAt = 36;
constexpr size_t kFirstPathAt = 40;
constexpr size_t kSaverCountAt = 47;
constexpr size_t kSaverPathAt = 51;
constexpr size_t kNameAt = 80;
constexpr size_t kItemWidthAt = 84;
constexpr size_t kImageWidthAt = 92;
constexpr size_t kSmallCacheSize = 104;

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
  unsigned char big[4 * 16 * 15];
  for (size_t i = 0; i < sizeof(big); i++) big[i] = static_cast<unsigned char>(i * 7);
  cache.savers.push_back({"D:\\x\\LONGNAME.SCR", 1, 2, "Long Name", 0, 0, 16, 15, big});
  cache.savers.push_back({"D:\\x\\noimage.scr", 3, 4, "No Image", 5, 6, 0, 0, nullptr});
  Bytes bytes = Write(cache);
  SaverCache read;
  ASSERT_EQ(ReadSaverCache(bytes.data(), bytes.size(), &read), 1);
  EXPECT_TRUE(SameDrawing(read.drawing, cache.drawing));
  ASSERT_EQ(read.paths.size(), 1u);
  EXPECT_STREQ(read.paths[0], "C:\\S");
  ASSERT_EQ(read.savers.size(), 3u);
  for (size_t i = 0; i < 3; i++) {
    const CachedSaver& a = cache.savers[i];
    const CachedSaver& b = read.savers[i];
    EXPECT_STREQ(b.fullPath, a.fullPath);
    EXPECT_STREQ(b.displayName, a.displayName);
    EXPECT_EQ(b.size, a.size);
    EXPECT_EQ(b.writeTime, a.writeTime);
    EXPECT_EQ(b.itemWidth, a.itemWidth);
    EXPECT_EQ(b.itemHeight, a.itemHeight);
    EXPECT_EQ(b.imageWidth, a.imageWidth);
    EXPECT_EQ(b.imageHeight, a.imageHeight);
    if (a.pixels) EXPECT_EQ(memcmp(b.pixels, a.pixels, 4u * a.imageWidth * a.imageHeight), 0);
    else EXPECT_EQ(b.pixels, nullptr);
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
      {"other version", [](Bytes* b) { Put(b, kVersionAt, 2, 4); }},
      {"other magic", [](Bytes* b) { (*b)[0] = 'X'; }},
      {"path count beyond the bytes", [](Bytes* b) { Put(b, kPathCountAt, 2, 4); }},
      {"path count huge", [](Bytes* b) { Put(b, kPathCountAt, 0xFFFFFFFFu, 4); }},
      {"saver count huge", [](Bytes* b) { Put(b, kSaverCountAt, 0x7FFFFFFFu, 4); }},
      {"saver count zero leaves bytes over", [](Bytes* b) { Put(b, kSaverCountAt, 0, 4); }},
      {"text length zero", [](Bytes* b) { Put(b, kFirstPathAt, 0, 2); }},
      {"text length past the end", [](Bytes* b) { Put(b, kSaverPathAt, 0xFFFF, 2); }},
      {"text not terminated", [](Bytes* b) { (*b)[kNameAt + 3] = 'x'; }},
      {"zero inside a text", [](Bytes* b) { (*b)[kSaverPathAt + 4] = 0; }},
      {"negative item width", [](Bytes* b) { Put(b, kItemWidthAt, 0xFFFFFFFFu, 4); }},
      {"image wider than the limit", [](Bytes* b) { Put(b, kImageWidthAt, 257, 2); }},
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

TEST(CatalogCache, WriterRefusesWhatTheReaderWouldRefuse) {
  std::string longText(kCacheMaxText + 1, 'x');
  unsigned char pixels[4 * 257] = {};
  const CachedSaver bad[] = {
      {longText.c_str(), 1, 1, "A", 1, 1, 0, 0, nullptr},
      {"C:\\a.scr", 1, 1, "", 1, 1, 0, 0, nullptr},
      {"C:\\a.scr", 1, 1, nullptr, 1, 1, 0, 0, nullptr},
      {"C:\\a.scr", 1, 1, "A", -1, 1, 0, 0, nullptr},
      {"C:\\a.scr", 1, 1, "A", 1, 1, 257, 1, pixels},
  };
  for (const CachedSaver& saver : bad) {
    SaverCache cache = SmallCache();
    cache.savers.push_back(saver);
    Bytes bytes = {1, 2, 3};
    EXPECT_EQ(WriteSaverCache(cache, &bytes), 0);
    EXPECT_TRUE(bytes.empty());
  }
}

TEST(CatalogCache, FindsARecordOnlyWhenPathSizeAndTimeAllMatch) {
  SaverCache cache = SmallCache();
  cache.savers.push_back({"C:\\S\\b.scr", 7, 8, "B", 1, 1, 0, 0, nullptr});
  struct Case {
    const char* path;
    uint64_t size;
    uint64_t time;
    int hint;
    int expected;
  };
  const Case cases[] = {
      {"C:\\S\\b.scr", 7, 8, 1, 1},
      {"C:\\S\\b.scr", 7, 8, 0, 1},    // a wrong hint still finds it
      {"C:\\S\\b.scr", 7, 8, 99, 1},   // and so does one out of range
      {"C:\\S\\b.scr", 6, 8, 1, -1},   // the file grew or shrank
      {"C:\\S\\b.scr", 7, 9, 1, -1},   // it was written again
      {"C:\\S\\B.SCR", 7, 8, 1, -1},   // another spelling is another record
      {"C:\\S\\a.scr", 40960, 0x01D9000012345678ull, -1, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindCachedSaver(cache, c.path, c.size, c.time, c.hint), c.expected) << c.path << " " << c.hint;
}

}  // namespace
