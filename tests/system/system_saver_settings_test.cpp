// The system saver settings in the test prefix: both platform families, the current
// saver in the registry and in system.ini, finding it in the catalog, and choosing one.
#include "system/system_saver_settings.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "catalog/saver_info.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/log_capture.h"
#include "support/test_support.h"
#include "tray/tray_icon.h"

namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";
const char* const kValues[] = {"ScreenSaveActive", "ScreenSaveTimeOut", "ScreenSaverIsSecure",
                               "ScreenSaveUsePassword", "SCRNSAVE.EXE"};

struct SavedValue {
  bool present = false;
  DWORD type = 0;
  std::vector<BYTE> data;
};

std::vector<int> sentCommands;

LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) sentCommands.push_back(LOWORD(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<NOTIFYICONDATAA> trayCalls;
BOOL RecordTray(DWORD, NOTIFYICONDATAA* data) {
  trayCalls.push_back(*data);
  return TRUE;
}

class SystemSaverSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    for (const char* name : kValues) {
      SavedValue& saved = saved_[name];
      DWORD size = 0;
      if (RegQueryValueExA(key, name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.present = true;
        saved.data.resize(size);
        RegQueryValueExA(key, name, nullptr, &saved.type, saved.data.data(), &size);
      }
      RegDeleteValueA(key, name);
    }
    RegCloseKey(key);
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "\x01", iniSaver_, sizeof(iniSaver_), "system.ini");
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &spiTimeout_, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &spiActive_, 0);
    folder_ = MakeTempFolder("system");
    sentCommands.clear();
    trayCalls.clear();
    ShellNotifyIconEntry = RecordTray;
  }
  void TearDown() override {
    ShellNotifyIconEntry = RealShellNotifyIcon;
    AppState.mainWindow = nullptr;
    if (window_) DestroyWindow(window_);
    ResetTrayIconRecord();
    FreeSaverList(AppState.savers, AppState.saverCount);
    AppState.savers = nullptr;
    AppState.saverCount = 0;
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    for (const char* name : kValues) {
      const SavedValue& saved = saved_[name];
      if (saved.present)
        RegSetValueExA(key, name, 0, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
      else
        RegDeleteValueA(key, name);
    }
    RegCloseKey(key);
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", strcmp(iniSaver_, "\x01") == 0 ? nullptr : iniSaver_,
                               "system.ini");
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, spiTimeout_, nullptr, SPIF_UPDATEINIFILE);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, spiActive_, nullptr, SPIF_UPDATEINIFILE);
    RemoveTree(folder_);
  }
  void Put(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  void PutText(const char* name, const std::string& text) {
    Put(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  std::string Registry(const char* name) {
    std::string value;
    return ReadRegistryString(HKEY_CURRENT_USER, kDesktop, name, &value) ? value : "{missing}";
  }
  std::string Ini() {
    char value[512];
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "{missing}", value, sizeof(value), "system.ini");
    return value;
  }
  // A catalog of records with the given long and short names in the test folder.
  void MakeCatalog(const std::vector<std::pair<std::string, std::string>>& names) {
    AppState.saverCount = static_cast<int>(names.size());
    AppState.savers = static_cast<SaverInfo*>(calloc(names.size(), sizeof(SaverInfo)));
    for (size_t i = 0; i < names.size(); i++) {
      SaverInfo& saver = AppState.savers[i];
      saver.longName = _strdup(names[i].first.c_str());
      saver.shortName = names[i].second.empty() ? nullptr : _strdup(names[i].second.c_str());
      saver.folder = _strdup((folder_ + "\\").c_str());
      std::string file = names[i].second.empty() ? names[i].first : names[i].second;
      saver.fullPath = _strdup((folder_ + "\\" + file).c_str());
      std::string display = names[i].first.substr(0, names[i].first.find('.'));
      saver.displayName = _strdup(display.c_str());
    }
  }
  HWND MainWindow() {
    window_ = CreateTestWindow(RecordCommands);
    AppState.mainWindow = window_;
    return window_;
  }
  std::map<std::string, SavedValue> saved_;
  char iniSaver_[512] = "";
  UINT spiTimeout_ = 0;
  BOOL spiActive_ = FALSE;
  std::string folder_;
  HWND window_ = nullptr;
};

TEST_F(SystemSaverSettingsTest, LoadReadsDecimalTextsOnce) {
  PutText("ScreenSaveActive", "1");
  PutText("ScreenSaveTimeOut", "  300 seconds");
  PutText("ScreenSaverIsSecure", "1");
  EXPECT_EQ(LoadWindowsSaverSettings(), 1);
  EXPECT_EQ(AppState.saverActive, 1);
  EXPECT_EQ(AppState.saverTimeout, 300);
  EXPECT_EQ(AppState.passwordActive, 1);
  EXPECT_EQ(LoadWindowsSaverSettings(), 0);  // nothing changed since
  PutText("ScreenSaveTimeOut", "abc");
  EXPECT_EQ(LoadWindowsSaverSettings(), 1);
  EXPECT_EQ(AppState.saverTimeout, 0);
}

TEST_F(SystemSaverSettingsTest, MissingAndOddValuesKeepTheirFields) {
  LogCapture log("system-missing");
  DWORD one = 1;
  Put("ScreenSaveActive", REG_DWORD, &one, sizeof(one));  // read as text: "\x01" gives 0
  PutText("ScreenSaverIsSecure", std::string(60, '1'));     // longer than 50 bytes
  AppState.passwordActive = 0;
  LoadWindowsSaverSettings();
  EXPECT_EQ(AppState.saverActive, 0);
  EXPECT_EQ(AppState.saverTimeout, 600);
  EXPECT_EQ(AppState.passwordActive, 0);
  EXPECT_EQ(log.Count("No ScreenSaveTimeOut value in registry. using value 600.\r\n"), 1u);
  EXPECT_EQ(log.Count("No ScreenSaverIsSecure value in registry. using value 0.\r\n"), 1u);
  EXPECT_FALSE(log.Has("No ScreenSaveActive value"));
}

TEST_F(SystemSaverSettingsTest, The9xPasswordIsTheFirstByteSigned) {
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  PutText("ScreenSaverIsSecure", "1");  // not the 9x value
  DWORD value = 0x1FF;
  Put("ScreenSaveUsePassword", REG_DWORD, &value, sizeof(value));
  LoadWindowsSaverSettings();
  EXPECT_EQ(AppState.passwordActive, -1);
  value = 1;
  Put("ScreenSaveUsePassword", REG_DWORD, &value, sizeof(value));
  LoadWindowsSaverSettings();
  EXPECT_EQ(AppState.passwordActive, 1);
}

TEST_F(SystemSaverSettingsTest, SaveWritesDecimalTextsAndAppliesThem) {
  AppState.saverActive = 1;
  AppState.saverTimeout = 420;
  AppState.passwordActive = 1;
  EXPECT_EQ(SaveWindowsSaverSettings(HKEY_CURRENT_USER), 1);
  EXPECT_EQ(Registry("ScreenSaveActive"), "1");
  EXPECT_EQ(Registry("ScreenSaverIsSecure"), "1");
  DWORD type = 0;
  DWORD size = 0;
  RegGetValueA(HKEY_CURRENT_USER, kDesktop, "ScreenSaveTimeOut", RRF_RT_ANY, &type, nullptr, &size);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 4u);  // "420" and its terminator
  UINT timeout = 0;
  SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
  EXPECT_EQ(timeout, 420u);
  EXPECT_EQ(Registry("ScreenSaveUsePassword"), "{missing}");
}

