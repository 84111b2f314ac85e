// The saver catalog over folders made by the test, with the sample savers and the 16-bit
// fixtures: display names from each source, the order of equal names, menu bitmaps,
// damaged files, the random choice, the dump and a rebuild after a file went away.
#include "catalog/saver_catalog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/entry_points.h"
#include "state/app_state.h"
#include "support/log_capture.h"
#include "support/test_support.h"

namespace {

std::string SampleSaver(const char* name) { return BuildFilePath((std::string("savers\\") + name).c_str()); }

class SaverCatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    folder_ = MakeTempFolder("catalog");
    SetEnvironmentVariableA("LOCALAPPDATA", folder_.c_str());  // every build writes the cache
  }
  void TearDown() override {
    FreeSaverList(AppState.savers, AppState.saverCount);
    AppState.savers = nullptr;
    AppState.saverCount = 0;
    FreeSaverPaths();
    SetEnvironmentVariableA("LOCALAPPDATA", nullptr);
    for (const std::string& folder : extraFolders_) RemoveTree(folder);
    RemoveTree(folder_);
  }
  void SetPaths(const std::vector<std::string>& folders) {
    FreeSaverPaths();
    for (size_t i = 0; i < folders.size(); i++) AppState.saverpath[i] = _strdup(folders[i].c_str());
  }
  std::string Folder(const char* name) {
    extraFolders_.push_back(MakeTempFolder(name));
    return extraFolders_.back();
  }
  void Copy(const char* sample, const std::string& folder, const char* as = nullptr) {
    std::string target = folder + "\\" + (as ? as : sample);
    ASSERT_TRUE(CopyFileA(SampleSaver(sample).c_str(), target.c_str(), FALSE)) << sample;
  }
  int Build() { return GetSaverEnumeration(&AppState.savers, &AppState.saverCount); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < AppState.saverCount; i++) names.push_back(AppState.savers[i].displayName);
    return names;
  }
  const SaverInfo* ByName(const std::string& name) const {
    for (int i = 0; i < AppState.saverCount; i++)
      if (name == AppState.savers[i].displayName) return &AppState.savers[i];
    return nullptr;
  }
  std::string folder_;
  std::vector<std::string> extraFolders_;
};

TEST_F(SaverCatalogTest, NamesFromResourceDescriptionOrFile) {
  for (const char* name : {"starlight.scr", "Lanterns.scr", "plasma.scr", "ne16\\FLYWIN16.SCR", "ne16\\NOTSAVER.SCR"})
    Copy(name, folder_, strrchr(name, '\\') ? strrchr(name, '\\') + 1 : name);
  SetPaths({folder_});
  LogCapture log("catalog-names");
  ASSERT_EQ(Build(), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Flying Windows", "Lanterns", "Notsaver", "Plasma Tiles",
                                               "Starlight Drift"}));
  EXPECT_EQ(log.Count("GetSaverEnumeration processed 5 savers ("), 1u);
  for (int i = 0; i < AppState.saverCount; i++) {
    const SaverInfo& saver = AppState.savers[i];
    EXPECT_EQ(std::string(saver.folder), folder_ + "\\");
    std::string file = saver.shortName ? saver.shortName : saver.longName;
    EXPECT_EQ(std::string(saver.fullPath), folder_ + "\\" + file);
  }
  // starlight.scr is no 8.3 name: the full path uses its alias; FLYWIN16.SCR is one.
  EXPECT_NE(ByName("Starlight Drift")->shortName, nullptr);
  EXPECT_EQ(ByName("Flying Windows")->shortName, nullptr);
}

