// The settings store against the test prefix's registry: first start, round trips, the
// numbering of the search path values, damaged values, and the log-on "Run" entry.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "support/log_capture.h"
#include "support/test_support.h"

namespace {

constexpr const char* kKey = "Software\\Dozelite";
constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteRegistryTree(HKEY_CURRENT_USER, kKey);
    ResetAppState(GetModuleHandleA(nullptr));
    hadRun_ = ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "Dozelite", &savedRun_);
  }
  void TearDown() override {
    SetLanguageSetting("");
    FreeSaverPaths();
    DeleteRegistryTree(HKEY_CURRENT_USER, kKey);
    HKEY run;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr) ==
        ERROR_SUCCESS) {
      if (hadRun_)
        RegSetValueExA(run, "Dozelite", 0, REG_SZ, reinterpret_cast<const BYTE*>(savedRun_.c_str()),
                       static_cast<DWORD>(savedRun_.size() + 1));
      else
        RegDeleteValueA(run, "Dozelite");
      RegDeleteValueA(run, "DozeliteTest");
      RegCloseKey(run);
    }
  }
  HKEY Open() {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }
  void Put(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = Open();
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  void PutText(const char* name, const std::string& text) {
    Put(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void PutPaths(const std::vector<int>& numbers) {
    for (int n : numbers) PutText(("saverpath" + std::to_string(n)).c_str(), "C:\\Stored" + std::to_string(n));
  }
  void SetPaths(const std::vector<std::string>& folders) {
    FreeSaverPaths();
    for (size_t i = 0; i < folders.size(); i++) AppState.saverpath[i] = _strdup(folders[i].c_str());
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (int i = 0; i < kMaxSaverPaths && AppState.saverpath[i]; i++) paths.push_back(AppState.saverpath[i]);
    return paths;
  }
  bool Exists(const std::string& name) {
    return RegGetValueA(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }
  DWORD Dword(const char* name) {
    DWORD value = 0xDEAD;
    EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kKey, name, &value)) << name;
    return value;
  }
  std::string Text(const char* name) {
    std::string value;
    EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kKey, name, &value)) << name;
    return value;
  }
  bool hadRun_ = false;
  std::string savedRun_;
};

std::string WithoutTrailingSlash(UINT (*getter)(LPSTR, UINT)) {
  char folder[MAX_PATH];
  getter(folder, sizeof(folder));
  std::string text = folder;
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

TEST_F(SettingsStoreTest, FirstStartKeepsDefaultsAndFallsBackToSystemFolders) {
  LogCapture log("settings-first");
  AppState.delay = 150;
  SetLanguageSetting("de");
  EXPECT_EQ(LoadSettings(), 0);
  EXPECT_EQ(AppState.delay, 150);
  EXPECT_STREQ(GetLanguageSetting(), "") << "no value: Windows' language";
  EXPECT_EQ(AppState.splitlist, 1);
  EXPECT_STREQ(AppState.showntips, "1111111111111111111");
  EXPECT_STREQ(AppState.id, "");
  EXPECT_EQ(Paths(), (std::vector<std::string>{WithoutTrailingSlash(GetWindowsDirectoryA),
                                                WithoutTrailingSlash(GetSystemDirectoryA)}));
  EXPECT_EQ(log.Count("Error loading settings from registry"), 1u);
}

TEST_F(SettingsStoreTest, FirstSaveWritesEveryValue) {
  LoadSettings();
  CopyText(AppState.id, "0f8e5d2c-6b1a-4c3e-9f7d-2a4b6c8d0e1f", sizeof(AppState.id));
  ASSERT_EQ(SaveSettings(), 1);
  const char* dwords[] = {"debug", "delay", "loadatstartup", "nosplash", "notips", "tipnumber", "randomonactivate",
                          "randomonclick", "randomonload", "corneraction", "autolog", "splitlist", "chooselaunch",
                          "unifiedlist", "hotkey", "hotkeymodifiers", "hotkeypoweroff", "hotkeypoweroffmodifiers",
                          "selectionActionMessageBase", "singleLeftActionMessage", "doubleLeftActionMessage",
                          "singleRightActionMessage", "doubleRightActionMessage", "topLeftActionMessage",
                          "bottomLeftActionMessage", "topRightActionMessage", "bottomRightActionMessage",
                          "cornerscope", "cornerdelay", "cornersfullscreen"};
  for (const char* name : dwords) {
    DWORD type = 0;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, nullptr, nullptr), ERROR_SUCCESS)
        << name;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
  }
  EXPECT_EQ(Dword("delay"), 150u);
  EXPECT_EQ(Dword("splitlist"), 1u);
  EXPECT_EQ(Dword("selectionActionMessageBase"), 41000u);
  EXPECT_EQ(Dword("autolog"), 1u);
  EXPECT_EQ(Text("showntips"), "1111111111111111111");
  EXPECT_EQ(Text("id"), "0f8e5d2c-6b1a-4c3e-9f7d-2a4b6c8d0e1f");
  EXPECT_EQ(Text("language"), "");  // follow Windows
  EXPECT_EQ(Text("saverpath0"), WithoutTrailingSlash(GetWindowsDirectoryA));
  EXPECT_EQ(Text("saverpath1"), WithoutTrailingSlash(GetSystemDirectoryA));
  EXPECT_FALSE(Exists("saverpath2"));
}

