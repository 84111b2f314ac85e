// A fresh application state for command, menu and saver operation tests: a main window
// running the real window procedure, a log kept in memory, captured message boxes and a
// saver list filled directly.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/window_proc.h"
#include "catalog/saver_info.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "support/test_support.h"
#include "tray/tray_menu.h"

struct FakeSaver {
  std::string displayName;
  std::string fullPath;  // folder + file name; the folder ends at the last backslash
  int itemWidth = 120;
};

// Replaces AppState's saver list by records made from `savers`, each with a menu bitmap.
inline void InstallSavers(const std::vector<FakeSaver>& savers) {
  FreeSaverList(AppState.savers, AppState.saverCount);
  AppState.savers = nullptr;
  AppState.saverCount = 0;
  if (savers.empty()) return;
  auto* list = static_cast<SaverInfo*>(calloc(savers.size(), sizeof(SaverInfo)));
  for (size_t i = 0; i < savers.size(); i++) {
    const FakeSaver& fake = savers[i];
    SaverInfo& saver = list[i];
    std::string folder = fake.fullPath.substr(0, fake.fullPath.rfind('\\') + 1);
    saver.longName = DuplicateText(fake.fullPath.substr(folder.size()).c_str());
    saver.fullPath = DuplicateText(fake.fullPath.c_str());
    saver.folder = DuplicateText(folder.c_str());
    saver.displayName = DuplicateText(fake.displayName.c_str());
    saver.menuBitmap = CreateBitmap(16, 16, 1, 32, nullptr);
    saver.itemWidth = fake.itemWidth;
    saver.itemHeight = 18;
  }
  AppState.savers = list;
  AppState.saverCount = static_cast<int>(savers.size());
}

// `count` savers named "Saver 000".. in C:\Savers, each `width` pixels wide.
inline std::vector<FakeSaver> NumberedSavers(int count, int width = 120) {
  std::vector<FakeSaver> savers;
  for (int i = 0; i < count; i++) {
    char name[32];
    snprintf(name, sizeof(name), "Saver %03d", i);
    savers.push_back({name, std::string("C:\\Savers\\") + name + ".scr", width});
  }
  return savers;
}

constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr const char* kSettingsKey = "Software\\Dozelite";

// Sets the system's current saver (HKCU "SCRNSAVE.EXE"); an empty path removes it.
inline void SetSystemSaver(const std::string& path) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (path.empty())
    RegDeleteValueA(key, "SCRNSAVE.EXE");
  else
    RegSetValueExA(key, "SCRNSAVE.EXE", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
  RegCloseKey(key);
}

inline void SetDesktopValue(const char* name, const std::string& value) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

inline std::string DesktopValue(const char* name) {
  std::string value;
  return ReadRegistryString(HKEY_CURRENT_USER, kDesktopKey, name, &value) ? value : "<absent>";
}

constexpr const char* kTestLogPath = "C:\\dozelite-test\\Dozelite.log";

// Empties the in-memory log (the test log file's folder does not exist: nothing is written).
inline void ClearLogBuffer() {
  InitLog(nullptr, kProductName, kTestLogPath);
  SetAutoLogToFile(false);
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    AppState.osVersion.dwMajorVersion = 10;
    AppState.delay = 0;
    strcpy(AppState.versionText, "2.5.0");
    strcpy(AppState.id, "0f8fad5b-d9cb-469f-a165-70867728950e");
    ClearLogBuffer();
    checkBitmap_ = CreateBitmap(13, 13, 1, 32, nullptr);
    SetMenuCheckBitmaps(nullptr, checkBitmap_);
    window_ = CreateTestWindow(TrayWindowProc);
    AppState.mainWindow = window_;
    boxes_ = std::make_unique<MessageBoxCapture>();
    SetSystemSaver("");
    SetDesktopValue("ScreenSaveActive", "0");
    SetDesktopValue("ScreenSaveTimeOut", "600");
    SetDesktopValue("ScreenSaverIsSecure", "0");
    DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
  }

  void TearDown() override {
    for (UINT_PTR timer : {234u, 345u, 656u, 776u}) KillTimer(window_, timer);
    // The real procedure would post WM_QUIT when its window is destroyed.
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    DestroyWindow(window_);
    AppState.mainWindow = nullptr;
    InstallSavers({});
    FreeSaverPaths();
    SetSystemSaver("");
    DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
    SetMenuCheckBitmaps(nullptr, nullptr);
    ForgetTrayMenu();
    DeleteObject(checkBitmap_);
    boxes_.reset();
  }

  const std::vector<MessageBoxRecord>& boxes() const { return boxes_->boxes(); }

  HWND window_ = nullptr;
  HBITMAP checkBitmap_ = nullptr;
  std::unique_ptr<MessageBoxCapture> boxes_;
};