TEST_F(SystemSaverSettingsTest, Save9xWritesThePasswordAsDword) {
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  AppState.passwordActive = 1;
  EXPECT_EQ(SaveWindowsSaverSettings(HKEY_CURRENT_USER), 1);
  DWORD value = 0;
  EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kDesktop, "ScreenSaveUsePassword", &value));
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(Registry("ScreenSaverIsSecure"), "{missing}");
}

TEST_F(SystemSaverSettingsTest, AFailedWriteStillChangesTheRunningSystem) {
  HKEY root;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\DozeliteTestRoot", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &root, nullptr),
            ERROR_SUCCESS);
  MessageBoxCapture boxes;
  AppState.saverTimeout = 780;
  EXPECT_EQ(SaveWindowsSaverSettings(root), 0);  // no Control Panel\desktop under it
  RegCloseKey(root);
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\DozeliteTestRoot");
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "SaveWindowsSaverSettings: Error writing to registry");
  UINT timeout = 0;
  SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
  EXPECT_EQ(timeout, 780u);
}

TEST_F(SystemSaverSettingsTest, CurrentSaverPathForms) {
  struct Case {
    const char* stored;
    bool set;
    const char* path;
  } cases[] = {
      {"C:\\Savers\\A.SCR", true, "C:\\Savers\\A.SCR"},
      {"\"C:\\My Savers\\A.SCR\"", true, "C:\\My Savers\\A.SCR"},
      {"\"\"", false, ""},
      {"(NONE)", false, "(NONE)"},
      {"(none)", false, "(none)"},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    PutText("SCRNSAVE.EXE", c.stored);
    char path[260] = "x";
    EXPECT_EQ(GetCurrentSaverPath(path, sizeof(path)), c.set) << c.stored;
    EXPECT_STREQ(path, c.path) << c.stored;
  }
  char small[5];
  PutText("SCRNSAVE.EXE", "C:\\Savers\\A.SCR");
  EXPECT_TRUE(GetCurrentSaverPath(small, sizeof(small)));
  EXPECT_STREQ(small, "C:\\S");
  EXPECT_TRUE(GetCurrentSaverPath(nullptr, 0));
  Put("SCRNSAVE.EXE", REG_BINARY, std::string(600, 'z').data(), 600);  // too long to read: none
  EXPECT_FALSE(GetCurrentSaverPath(nullptr, 0));
}

