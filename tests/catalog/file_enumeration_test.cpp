// GetFileEnumeration over folders made by the test: order, counts and their log lines,
// the extension filter, odd folders, and the hard limit of one enumeration.
#include "catalog/file_enumeration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/log_capture.h"
#include "support/test_support.h"

namespace {

struct Listing {
  int result = 0;
  std::vector<std::string> longNames;
  std::vector<std::string> shortNames;
  std::vector<std::string> folders;
};

Listing Enumerate(const std::vector<std::string>& folders, const char* mask = "*.scr") {
  std::vector<char*> paths;
  for (const std::string& folder : folders) paths.push_back(const_cast<char*>(folder.c_str()));
  paths.push_back(nullptr);
  SaverFileEntry* entries = nullptr;
  int count = -1;
  Listing listing;
  listing.result = GetFileEnumeration(paths.data(), mask, &entries, &count);
  if (listing.result) {
    for (int i = 0; i < count; i++) {
      listing.longNames.push_back(entries[i].longName ? entries[i].longName : "{NULL}");
      listing.shortNames.push_back(entries[i].shortName ? entries[i].shortName : "{NULL}");
      listing.folders.push_back(entries[i].folder ? entries[i].folder : "{NULL}");
    }
    FreeFileEntries(entries, count);
  }
  return listing;
}

void Touch(const std::string& path) { ASSERT_TRUE(WriteTextFile(path, "x")) << path; }

class FileEnumerationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    one_ = MakeTempFolder("enum-one");
    two_ = MakeTempFolder("enum-two");
  }
  void TearDown() override {
    RemoveTree(one_);
    RemoveTree(two_);
  }
  std::string one_;
  std::string two_;
};

TEST_F(FileEnumerationTest, RequiredArguments) {
  LogCapture log("enum-args");
  char* empty[] = {nullptr};
  SaverFileEntry* entries = nullptr;
  int count = 0;
  EXPECT_EQ(GetFileEnumeration(nullptr, "*.scr", &entries, &count), 0);
  EXPECT_EQ(GetFileEnumeration(empty, "", &entries, &count), 0);
  EXPECT_EQ(GetFileEnumeration(empty, nullptr, &entries, &count), 0);
  EXPECT_EQ(GetFileEnumeration(empty, "*.scr", &entries, nullptr), 0);
  EXPECT_EQ(log.Count("GetFileEnumeration"), 0u);
}

TEST_F(FileEnumerationTest, EmptyListSucceedsQuietly) {
  LogCapture log("enum-empty");
  Listing listing = Enumerate({});
  EXPECT_EQ(listing.result, 1);
  EXPECT_TRUE(listing.longNames.empty());
  EXPECT_EQ(log.Count("GetFileEnumeration"), 0u);
}

TEST_F(FileEnumerationTest, CountsAccumulateOverFolders) {
  for (const char* name : {"A1.SCR", "A2.SCR", "A3.SCR"}) Touch(one_ + "\\" + name);
  for (const char* name : {"B1.SCR", "B2.SCR", "B3.SCR", "B4.SCR", "B5.SCR"}) Touch(two_ + "\\" + name);
  LogCapture log("enum-counts");
  Listing listing = Enumerate({one_, two_});
  ASSERT_EQ(listing.result, 1);
  ASSERT_EQ(listing.longNames.size(), 8u);
  for (int i = 0; i < 3; i++) EXPECT_EQ(listing.folders[i], one_ + "\\");
  for (int i = 3; i < 8; i++) EXPECT_EQ(listing.folders[i], two_ + "\\");
  EXPECT_TRUE(log.Has("GetFileEnumeration: mask=" + one_ + "\\*.scr, totalCount=3\r\n"));
  EXPECT_TRUE(log.Has("GetFileEnumeration: mask=" + two_ + "\\*.scr, totalCount=8\r\n"));
  // Each folder's listing handle is closed: twenty more listings leave the count as it was.
  DWORD before = 0, after = 0;
  GetProcessHandleCount(GetCurrentProcess(), &before);
  for (int round = 0; round < 20; round++) Enumerate({one_, two_});
  GetProcessHandleCount(GetCurrentProcess(), &after);
  EXPECT_LE(after, before + 2);
}

TEST_F(FileEnumerationTest, MissingAndEmptyFoldersAddNothing) {
  Touch(two_ + "\\ONLY.SCR");
  std::string missing = one_ + "\\does-not-exist";
  LogCapture log("enum-missing");
  Listing listing = Enumerate({missing, one_, two_});
  ASSERT_EQ(listing.result, 1);
  ASSERT_EQ(listing.longNames.size(), 1u);
  EXPECT_EQ(listing.longNames[0], "ONLY.SCR");
  EXPECT_EQ(log.Count("GetFileEnumeration: mask=" + missing + "\\*.scr, no files found\r\n"), 1u);
  EXPECT_EQ(log.Count("GetFileEnumeration: mask=" + one_ + "\\*.scr, no files found\r\n"), 1u);
  EXPECT_EQ(log.Count("totalCount=1\r\n"), 1u);
}