TEST_F(SettingsStoreTest, EverySettingSurvivesARoundTrip) {
  AppState.delay = 275;
  AppState.nosplash = 1;
  AppState.notips = 1;
  AppState.tipnumber = 7;
  CopyText(AppState.showntips, "1010101010101010101", sizeof(AppState.showntips));
  AppState.randomonactivate = 1;
  AppState.randomonclick = 1;
  AppState.randomonload = 1;
  AppState.corneraction = 1;
  AppState.splitlist = 0;
  AppState.chooselaunch = 1;
  AppState.unifiedlist = 1;
  AppState.selectionActionMessageBase = 45000;
  AppState.singleLeftActionMessage = 40010;
  AppState.doubleLeftActionMessage = 40011;
  AppState.singleRightActionMessage = 40012;
  AppState.doubleRightActionMessage = 40013;
  AppState.topLeftActionMessage = 40014;
  AppState.bottomLeftActionMessage = 40015;
  AppState.topRightActionMessage = 40016;
  AppState.bottomRightActionMessage = -1;
  AppState.cornerscope = 1;
  AppState.cornerdelay = 300;
  AppState.cornersfullscreen = 1;
  AppState.hotKeys[0].virtualKey = 'S';
  AppState.hotKeys[0].modifiers = MOD_CONTROL | MOD_ALT;
  AppState.hotKeys[1].virtualKey = VK_F12;
  AppState.hotKeys[1].modifiers = MOD_SHIFT;
  CopyText(AppState.id, "11111111-2222-4333-8444-555555555555", sizeof(AppState.id));
  SetPaths({"C:\\Savers", "D:\\More Savers", "E:\\"});
  ASSERT_TRUE(SetLanguageSetting("zh-Hant-HK"));
  SetShowDebugMessages(true);
  SetAutoLogToFile(false);
  ASSERT_EQ(SaveSettings(), 1);
  SetShowDebugMessages(false);
  SetAutoLogToFile(true);

  ResetAppState(GetModuleHandleA(nullptr));
  SetLanguageSetting("");
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_STREQ(GetLanguageSetting(), "zh-Hant-HK");
  EXPECT_EQ(AppState.delay, 275);
  EXPECT_EQ(AppState.nosplash + AppState.notips + AppState.randomonactivate + AppState.randomonclick +
                AppState.randomonload + AppState.corneraction + AppState.chooselaunch + AppState.unifiedlist,
            8);
  EXPECT_EQ(AppState.tipnumber, 7);
  EXPECT_STREQ(AppState.showntips, "1010101010101010101");
  EXPECT_EQ(AppState.splitlist, 0);
  EXPECT_EQ(AppState.selectionActionMessageBase, 45000);
  EXPECT_EQ(AppState.singleLeftActionMessage, 40010);
  EXPECT_EQ(AppState.doubleLeftActionMessage, 40011);
  EXPECT_EQ(AppState.singleRightActionMessage, 40012);
  EXPECT_EQ(AppState.doubleRightActionMessage, 40013);
  EXPECT_EQ(AppState.topLeftActionMessage, 40014);
  EXPECT_EQ(AppState.bottomLeftActionMessage, 40015);
  EXPECT_EQ(AppState.topRightActionMessage, 40016);
  EXPECT_EQ(AppState.cornerscope, 1);
  EXPECT_EQ(AppState.cornerdelay, 300);
  EXPECT_EQ(AppState.cornersfullscreen, 1);
  EXPECT_EQ(AppState.bottomRightActionMessage, -1);
  EXPECT_EQ(AppState.hotKeys[0].virtualKey, static_cast<UINT>('S'));
  EXPECT_EQ(AppState.hotKeys[0].modifiers, static_cast<UINT>(MOD_CONTROL | MOD_ALT));
  EXPECT_EQ(AppState.hotKeys[1].virtualKey, static_cast<UINT>(VK_F12));
  EXPECT_EQ(AppState.hotKeys[1].modifiers, static_cast<UINT>(MOD_SHIFT));
  EXPECT_STREQ(AppState.id, "11111111-2222-4333-8444-555555555555");
  EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\Savers", "D:\\More Savers", "E:\\"}));
  EXPECT_TRUE(GetShowDebugMessages());
  EXPECT_FALSE(GetAutoLogToFile());
  SetShowDebugMessages(false);
  SetAutoLogToFile(true);
}