// The desktop key is kept open between readings: one deleted and made again (a profile
// reset) must still be read, not answered from the deleted one.
TEST_F(SystemSaverSettingsTest, ADesktopKeyMadeAgainIsReadAgain) {
  PutText("SCRNSAVE.EXE", "C:\\Savers\\A.SCR");
  char path[260] = "";
  ASSERT_TRUE(GetCurrentSaverPath(path, sizeof(path)));
  HKEY desktop = nullptr, backup = nullptr;
  const char* kBackup = "Software\\Dozelite Tests\\desktop";
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kDesktop, 0, KEY_READ, &desktop), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kBackup, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegCopyTreeA(desktop, nullptr, backup), ERROR_SUCCESS);
  RegCloseKey(desktop);
  ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, kDesktop), ERROR_SUCCESS);

  PutText("SCRNSAVE.EXE", "C:\\Savers\\B.SCR");
  EXPECT_TRUE(GetCurrentSaverPath(path, sizeof(path)));
  EXPECT_STREQ(path, "C:\\Savers\\B.SCR");

  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kDesktop, 0, KEY_ALL_ACCESS, &desktop), ERROR_SUCCESS);
  EXPECT_EQ(RegCopyTreeA(backup, nullptr, desktop), ERROR_SUCCESS);
  RegCloseKey(desktop);
  RegCloseKey(backup);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dozelite Tests");
}

TEST_F(SystemSaverSettingsTest, CurrentSaverOf9xIsInSystemIni) {
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  PutText("SCRNSAVE.EXE", "C:\\Registry\\Ignored.scr");
  WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", "C:\\WINDOWS\\FLYWIN16.SCR", "system.ini");
  char path[260];
  EXPECT_TRUE(GetCurrentSaverPath(path, sizeof(path)));
  EXPECT_STREQ(path, "C:\\WINDOWS\\FLYWIN16.SCR");
}

TEST_F(SystemSaverSettingsTest, FindCurrentSaverByPathOrName) {
  MakeCatalog({{"Alpha.scr", ""}, {"Long Saver.scr", "LONGSA~1.SCR"}, {"Gamma.scr", ""}});
  EXPECT_EQ(FindCurrentSaver(), nullptr);  // none set
  PutText("SCRNSAVE.EXE", "\"" + folder_ + "\\GAMMA.SCR\"");
  EXPECT_EQ(FindCurrentSaver(), &AppState.savers[2]);
  // Another folder: found through the long name, and through the short name.
  PutText("SCRNSAVE.EXE", "D:\\Elsewhere\\Long Saver.scr");
  EXPECT_EQ(FindCurrentSaver(), &AppState.savers[1]);
  PutText("SCRNSAVE.EXE", "D:\\ELSEWH~1\\longsa~1.scr");
  EXPECT_EQ(FindCurrentSaver(), &AppState.savers[1]);
  PutText("SCRNSAVE.EXE", "D:\\Elsewhere\\Missing.scr");
  EXPECT_EQ(FindCurrentSaver(), nullptr);
  PutText("SCRNSAVE.EXE", "(None)");
  EXPECT_EQ(FindCurrentSaver(), nullptr);
}