TEST_F(SaverCatalogTest, The9xFamilyNamesFromDescriptionsAndFilesOnly) {
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  Copy("starlight.scr", folder_);
  Copy("ne16\\FLYWIN16.SCR", folder_, "FLYWIN16.SCR");
  SetPaths({folder_});
  ASSERT_EQ(Build(), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Flying Windows", "Starlight"}));
}

// With the equal names B1 and B2 listed before A, the catalog holds A, B2, B1.
TEST_F(SaverCatalogTest, EqualNamesKeepTheExchangeOrder) {
  std::string b1 = Folder("order-b1");
  std::string b2 = Folder("order-b2");
  std::string a = Folder("order-a");
  ASSERT_TRUE(WriteTextFile(b1 + "\\beta.scr", "not a program"));
  ASSERT_TRUE(WriteTextFile(b2 + "\\BETA.SCR", "not a program"));
  ASSERT_TRUE(WriteTextFile(a + "\\ALPHA.SCR", "not a program"));
  SetPaths({b1, b2, a});
  ASSERT_EQ(Build(), 1);
  ASSERT_EQ(AppState.saverCount, 3);
  EXPECT_STREQ(AppState.savers[0].displayName, "Alpha");
  EXPECT_EQ(std::string(AppState.savers[1].folder), b2 + "\\");
  EXPECT_EQ(std::string(AppState.savers[2].folder), b1 + "\\");
  EXPECT_STREQ(AppState.savers[1].displayName, "Beta");
  EXPECT_STREQ(AppState.savers[2].displayName, "Beta");
}

TEST_F(SaverCatalogTest, MenuBitmapsAreCheckMarkSizedIcons) {
  Copy("starlight.scr", folder_);
  Copy("plasma.scr", folder_);  // no icon of its own
  ASSERT_TRUE(WriteTextFile(folder_ + "\\Text.scr", "no icon here either"));
  SetPaths({folder_});
  ASSERT_EQ(Build(), 1);
  ASSERT_EQ(AppState.saverCount, 3);
  LONG check = GetMenuCheckMarkDimensions();
  std::vector<std::vector<unsigned char>> images;
  for (const char* name : {"Starlight Drift", "Plasma Tiles", "Text"}) {
    const SaverInfo* saver = ByName(name);
    ASSERT_NE(saver, nullptr) << name;
    ASSERT_NE(saver->menuBitmap, nullptr) << name;
    int width = 0;
    int height = 0;
    images.push_back(BitmapBits(saver->menuBitmap, &width, &height));
    EXPECT_EQ(width, LOWORD(check)) << name;
    EXPECT_EQ(height, HIWORD(check)) << name;
    EXPECT_GT(saver->itemWidth, 3 * LOWORD(check)) << name;
    EXPECT_GT(saver->itemHeight, 0) << name;
  }
  // Both files without an icon show the same (application) image; the saver's own differs.
  EXPECT_EQ(images[1], images[2]);
  EXPECT_NE(images[0], images[1]);
  // A longer name needs a wider item.
  EXPECT_GT(ByName("Starlight Drift")->itemWidth, ByName("Text")->itemWidth);
}

TEST_F(SaverCatalogTest, DamagedFilesAreNamedFromTheirFile) {
  ASSERT_TRUE(WriteTextFile(folder_ + "\\EMPTY.SCR", ""));
  ASSERT_TRUE(WriteTextFile(folder_ + "\\BROKEN.SCR", std::string("MZ\x90\x00garbage", 11)));
  std::string flying = ReadTextFile(SampleSaver("ne16\\FLYWIN16.SCR"));
  ASSERT_GT(flying.size(), 0x90u);
  ASSERT_TRUE(WriteTextFile(folder_ + "\\CUT16.SCR", flying.substr(0, 0x88)));  // description cut short
  std::string hostile = flying;
  hostile[0x3C] = '\xFF';
  hostile[0x3D] = '\xFF';
  ASSERT_TRUE(WriteTextFile(folder_ + "\\HOSTILE.SCR", hostile));
  std::string program = ReadTextFile(SampleSaver("bubbles.scr"));
  // Cut a little past its headers, far before its resources: how much of the file half of
  // it would keep depends on how the program was linked (with or without debug information).
  ASSERT_GT(program.size(), 0x4000u);
  ASSERT_TRUE(WriteTextFile(folder_ + "\\HALF.SCR", program.substr(0, 0x1000)));
  Copy("aurora.scr", folder_, "LOCKED.SCR");
  std::string locked = folder_ + "\\LOCKED.SCR";
  HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  SetPaths({folder_});
  LogCapture log("catalog-damaged");
  int result = Build();
  CloseHandle(hold);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Broken", "Cut16", "Empty", "Half", "Hostile", "Locked"}));
  EXPECT_EQ(log.Count("GetPortableExeDescription: Can't open file: " + locked + "\r\n"), 1u);
  // The cut program never reaches the system's resource and icon readers.
  EXPECT_EQ(log.Count("GetSaverEnumeration: damaged executable, filename=" + folder_ + "\\HALF.SCR\r\n"), 1u);
  for (int i = 0; i < AppState.saverCount; i++) EXPECT_NE(AppState.savers[i].menuBitmap, nullptr);
}

TEST_F(SaverCatalogTest, NoSaversAtAll) {
  SetPaths({folder_, folder_ + "\\missing"});
  LogCapture log("catalog-none");
  ASSERT_EQ(Build(), 1);
  EXPECT_EQ(AppState.saverCount, 0);
  EXPECT_TRUE(log.Has("GetSaverEnumeration processed 0 savers ("));
  EXPECT_EQ(GetRandomScreenSaver(), nullptr);
  EXPECT_FALSE(log.Has("GetRandomScreenSaver"));
  EXPECT_EQ(DumpSavers(), 1);
  EXPECT_TRUE(log.Has("total count=0\r\n"));
  EXPECT_FALSE(log.Has("#0\t"));
}

TEST_F(SaverCatalogTest, MissingOutputPlaces) {
  SaverInfo* savers = nullptr;
  int count = 0;
  EXPECT_EQ(GetSaverEnumeration(nullptr, &count), 0);
  EXPECT_EQ(GetSaverEnumeration(&savers, nullptr), 0);
  EXPECT_EQ(FreeSaverList(nullptr, 3), 0);
}

TEST_F(SaverCatalogTest, RandomChoiceOfTheOnlySaver) {
  Copy("bubbles.scr", folder_);
  SetPaths({folder_});
  ASSERT_EQ(Build(), 1);
  LogCapture log("catalog-random");
  for (int i = 0; i < 3; i++) {
    const char* path = GetRandomScreenSaver();
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path, AppState.savers[0].fullPath);  // borrowed from the catalog
  }
  EXPECT_EQ(log.Count("GetRandomScreenSaver: Soap Bubbles\r\n"), 3u);
}