TEST_F(SettingsStoreTest, AbsentValuesKeepWhatTheProgramHolds) {
  PutText("saverpath0", "C:\\Only");
  AppState.delay = 999;
  AppState.topLeftActionMessage = 40020;
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_EQ(AppState.delay, 999);
  EXPECT_EQ(AppState.topLeftActionMessage, 40020);
  EXPECT_EQ(Paths(), std::vector<std::string>{"C:\\Only"});
}

TEST_F(SettingsStoreTest, ThreeFoldersSavedOverFive) {
  PutPaths({0, 1, 2, 3, 4, 6});
  ASSERT_EQ(LoadSettings(), 1);
  SetPaths({"C:\\A", "C:\\B", "C:\\C"});
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(Text("saverpath0"), "C:\\A");
  EXPECT_EQ(Text("saverpath2"), "C:\\C");
  EXPECT_FALSE(Exists("saverpath3"));
  EXPECT_FALSE(Exists("saverpath4"));
  EXPECT_TRUE(Exists("saverpath6"));  // never read, so never deleted
}

TEST_F(SettingsStoreTest, AGapEndsTheList) {
  PutPaths({0, 2});
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_EQ(Paths(), std::vector<std::string>{"C:\\Stored0"});
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(Text("saverpath0"), "C:\\Stored0");
  EXPECT_TRUE(Exists("saverpath2"));  // left behind: no load reaches it
}

TEST_F(SettingsStoreTest, AnEmptyListDeletesFromZero) {
  PutPaths({0, 1});
  ASSERT_EQ(LoadSettings(), 1);
  FreeSaverPaths();
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_FALSE(Exists("saverpath0"));
  EXPECT_FALSE(Exists("saverpath1"));
}

TEST_F(SettingsStoreTest, WrongTypesAndSizesKeepTheirFields) {
  PutText("delay", "12345");  // REG_SZ of 6 bytes: does not fit a DWORD
  PutText("saverpath0", "C:\\First");
  PutText("saverpath1", std::string("C:\\") + std::string(300, 'x'));  // longer than MAX_PATH: read whole
  PutText("saverpath2", "C:\\After");
  std::string longId(40, 'a');
  PutText("id", longId);
  CopyText(AppState.id, "keep-me", sizeof(AppState.id));
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_EQ(AppState.delay, 150);
  EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\First", std::string("C:\\") + std::string(300, 'x'), "C:\\After"}));
  EXPECT_STREQ(AppState.id, "keep-me");
}

TEST_F(SettingsStoreTest, TextsWithoutTerminatorEndInsideTheirFields) {
  std::string id(37, 'f');  // fills the field exactly, no terminator stored
  Put("id", REG_BINARY, id.data(), 37);
  std::string tips(20, '0');
  Put("showntips", REG_BINARY, tips.data(), 20);
  std::string path = "C:\\NoEnd";
  Put("saverpath0", REG_BINARY, path.data(), static_cast<DWORD>(path.size()));
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_EQ(strlen(AppState.id), 36u);
  EXPECT_EQ(std::string(AppState.id), std::string(36, 'f'));
  EXPECT_EQ(std::string(AppState.showntips), std::string(19, '0'));
  EXPECT_EQ(Paths(), std::vector<std::string>{"C:\\NoEnd"});
}

