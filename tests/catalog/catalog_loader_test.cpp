// The catalog cache and the start-up load on a worker, over folders of sample savers:
// a cached catalog equals a cold one to the pixel, changed files and bad caches are
// read afresh, and commands and start-up steps wait for the list in their order.
#include "catalog/catalog_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/catalog_store.h"
#include "catalog/saver_catalog.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/log_capture.h"
#include "support/menu_walker.h"
#include "support/test_support.h"
#include "tray/tray_menu.h"

namespace {

const char* const kSamples[] = {"starlight.scr", "aurora.scr", "bubbles.scr", "Lanterns.scr", "plasma.scr"};

// Everything a record shows, its menu image as pixels included.
std::string DumpList(const SaverInfo* list, int count) {
  std::string out;
  for (int i = 0; i < count; i++) {
    const SaverInfo& saver = list[i];
    out += std::string(saver.displayName) + "|" + saver.fullPath + "|" + std::to_string(saver.itemWidth) + "x" +
           std::to_string(saver.itemHeight) + "|";
    LONG check = GetMenuCheckMarkDimensions();
    std::vector<unsigned char> pixels;
    if (!ReadBitmapPixels(saver.menuBitmap, LOWORD(check), HIWORD(check), &pixels)) out += "no image";
    out.append(pixels.begin(), pixels.end());
    out += "\n";
  }
  return out;
}

class CatalogLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    savers_ = MakeTempFolder("loader-savers");
    appData_ = MakeTempFolder("loader-appdata");
    SetEnvironmentVariableA("LOCALAPPDATA", appData_.c_str());
    for (const char* sample : kSamples)
      ASSERT_TRUE(CopyFileA(BuildFilePath((std::string("savers\\") + sample).c_str()).c_str(),
                            (savers_ + "\\" + sample).c_str(), FALSE));
    AppState.saverpath[0] = _strdup(savers_.c_str());
  }
  void TearDown() override {
    FinishSaverCatalogLoad(kCatalogWaitMs);
    FreeSaverList(AppState.savers, AppState.saverCount);
    AppState.savers = nullptr;
    AppState.saverCount = 0;
    FreeSaverPaths();
    SetEnvironmentVariableA("LOCALAPPDATA", nullptr);
    RemoveTree(savers_);
    RemoveTree(appData_);
  }
  // A build that may use the cache: its dump, and how many records came from the cache.
  std::string Build(int* cached) {
    SaverInfo* list = nullptr;
    int count = 0;
    EXPECT_EQ(BuildSaverCatalog(AppState.saverpath, true, &list, &count, cached), 1);
    std::string dump = DumpList(list, count);
    FreeSaverList(list, count);
    return dump;
  }
  std::string Cold() {
    EXPECT_EQ(GetSaverEnumeration(&AppState.savers, &AppState.saverCount), 1);
    std::string dump = DumpList(AppState.savers, AppState.saverCount);
    FreeSaverList(AppState.savers, AppState.saverCount);
    AppState.savers = nullptr;
    AppState.saverCount = 0;
    return dump;
  }
  std::string CachePath() const { return appData_ + "\\Dozelite\\savers.cache"; }
  std::string savers_;
  std::string appData_;
};

TEST_F(CatalogLoaderTest, CachedCatalogEqualsAColdBuildToThePixel) {
  std::string cold = Cold();
  ASSERT_TRUE(FileExists(CachePath()));
  int cached = -1;
  EXPECT_EQ(Build(&cached), cold);
  EXPECT_EQ(cached, 5);
  // Nothing changed: the cache is not written again, and no temporary file is left.
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((appData_ + "\\Dozelite\\*").c_str(), &data);
  std::vector<std::string> files;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  EXPECT_EQ(files, std::vector<std::string>{"savers.cache"});
}

TEST_F(CatalogLoaderTest, AChangedFileIsReadAgainAndTheCacheRewritten) {
  Cold();
  // Another program under the same name: other size and time.
  ASSERT_TRUE(CopyFileA(BuildFilePath("savers\\ne16\\FLYWIN16.SCR").c_str(), (savers_ + "\\plasma.scr").c_str(),
                        FALSE));
  int cached = -1;
  std::string dump = Build(&cached);
  EXPECT_EQ(cached, 4);
  EXPECT_NE(dump.find("Flying Windows|"), std::string::npos);
  EXPECT_EQ(dump.find("Plasma Tiles|"), std::string::npos);
  EXPECT_EQ(dump, Cold());
  Build(&cached);
  EXPECT_EQ(cached, 5);
}

// What went away since the cache was written leaves it too: a deleted saver's record,
// and a search folder taken off the list (one without savers, so only the folder list differs).
TEST_F(CatalogLoaderTest, ARemovedSaverOrFolderLeavesTheCache) {
  std::string empty = MakeTempFolder("loader-empty-folder");
  AppState.saverpath[1] = _strdup(empty.c_str());
  Cold();
  ASSERT_NE(ReadTextFile(CachePath()).find("loader-empty-folder"), std::string::npos);
  ASSERT_TRUE(DeleteFileA((savers_ + "\\plasma.scr").c_str()));
  int cached = -1;
  Build(&cached);
  EXPECT_EQ(cached, 4);
  EXPECT_EQ(ReadTextFile(CachePath()).find("plasma.scr"), std::string::npos) << "the deleted saver's record stayed";

  free(AppState.saverpath[1]);
  AppState.saverpath[1] = nullptr;
  Build(&cached);
  EXPECT_EQ(cached, 4);
  EXPECT_EQ(ReadTextFile(CachePath()).find("loader-empty-folder"), std::string::npos) << "the dropped folder stayed";
  RemoveTree(empty);
}