TEST_F(FileEnumerationTest, FilterKeepsOnlyFilesWithTheMasksExtension) {
  Touch(one_ + "\\BUBBLES.SCR");
  Touch(one_ + "\\Mixed.Scr");
  Touch(one_ + "\\Picture.scrap");  // matched by its 8.3 alias, dropped by the filter
  Touch(one_ + "\\notes.txt");
  ASSERT_TRUE(CreateDirectoryA((one_ + "\\Old.scr").c_str(), nullptr));
  Listing listing = Enumerate({one_});
  ASSERT_EQ(listing.result, 1);
  std::vector<std::string> names = listing.longNames;
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"BUBBLES.SCR", "Mixed.Scr"}));

  // "*.*" has no filter: every file, still no directory.
  Listing all = Enumerate({one_}, "*.*");
  names = all.longNames;
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"BUBBLES.SCR", "Mixed.Scr", "Picture.scrap", "notes.txt"}));
}

TEST_F(FileEnumerationTest, ShortNamesOnlyForNamesBeyond83) {
  Touch(one_ + "\\SSTEXT3D.SCR");
  Touch(one_ + "\\A Long Saver Name.scr");
  Listing listing = Enumerate({one_});
  ASSERT_EQ(listing.longNames.size(), 2u);
  for (size_t i = 0; i < 2; i++) {
    if (listing.longNames[i] == "SSTEXT3D.SCR") {
      EXPECT_EQ(listing.shortNames[i], "{NULL}");
    } else {
      EXPECT_NE(listing.shortNames[i], "{NULL}");
      EXPECT_LE(listing.shortNames[i].size(), 12u);
    }
  }
}

TEST_F(FileEnumerationTest, TrailingBackslashIsNotDoubled) {
  Touch(one_ + "\\ONE.SCR");
  LogCapture log("enum-slash");
  Listing listing = Enumerate({one_ + "\\"});
  ASSERT_EQ(listing.longNames.size(), 1u);
  EXPECT_EQ(listing.folders[0], one_ + "\\");
  EXPECT_TRUE(log.Has("mask=" + one_ + "\\*.scr, totalCount=1"));
  EXPECT_FALSE(log.Has("\\\\*.scr"));
}

TEST_F(FileEnumerationTest, DuplicateFoldersListTheirFilesAgain) {
  Touch(one_ + "\\ONE.SCR");
  Touch(one_ + "\\TWO.SCR");
  Listing listing = Enumerate({one_, one_ + "\\", one_});
  ASSERT_EQ(listing.result, 1);
  EXPECT_EQ(listing.longNames.size(), 6u);
}

TEST_F(FileEnumerationTest, SearchTextTooLongForAPathIsSkipped) {
  Touch(two_ + "\\ONE.SCR");
  std::string deep = "C:\\" + std::string(254, 'd');  // folder + "\*.scr" needs 264 characters
  LogCapture log("enum-long");
  Listing listing = Enumerate({deep, two_});
  ASSERT_EQ(listing.result, 1);
  EXPECT_EQ(listing.longNames.size(), 1u);
  EXPECT_EQ(log.Count("GetFileEnumeration: mask=" + deep + ", no files found"), 1u);
}

// 4096 entries is the capacity: more matching files give a list cut at 4096, and a later
// folder adds nothing.
TEST_F(FileEnumerationTest, NeverMoreThanTheCapacity) {
  for (int i = 0; i < kMaxSaverFiles - 4; i++) Touch(one_ + "\\S" + std::to_string(i) + ".SCR");
  for (int i = 0; i < 10; i++) Touch(two_ + "\\T" + std::to_string(i) + ".SCR");
  LogCapture log("enum-full");
  Listing listing = Enumerate({one_, two_, one_});
  ASSERT_EQ(listing.result, 1);
  EXPECT_EQ(listing.longNames.size(), static_cast<size_t>(kMaxSaverFiles));
  EXPECT_EQ(listing.folders.back(), two_ + "\\");
  EXPECT_TRUE(log.Has("more than 4096 files"));
  // Exactly at the capacity is a complete listing.
  std::string three = MakeTempFolder("enum-three");
  for (int i = 0; i < 4; i++) Touch(three + "\\U" + std::to_string(i) + ".SCR");
  LogCapture exactLog("enum-exact");
  Listing exact = Enumerate({one_, three});
  EXPECT_EQ(exact.result, 1);
  EXPECT_EQ(exact.longNames.size(), static_cast<size_t>(kMaxSaverFiles));
  EXPECT_FALSE(exactLog.Has("more than"));
  RemoveTree(three);
}

}  // namespace