TEST_F(SettingsStoreTest, TheListHoldsAtMost4095Folders) {
  HKEY key = Open();
  for (int n = 0; n < kMaxSaverPaths + 3; n++) {
    std::string name = "saverpath" + std::to_string(n);
    std::string folder = "C:\\F" + std::to_string(n);
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
  }
  RegCloseKey(key);
  ASSERT_EQ(LoadSettings(), 1);
  ASSERT_EQ(Paths().size(), static_cast<size_t>(kMaxSaverPaths - 1));
  EXPECT_EQ(AppState.saverpath[kMaxSaverPaths - 1], nullptr);
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_TRUE(Exists("saverpath4094"));
  EXPECT_TRUE(Exists("saverpath4095"));  // beyond what the list holds: never read, never deleted
  EXPECT_TRUE(Exists("saverpath4098"));
}

// A folder of 94 characters, 84 of them Chinese: 262 bytes in UTF-8, more than any fixed
// path buffer of 260 bytes, well under MAX_PATH characters.
std::string LongChineseFolder() {
  std::string folder = "C:\\Savers\\";
  for (int i = 0; i < 21; i++) folder += "\xE5\xB1\x8F\xE5\xB9\x95\xE4\xBF\x9D\xE6\x8A\xA4";  // four characters
  return folder;
}

TEST_F(SettingsStoreTest, FoldersAreReadAtTheirRealSize) {
  std::string chinese = LongChineseFolder();
  ASSERT_GT(chinese.size(), 260u);
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, chinese.c_str(), -1, nullptr, 0), 95);  // 94 and the terminator
  std::string huge = "C:\\" + std::string(3000, 'y');  // grows the read buffer twice
  PutText("saverpath0", "C:\\First");
  PutText("saverpath1", chinese);
  PutText("saverpath2", "C:\\After");
  PutText("saverpath3", huge);
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\First", chinese, "C:\\After", huge}));
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(Text("saverpath1"), chinese);
  EXPECT_EQ(Text("saverpath2"), "C:\\After");
  EXPECT_EQ(Text("saverpath3"), huge);
}

// A value the load cannot use keeps its number through every save: the list fills the
// numbers around it, and only numbers the store has seen are ever deleted.
TEST_F(SettingsStoreTest, AnUnusableValueIsKeptAndPassedOver) {
  LogCapture log("settings-unusable");
  PutText("saverpath0", "C:\\A");
  PutText("saverpath1", "");
  PutText("saverpath2", "C:\\B");
  PutText("saverpath4", "C:\\Unreached");
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_EQ(Paths(), (std::vector<std::string>{"C:\\A", "C:\\B"}));
  EXPECT_EQ(log.Count("LoadSettings: saverpath1 cannot be used"), 1u);

  SetPaths({"C:\\A", "C:\\C", "C:\\D"});
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(Text("saverpath0"), "C:\\A");
  EXPECT_EQ(Text("saverpath1"), "");
  EXPECT_EQ(Text("saverpath2"), "C:\\C");
  EXPECT_EQ(Text("saverpath3"), "C:\\D");
  EXPECT_EQ(Text("saverpath4"), "C:\\Unreached");  // past the first missing number: never read

  SetPaths({"C:\\A"});
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(Text("saverpath0"), "C:\\A");
  EXPECT_EQ(Text("saverpath1"), "");
  EXPECT_FALSE(Exists("saverpath2"));
  EXPECT_FALSE(Exists("saverpath3"));
  EXPECT_TRUE(Exists("saverpath4"));
}

TEST_F(SettingsStoreTest, SaveRegValueTypes) {
  HKEY key = Open();
  MessageBoxCapture boxes;
  LogCapture log("settings-types");
  int number = -5;
  EXPECT_EQ(SaveRegValue(key, "n", REG_DWORD, &number, 0), ERROR_SUCCESS);
  EXPECT_EQ(SaveRegValue(key, "t", REG_SZ, "text", 0), ERROR_SUCCESS);
  EXPECT_NE(SaveRegValue(key, "missing", REG_SZ, nullptr, 0), ERROR_SUCCESS);
  EXPECT_NE(SaveRegValue(key, "b", REG_BINARY, "x", 1), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(Dword("n"), static_cast<DWORD>(-5));
  DWORD size = 0;
  RegGetValueA(HKEY_CURRENT_USER, kKey, "t", RRF_RT_ANY, nullptr, nullptr, &size);
  EXPECT_EQ(size, 5u);  // the terminator is stored
  EXPECT_FALSE(Exists("missing"));
  EXPECT_FALSE(Exists("b"));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "SaveRegValue: invalid dwType");
  EXPECT_TRUE(log.Has("SaveRegValue: invalid dwType"));
}

