// Names in any script, through the whole program: a saver folder named in German and
// Chinese holding a saver file named in Chinese whose string 1 is Chinese. It is listed
// with that name, shown in the menu (read back as UTF-16), chosen (the system setting
// read back as UTF-16), launched, and its folder kept in the settings; the log goes to a
// temporary folder with such a name. The program runs with the UTF-8 code page, so the
// ANSI calls carry these names as UTF-8.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/dispatcher.h"
#include "catalog/saver_info.h"
#include "settings/settings_store.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/menu_walker.h"
#include "support/saver_record.h"

namespace {

const char kFolderName[] = "J\xC3\xB6rg \xE4\xB8\xAD\xE6\x96\x87";  // "Jörg 中文"
const char kFileName[] = "\xE7\xA6\x85.scr";                         // "禅.scr"
const char kDisplayName[] = "\xE7\xA6\x85\xE6\x84\x8F\xE8\x8A\xB1\xE5\x9B\xAD";  // "禅意花园", string 1
const wchar_t kDisplayNameWide[] = L"\u7985\u610F\u82B1\u56ED";

std::wstring Wide(const std::string& utf8) {
  wchar_t buffer[1024] = L"";
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, buffer, 1024);
  return buffer;
}

std::wstring RegistryTextWide(const char* subKey, const char* name) {
  wchar_t value[1024] = L"";
  DWORD size = sizeof(value) - sizeof(wchar_t);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<no key>";
  LONG status = RegQueryValueExW(key, Wide(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? value : L"<absent>";
}

std::wstring MenuTextWide(HMENU menu, int position) {
  wchar_t text[256] = L"";
  GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
  return text;
}

class AnyLanguageTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    folder_ = MakeTempFolder(kFolderName);
    path_ = folder_ + "\\" + kFileName;
    CopyFileA(BuildFilePath("savers\\i18n\\zengarden.scr").c_str(), path_.c_str(), FALSE);
  }
  void TearDown() override {
    RemoveTree(folder_);
    AppFixture::TearDown();
  }
  const SaverInfo* Listed() const {
    for (int i = 0; i < AppState.saverCount; i++)
      if (AppState.savers[i].displayName && std::string(AppState.savers[i].displayName) == kDisplayName)
        return &AppState.savers[i];
    return nullptr;
  }
  std::string folder_;
  std::string path_;
};

}  // namespace

TEST_F(AnyLanguageTest, ASaverNamedInChineseIsListedShownChosenAndLaunched) {
  ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  ASSERT_NE(GetFileAttributesW(Wide(path_).c_str()), INVALID_FILE_ATTRIBUTES) << "the copy has its Unicode name";
  AppState.saverpath[0] = DuplicateText(folder_.c_str());
  DispatchCommand(window_, kCmdRefreshSavers);
  const SaverInfo* saver = Listed();
  ASSERT_NE(saver, nullptr) << "not listed under its string 1";
  int index = static_cast<int>(saver - AppState.savers);
  EXPECT_EQ(std::string(saver->folder), folder_ + "\\");

  auto chooseMenuText = [&] {
    HMENU menu = BuildTrayMenu(window_, 0, GetMenuScreen());
    std::wstring text = MenuTextWide(FindSubmenu(menu, "&Choose"), index + 1);  // after "(None)"
    DestroyMenu(menu);
    return text;
  };
  EXPECT_EQ(chooseMenuText(), kDisplayNameWide);

  DispatchCommand(window_, kRangeChooseSaver + index);
  EXPECT_EQ(RegistryTextWide(kDesktopKey, "SCRNSAVE.EXE"), Wide(saver->fullPath));
  EXPECT_EQ(chooseMenuText(), std::wstring(L"< ") + kDisplayNameWide + L" >");  // found again as current

  SaverRecord record;
  DispatchCommand(window_, kRangeLaunchSaver + index);
  std::vector<std::string> lines = record.WaitLines(1);
  ASSERT_EQ(lines.size(), 1u) << "the saver was not started";
  EXPECT_TRUE(Contains(lines[0], "/S")) << lines[0];
}

TEST_F(AnyLanguageTest, SettingsAndLogKeepTheNamesInATemporaryFolderOfThatName) {
  // The search path round trip through the registry, stored as the right Unicode text.
  AppState.saverpath[0] = DuplicateText(folder_.c_str());
  SaveSettings();
  EXPECT_EQ(RegistryTextWide(kSettingsKey, "saverpath0"), Wide(folder_));
  FreeSaverPaths();
  LoadSettings();
  ASSERT_NE(AppState.saverpath[0], nullptr);
  EXPECT_EQ(std::string(AppState.saverpath[0]), folder_);

  // The log in %TEMP% when %TEMP% has such a name: the file is found by its Unicode
  // name and holds the saver's name as UTF-8.
  char oldTmp[MAX_PATH] = "";
  char oldTemp[MAX_PATH] = "";
  GetEnvironmentVariableA("TMP", oldTmp, sizeof(oldTmp));
  GetEnvironmentVariableA("TEMP", oldTemp, sizeof(oldTemp));
  SetEnvironmentVariableA("TMP", folder_.c_str());
  SetEnvironmentVariableA("TEMP", folder_.c_str());
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof(temp), temp);
  SetEnvironmentVariableA("TMP", oldTmp);
  SetEnvironmentVariableA("TEMP", oldTemp);
  ASSERT_EQ(std::string(temp), folder_ + "\\");
  std::string logPath = std::string(temp) + "Dozelite.log";
  InitLog(nullptr, kProductName, logPath.c_str());
  LogMessage(kLogLogOnly, "Chosen saver: %s", kDisplayName);
  LogFileDump();
  ClearLogBuffer();
  HANDLE file = CreateFileW(Wide(logPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char bytes[4096] = "";
  DWORD read = 0;
  ReadFile(file, bytes, sizeof(bytes) - 1, &read, nullptr);
  CloseHandle(file);
  EXPECT_TRUE(Contains(std::string(bytes, read), std::string("Chosen saver: ") + kDisplayName + "\r\n"));
}
