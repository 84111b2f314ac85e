// Dozelite.exe itself, started with the sample savers on its search path: the start-up
// log reports the catalog with the right number of savers, and a run that ends at once
// still leaves a whole catalog cache.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "state/app_state.h"
#include "support/test_support.h"

namespace {

constexpr const char* kSettingsKey = "Software\\Dozelite";

void SetString(HKEY key, const char* name, const std::string& text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

void SetDword(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// A folder with the seven sample savers, and settings that search it and a missing folder.
std::string PrepareSavers() {
  std::string savers = MakeTempFolder("startup-savers");
  const char* samples[] = {"starlight.scr", "aurora.scr", "bubbles.scr", "Lanterns.scr", "plasma.scr",
                           "ne16\\FLYWIN16.SCR", "ne16\\NOTSAVER.SCR"};
  for (const char* sample : samples) {
    const char* file = strrchr(sample, '\\') ? strrchr(sample, '\\') + 1 : sample;
    EXPECT_TRUE(CopyFileA(BuildFilePath((std::string("savers\\") + sample).c_str()).c_str(),
                          (savers + "\\" + file).c_str(), FALSE));
  }
  DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
  HKEY key;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  SetString(key, "saverpath0", savers);
  SetString(key, "saverpath1", savers + "\\no-such-folder");
  SetString(key, "id", "0f8e5d2c-6b1a-4c3e-9f7d-2a4b6c8d0e1f");
  SetDword(key, "nosplash", 1);
  SetDword(key, "notips", 1);
  RegCloseKey(key);
  return savers;
}

TEST(CatalogStartup, LogsTheSaverCountOfItsSearchPaths) {
  std::string savers = PrepareSavers();
  std::string temp = MakeTempFolder("startup-temp");
  HANDLE process =
      StartProcess("\"" + BuildFilePath("Dozelite.exe") + "\"", {"TEMP=" + temp, "TMP=" + temp}, nullptr);
  ASSERT_NE(process, nullptr);
  std::string log = temp + "\\Dozelite.log";
  bool built = WaitFor([&] { return ReadTextFile(log).find("GetSaverEnumeration processed") != std::string::npos; },
                       20000);
  std::string text = ReadTextFile(log);
  // Close it as the Exit command does, once its window exists.
  WaitFor([] { return FindWindowA(kWindowClassName, kWindowTitle) != nullptr; }, 10000);
  HWND window = FindWindowA(kWindowClassName, kWindowTitle);
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  ProcessResult result = WaitProcess(process, 15000);
  if (!result.finished) TerminateProcess(process, 99);
  CloseHandle(process);
  DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
  RemoveTree(savers);
  RemoveTree(temp);

  ASSERT_TRUE(built) << text;
  EXPECT_NE(text.find("GetSaverEnumeration processed 7 savers ("), std::string::npos) << text;
  EXPECT_NE(text.find("GetFileEnumeration: mask=" + savers + "\\no-such-folder\\*.scr, no files found"),
            std::string::npos);
  EXPECT_TRUE(result.finished);
}

// The catalog is built on a worker; a "kill" run ends long before a cold build of its
// savers would, and must neither cut the worker off nor leave a temporary file.
TEST(CatalogStartup, ARunThatEndsAtOnceLeavesAWholeCache) {
  std::string savers = PrepareSavers();
  std::string temp = MakeTempFolder("startup-kill-temp");
  ProcessResult result = RunProcess("\"" + BuildFilePath("Dozelite.exe") + "\" kill",
                                    {"TEMP=" + temp, "TMP=" + temp, "LOCALAPPDATA=" + temp}, 60000);
  std::string log = ReadTextFile(temp + "\\Dozelite.log");
  std::string cache = ReadTextFile(temp + "\\Dozelite\\savers.cache");
  std::vector<std::string> files;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((temp + "\\Dozelite\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
  RemoveTree(savers);
  RemoveTree(temp);

  EXPECT_TRUE(result.finished);
  EXPECT_NE(log.find("GetSaverEnumeration processed 7 savers ("), std::string::npos) << log;
  EXPECT_GT(cache.size(), 7u * 64u);
  EXPECT_EQ(cache.substr(0, 4), "DZSC");
  EXPECT_EQ(files, std::vector<std::string>{"savers.cache"});
}

}  // namespace