TEST_F(CatalogLoaderTest, ABadCacheIsIgnoredAndReplaced) {
  std::string cold = Cold();
  std::string sound = ReadTextFile(CachePath());
  const std::string bad[] = {"", "garbage that is no cache", sound.substr(0, sound.size() / 2),
                             sound.substr(0, sound.size() - 1) + "x"};
  for (const std::string& bytes : bad) {
    ASSERT_TRUE(WriteTextFile(CachePath(), bytes));
    int cached = -1;
    EXPECT_EQ(Build(&cached), cold) << bytes.size();
    EXPECT_EQ(cached, 0) << bytes.size();
    EXPECT_EQ(ReadTextFile(CachePath()), sound) << bytes.size();
  }
}

// A saver file replaced by another of the very same size whose times were set back to the
// old file's: moved over it (another file on the volume) or written into it (the same
// file, changed). Both are read again.
TEST_F(CatalogLoaderTest, AFileReplacedWithTheSameSizeAndTimeIsReadAgain) {
  for (bool inPlace : {false, true}) {
    std::string cold = Cold();
    std::string target = savers_ + "\\plasma.scr";
    std::string old = ReadTextFile(target);
    std::string other = ReadTextFile(savers_ + "\\bubbles.scr");
    ASSERT_FALSE(old.empty());
    other.resize(old.size() > other.size() ? old.size() : other.size(), '\0');
    old.resize(other.size(), '\0');
    // Both files first get the same size, so the record under test is the only change.
    ASSERT_TRUE(WriteTextFile(target, old));
    Cold();
    FILETIME created, accessed, written;
    HANDLE file = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    GetFileTime(file, &created, &accessed, &written);
    CloseHandle(file);
    Sleep(20);
    std::string replacement = inPlace ? target : savers_ + "\\replacement.tmp";
    ASSERT_TRUE(WriteTextFile(replacement, other));
    file = CreateFileA(replacement.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, &created, &accessed, &written);
    CloseHandle(file);
    if (!inPlace) ASSERT_TRUE(MoveFileExA(replacement.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING));
    WIN32_FILE_ATTRIBUTE_DATA now;
    ASSERT_TRUE(GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &now));
    ASSERT_EQ(CompareFileTime(&now.ftLastWriteTime, &written), 0);

    int cached = -1;
    std::string dump = Build(&cached);
    EXPECT_EQ(cached, 4) << (inPlace ? "written in place" : "moved over");
    EXPECT_EQ(dump.find("Plasma Tiles|"), std::string::npos) << dump;
    EXPECT_EQ(dump, Cold());
    CopyFileA(BuildFilePath("savers\\plasma.scr").c_str(), target.c_str(), FALSE);
  }
}

// The names come from string resources in the user's display language and are texts in
// the ANSI code page: a cache made under others is not used.
TEST_F(CatalogLoaderTest, ACacheOfAnotherLanguageOrCodePageIsNotUsed) {
  std::string cold = Cold();
  std::string sound = ReadTextFile(CachePath());
  for (int change = 0; change < 2; change++) {
    SaverCache cache;
    ASSERT_EQ(ReadSaverCache(reinterpret_cast<const unsigned char*>(sound.data()), sound.size(), &cache), 1);
    ASSERT_EQ(cache.drawing.uiLanguage, GetUserDefaultUILanguage());
    ASSERT_EQ(cache.drawing.codePage, GetACP());
    if (change == 0) cache.drawing.uiLanguage = 0x0804;  // Chinese (Simplified)
    if (change == 1) cache.drawing.codePage = 936;
    std::vector<unsigned char> bytes;
    ASSERT_EQ(WriteSaverCache(cache, &bytes), 1);
    ASSERT_TRUE(WriteTextFile(CachePath(), std::string(bytes.begin(), bytes.end())));
    int cached = -1;
    EXPECT_EQ(Build(&cached), cold) << change;
    EXPECT_EQ(cached, 0) << change;
    EXPECT_EQ(ReadTextFile(CachePath()), sound) << change;
  }
}

// A cache that cannot be written costs the next start its speed, nothing else: the
// build still succeeds, and the log says why, once.
TEST_F(CatalogLoaderTest, AFailedCacheWriteIsLoggedOnce) {
  ASSERT_TRUE(WriteTextFile(appData_ + "\\Dozelite", "a file where the cache folder belongs"));
  LogCapture log("loader-failed-write");
  int cached = -1;
  std::string dump = Build(&cached);
  EXPECT_EQ(cached, 0);
  EXPECT_NE(dump.find("Plasma Tiles|"), std::string::npos);
  EXPECT_EQ(log.Count("StoreCatalogCache:"), 1u) << log.Text();
}