TEST_F(SaverCatalogTest, DumpListsEveryRecord) {
  Copy("starlight.scr", folder_);
  Copy("ne16\\FLYWIN16.SCR", folder_, "FLYWIN16.SCR");
  SetPaths({folder_});
  ASSERT_EQ(Build(), 1);
  LogCapture log("catalog-dump");
  EXPECT_EQ(DumpSavers(), 1);
  std::string text = log.Text();
  EXPECT_NE(text.find("Savers Dump"), std::string::npos);
  EXPECT_NE(text.find("total count=2\r\n"), std::string::npos);
  const SaverInfo& flying = AppState.savers[0];
  char line[1024];
  snprintf(line, sizeof(line), "#0\t'Flying Windows'\t'%s'\t'%s'\t'FLYWIN16.SCR'\t'{NULL}'\t%X\t%d\r\n",
           flying.fullPath, flying.folder, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(flying.menuBitmap)),
           flying.itemWidth);
  EXPECT_NE(text.find(line), std::string::npos) << text;
  EXPECT_NE(text.find("#1\t'Starlight Drift'\t'" + folder_ + "\\"), std::string::npos);
  EXPECT_NE(text.find("End Savers Dump"), std::string::npos);
}

TEST_F(SaverCatalogTest, RefreshDropsADeletedSaverAndShiftsPositions) {
  Copy("aurora.scr", folder_);
  Copy("bubbles.scr", folder_);
  Copy("starlight.scr", folder_);
  SetPaths({folder_});
  ASSERT_EQ(Build(), 1);
  ASSERT_EQ(Names(), (std::vector<std::string>{"Aurora Ribbons", "Soap Bubbles", "Starlight Drift"}));
  ASSERT_TRUE(DeleteFileA((folder_ + "\\bubbles.scr").c_str()));
  ASSERT_EQ(RefreshSaverList(), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Aurora Ribbons", "Starlight Drift"}));
}

}  // namespace