TEST_F(SystemSaverSettingsTest, AFullPathMatchWinsOverEveryNameMatch) {
  // "Alpha.scr" also occurs inside the current text, but only the later record's full
  // path does; with name matches only, the last one is taken.
  MakeCatalog({{"Alpha.scr", ""}, {"Beta Alpha.scr", "BETAAL~1.SCR"}, {"Gamma Alpha.scr", "GAMMAA~1.SCR"}});
  PutText("SCRNSAVE.EXE", folder_ + "\\BETAAL~1.SCR Alpha.scr");
  EXPECT_EQ(FindCurrentSaver(), &AppState.savers[1]);
  PutText("SCRNSAVE.EXE", "X:\\Beta Alpha.scr Gamma Alpha.scr");
  EXPECT_EQ(FindCurrentSaver(), &AppState.savers[2]);
}

TEST_F(SystemSaverSettingsTest, SetCurrentSaverWritesAndRefreshesTheTooltip) {
  ASSERT_TRUE(WriteTextFile(folder_ + "\\Alpha.scr", "saver"));
  MakeCatalog({{"Alpha.scr", ""}});
  MainWindow();
  ResetTrayIconRecord();
  UpdateTrayIcon(NIM_ADD);
  trayCalls.clear();
  std::string path = folder_ + "\\Alpha.scr";
  EXPECT_EQ(SetCurrentSaver(path.c_str()), 1);
  EXPECT_EQ(Registry("SCRNSAVE.EXE"), path);
  ASSERT_EQ(trayCalls.size(), 1u);
  EXPECT_STREQ(trayCalls[0].szTip, "Dozelite (Alpha)");
  // No saver: the value goes, and removing it again is no failure.
  EXPECT_EQ(SetCurrentSaver(nullptr), 1);
  EXPECT_EQ(Registry("SCRNSAVE.EXE"), "{missing}");
  EXPECT_EQ(SetCurrentSaver(""), 1);
  EXPECT_TRUE(sentCommands.empty());
}

TEST_F(SystemSaverSettingsTest, ADeletedSaverFileWritesNothingAndRefreshesTheList) {
  PutText("SCRNSAVE.EXE", "C:\\Before.scr");
  MainWindow();
  MessageBoxCapture boxes;
  std::string gone = folder_ + "\\Gone.scr";
  EXPECT_EQ(SetCurrentSaver(gone.c_str()), 0);
  EXPECT_EQ(Registry("SCRNSAVE.EXE"), "C:\\Before.scr");
  EXPECT_EQ(sentCommands, std::vector<int>{kCmdRefreshSavers});
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Error setting screen saver\nCan't open file: " + gone + "\nRefreshing savers list...");
  EXPECT_TRUE(trayCalls.empty());
}

TEST_F(SystemSaverSettingsTest, SetCurrentSaverOn9xUsesSystemIni) {
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  ASSERT_TRUE(WriteTextFile(folder_ + "\\OLD16.SCR", "saver"));
  std::string path = folder_ + "\\OLD16.SCR";
  EXPECT_EQ(SetCurrentSaver(path.c_str()), 1);
  EXPECT_EQ(Ini(), path);
  EXPECT_EQ(Registry("SCRNSAVE.EXE"), "{missing}");
  EXPECT_EQ(SetCurrentSaver(nullptr), 1);
  EXPECT_EQ(Ini(), "{missing}");
}

TEST_F(SystemSaverSettingsTest, SetCurrentSaverUnderAnotherRoot) {
  ASSERT_TRUE(WriteTextFile(folder_ + "\\Alpha.scr", "saver"));
  HKEY root;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\DozeliteTestRoot\\Control Panel\\desktop", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &root, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(root);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\DozeliteTestRoot", 0, KEY_ALL_ACCESS, &root), ERROR_SUCCESS);
  std::string path = folder_ + "\\Alpha.scr";
  EXPECT_EQ(SetCurrentSaver(path.c_str(), root), 1);
  RegCloseKey(root);
  std::string value;
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, "Software\\DozeliteTestRoot\\Control Panel\\desktop",
                                 "SCRNSAVE.EXE", &value));
  EXPECT_EQ(value, path);
  EXPECT_EQ(Registry("SCRNSAVE.EXE"), "{missing}");
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\DozeliteTestRoot");
}

}  // namespace