std::vector<std::string> steps;
std::vector<std::pair<int, LPARAM>> commands;

// The main window's stand-in: hands the loaded message to the loader as the real one
// does, and notes the commands it receives with their source.
LRESULT CALLBACK LoaderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCatalogLoadedMessage) {
    OnSaverCatalogLoaded(window);
    return 0;
  }
  if (message == WM_COMMAND) {
    commands.emplace_back(static_cast<int>(LOWORD(wParam)), lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(CatalogLoaderTest, CommandsAndStepsWaitForTheListInOrder) {
  HWND window = CreateTestWindow(LoaderWindowProc);
  AppState.mainWindow = window;
  InitLog(nullptr, kProductName, "");
  SetAutoLogToFile(false);
  steps.clear();
  commands.clear();
  AppState.randomonclick = 0;
  StartSaverCatalogLoad();
  ASSERT_TRUE(IsSaverCatalogLoading());

  HMENU menu = BuildTrayMenu(window, 0, MenuScreen{1280, 800, 19});
  std::string launch = DumpMenu(FindSubmenu(menu, "&Launch"));
  std::string choose = DumpMenu(FindSubmenu(menu, "&Choose"));
  DestroyMenu(menu);
  EXPECT_EQ(launch, "Loading savers... [0] grey\n");
  EXPECT_EQ(choose, "(&None) [40012]\nLoading savers... [0] grey\n");

  AfterSaverCatalog([] { steps.push_back("random on load " + std::to_string(AppState.saverCount)); });
  AfterSaverCatalog([] { steps.push_back("run"); });
  EXPECT_TRUE(DeferUntilSaverCatalog(kCmdLaunchRandomSaver, kSourceHotKey));
  EXPECT_TRUE(DeferUntilSaverCatalog(kRangeChooseSaver + 2, kSourceMenu));
  EXPECT_FALSE(DeferUntilSaverCatalog(kCmdToggleSaver, kSourceMenu));
  EXPECT_FALSE(DeferUntilSaverCatalog(kRangeSetTimeout + 5, kSourceMenu));
  EXPECT_FALSE(DeferUntilSaverCatalog(kCmdRunSaverNow, kSourceMenu));  // needs the list only for a random pick
  EXPECT_TRUE(steps.empty());

  OnSaverCatalogLoaded(window);  // as start-up does once the icon is shown: the worker starts
  EXPECT_TRUE(IsSaverCatalogLoading());
  ASSERT_TRUE(WaitFor([] { return !IsSaverCatalogLoading() && commands.size() >= 2; }, 60000));
  EXPECT_EQ(AppState.saverCount, 5);
  EXPECT_EQ(steps, (std::vector<std::string>{"random on load 5", "run"}));
  const std::vector<std::pair<int, LPARAM>> expected = {{kCmdLaunchRandomSaver, kSourceHotKey},
                                                        {kRangeChooseSaver + 2, kSourceMenu}};
  EXPECT_EQ(commands, expected);
  // Once the list is in, nothing waits any more.
  EXPECT_FALSE(DeferUntilSaverCatalog(kCmdLaunchRandomSaver, kSourceMenu));
  AfterSaverCatalog([] { steps.push_back("at once"); });
  EXPECT_EQ(steps.back(), "at once");
  AppState.mainWindow = nullptr;
  DestroyWindow(window);
}

}  // namespace

// A folder's listing stamps each file as opening it alone does: otherwise every start
// would miss the cache (a field taken from another source), and one file's change would
// go unseen (a stamp kept from the listing before).
TEST(FolderStamps, TheListingStampsEachFileAsOpeningItDoes) {
  std::string folder = MakeTempFolder("stamped savers \xC3\xA4") + "\\";
  for (const char* name : {"one.scr", "two words.scr", "\xE7\xA6\x85.scr"})
    WriteTextFile(folder + name, std::string("MZ saver ") + name);
  CreateDirectoryA((folder + "inner.scr").c_str(), nullptr);  // a folder is no file
  FolderStamps stamps;
  ASSERT_TRUE(ReadFolderStamps(folder.c_str(), &stamps));
  EXPECT_EQ(stamps.size(), 3u);
  EXPECT_EQ(stamps.count("inner.scr"), 0u);
  for (const auto& listed : stamps) {
    SaverFileStamp alone;
    ASSERT_TRUE(ReadSaverFileStamp((folder + listed.first).c_str(), &alone)) << listed.first;
    EXPECT_TRUE(SameStamp(alone, listed.second)) << listed.first;
    EXPECT_NE(listed.second.fileIdLow, 0u) << listed.first;
  }
  SaverFileStamp before = stamps["one.scr"];
  WriteTextFile(folder + "one.scr", "MZ saver one, longer now");
  ASSERT_TRUE(ReadFolderStamps(folder.c_str(), &stamps));
  EXPECT_FALSE(SameStamp(before, stamps["one.scr"]));
  EXPECT_FALSE(ReadFolderStamps((folder + "absent\\").c_str(), &stamps));
  RemoveTree(folder);
}