TEST_F(SettingsStoreTest, RunEntryAddAndRemove) {
  EXPECT_FALSE(GetLoadAtStartup("DozeliteTest"));
  EXPECT_TRUE(SetLoadAtStartup("DozeliteTest", false));  // nothing to remove
  ASSERT_TRUE(SetLoadAtStartup("DozeliteTest", true));
  EXPECT_TRUE(GetLoadAtStartup("DozeliteTest"));
  char own[MAX_PATH];
  GetModuleFileNameA(nullptr, own, sizeof(own));
  std::string value;
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "DozeliteTest", &value));
  EXPECT_EQ(value, "\"" + std::string(own) + "\"");
  // Quoted: the shell would otherwise start "C:\Program" with "Files\..." as arguments.
  ASSERT_TRUE(SetLoadAtStartup("DozeliteTest", true, "C:\\Program Files\\Dozelite\\Dozelite.exe"));
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "DozeliteTest", &value));
  EXPECT_EQ(value, "\"C:\\Program Files\\Dozelite\\Dozelite.exe\"");
  EXPECT_TRUE(LoadAtStartupStarts("DozeliteTest", "c:\\program files\\dozelite\\Dozelite.exe"));
  EXPECT_FALSE(LoadAtStartupStarts("DozeliteTest", "C:\\Program Files\\Dozelite\\Other.exe"));
  std::string deep = "C:\\" + std::string(400, 'd') + "\\Dozelite.exe";
  ASSERT_TRUE(SetLoadAtStartup("DozeliteTest", true, deep.c_str()));
  EXPECT_TRUE(GetLoadAtStartup("DozeliteTest"));
  // Written by another program, longer than any path the reader's buffer holds.
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kRunKey, "DozeliteTest", "\"C:\\" + std::string(1000, 'd') + "\""));
  EXPECT_TRUE(GetLoadAtStartup("DozeliteTest")) << "an entry longer than the buffer exists all the same";
  EXPECT_TRUE(SetLoadAtStartup("DozeliteTest", false));
  EXPECT_FALSE(GetLoadAtStartup("DozeliteTest"));
}

TEST_F(SettingsStoreTest, LoadAtStartupMirrorsTheRunEntryAtSave) {
  SetLoadAtStartup("Dozelite", true);
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(Dword("loadatstartup"), 1u);
  SetLoadAtStartup("Dozelite", false);
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(Dword("loadatstartup"), 0u);
}

TEST_F(SettingsStoreTest, QueryRegValueReportsTheStatus) {
  PutText("delay", "12345");
  HKEY key = Open();
  DWORD value = 7;
  EXPECT_EQ(QueryRegValue(key, "delay", REG_DWORD, &value, sizeof(value)), ERROR_MORE_DATA);
  EXPECT_EQ(QueryRegValue(key, "nothing", REG_DWORD, &value, sizeof(value)), ERROR_FILE_NOT_FOUND);
  char text[16] = "";
  EXPECT_EQ(QueryRegValue(key, "delay", REG_DWORD, text, sizeof(text)), ERROR_SUCCESS);
  EXPECT_STREQ(text, "12345");
  RegCloseKey(key);
}

// The program itself: a start that only changes a setting and ends loads and saves the
// settings, and must give back every search folder it found.
TEST_F(SettingsStoreTest, AStartWithOptionsKeepsEveryFolder) {
  std::string chinese = LongChineseFolder();
  PutText("saverpath0", "C:\\First");
  PutText("saverpath1", chinese);
  PutText("saverpath2", "C:\\After");
  PutText("id", "0f8e5d2c-6b1a-4c3e-9f7d-2a4b6c8d0e1f");
  std::string temp = MakeTempFolder("settings-kill-temp");
  UINT timeout = 0;
  SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
  ProcessResult result = RunProcess("\"" + BuildFilePath("Dozelite.exe") + "\" kill timeout=600",
                                    {"TEMP=" + temp, "TMP=" + temp, "LOCALAPPDATA=" + temp}, 60000);
  SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, timeout, nullptr, SPIF_UPDATEINIFILE);
  std::string log = ReadTextFile(temp + "\\Dozelite.log");
  RemoveTree(temp);
  EXPECT_TRUE(result.finished);
  EXPECT_EQ(Text("saverpath0"), "C:\\First");
  EXPECT_EQ(Text("saverpath1"), chinese) << log;
  EXPECT_EQ(Text("saverpath2"), "C:\\After");
  EXPECT_FALSE(Exists("saverpath3"));
}

}  // namespace
