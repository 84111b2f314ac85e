// The default user's saver settings, the hand-over to an elevated copy when rights are
// missing, and the uninstaller start with its hand-off to a running instance.
#include "system/default_user.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/test_support.h"

namespace {

constexpr const char* kDesktop = "Control Panel\\desktop";
constexpr const char* kDefaultDesktop = ".DEFAULT\\Control Panel\\desktop";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dozelite";
constexpr const char* kRecordVariable = "DOZELITE_UNINSTALL_RECORD";
constexpr const char* kUninstallError =
    "Error running uninstall. Try using \"Add/Remove Programs\" from the Control Panel.";

// Started as the uninstaller fixture, this test program writes down its command line and
// ends before any test runs.
const bool fixtureRun = [] {
  char record[MAX_PATH];
  DWORD length = GetEnvironmentVariableA(kRecordVariable, record, sizeof(record));
  if (length == 0 || length >= sizeof(record)) return false;
  HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                            nullptr);
  std::string line = std::string(GetCommandLineA()) + "\r\n";
  DWORD written = 0;
  if (file != INVALID_HANDLE_VALUE) {
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
  }
  ExitProcess(0);
}();

struct ShellCall {
  HWND owner;
  std::string verb, file, parameters, folder;
  bool hasVerb, hasParameters, hasFolder;
  int show;
};
std::vector<ShellCall> shellCalls;
INT_PTR shellAnswer = 42;

HINSTANCE CaptureShellExecute(HWND owner, const char* verb, const char* file, const char* parameters,
                              const char* folder, int show) {
  shellCalls.push_back({owner, verb ? verb : "", file ? file : "", parameters ? parameters : "", folder ? folder : "",
                        verb != nullptr, parameters != nullptr, folder != nullptr, show});
  return reinterpret_cast<HINSTANCE>(shellAnswer);
}

std::string OwnPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof(path));
  return path;
}

void SetString(HKEY root, const char* key, const char* name, const std::string& value) {
  HKEY handle;
  ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr), ERROR_SUCCESS);
  RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
}

void DeleteValue(HKEY root, const char* key, const char* name) {
  HKEY handle;
  if (RegOpenKeyExA(root, key, 0, KEY_WRITE, &handle) != ERROR_SUCCESS) return;
  RegDeleteValueA(handle, name);
  RegCloseKey(handle);
}

class SystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
    AppState.osVersion.dwMajorVersion = 10;
    shellCalls.clear();
    shellAnswer = 42;
    ShellExecuteEntry = CaptureShellExecute;
    ClearBufferedLog();
  }
  void TearDown() override { ShellExecuteEntry = RealShellExecute; }

  // A log kept in memory only, emptied, so lines of earlier calls cannot satisfy a search.
  static void ClearBufferedLog() {
    InitLog(nullptr, kProductName, "");
    SetAutoLogToFile(false);
  }
};

class DefaultUserTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    folder = MakeTempFolder("default-user");
    saver = folder + "\\calm.scr";
    WriteTextFile(saver, "stands in for a saver");
    hadCurrentSaver = ReadRegistryString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", &currentSaver);
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
    // A real system has the default user's desktop key; a fresh test prefix may not.
    HKEY key;
    RegCreateKeyExA(HKEY_USERS, kDefaultDesktop, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegCloseKey(key);
    for (const char* name : {"SCRNSAVE.EXE", "ScreenSaveActive", "ScreenSaveTimeOut", "ScreenSaverIsSecure"})
      DeleteValue(HKEY_USERS, kDefaultDesktop, name);
  }
  void TearDown() override {
    if (hadCurrentSaver) SetString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", currentSaver);
    else DeleteValue(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active, nullptr, SPIF_UPDATEINIFILE);
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, timeout, nullptr, SPIF_UPDATEINIFILE);
    RegOverridePredefKey(HKEY_USERS, nullptr);
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\DozeliteTestUsers");
    for (const char* name : {"SCRNSAVE.EXE", "ScreenSaveActive", "ScreenSaveTimeOut", "ScreenSaverIsSecure"})
      DeleteValue(HKEY_USERS, kDefaultDesktop, name);
    RemoveTree(folder);
    SystemTest::TearDown();
  }

  // Makes HKEY_USERS a key of our own whose default user may be read but not written,
  // as for a standard user.
  void DenyDefaultUserWrites() {
    HKEY desktop;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\DozeliteTestUsers\\.DEFAULT\\Control Panel\\desktop", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &desktop, nullptr),
              ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                     nullptr));
    EXPECT_EQ(RegSetKeySecurity(desktop, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    LocalFree(readOnly);
    RegCloseKey(desktop);
    HKEY users;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\DozeliteTestUsers", 0, KEY_ALL_ACCESS, &users);
    ASSERT_EQ(RegOverridePredefKey(HKEY_USERS, users), ERROR_SUCCESS);
    RegCloseKey(users);
  }

  std::string folder, saver, currentSaver;
  bool hadCurrentSaver = false;
  BOOL active = FALSE;
  UINT timeout = 600;
};

TEST_F(DefaultUserTest, WritesTheCurrentSaverAndItsSettingsForTheDefaultUser) {
  SetString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", saver);
  AppState.saverActive = 1;
  AppState.saverTimeout = 420;
  AppState.passwordActive = 1;
  EXPECT_EQ(SaveDefaultUserSettings(), 1);
  std::string value;
  ASSERT_TRUE(ReadRegistryString(HKEY_USERS, kDefaultDesktop, "SCRNSAVE.EXE", &value));
  EXPECT_EQ(value, saver);
  ASSERT_TRUE(ReadRegistryString(HKEY_USERS, kDefaultDesktop, "ScreenSaveActive", &value));
  EXPECT_EQ(value, "1");
  ASSERT_TRUE(ReadRegistryString(HKEY_USERS, kDefaultDesktop, "ScreenSaveTimeOut", &value));
  EXPECT_EQ(value, "420");
  ASSERT_TRUE(ReadRegistryString(HKEY_USERS, kDefaultDesktop, "ScreenSaverIsSecure", &value));
  EXPECT_EQ(value, "1");
  EXPECT_TRUE(shellCalls.empty());  // done directly, no second process
  EXPECT_NE(BufferedLog().find("SaveDefaultUserSettings()"), std::string::npos);
}

TEST_F(DefaultUserTest, NoCurrentSaverDeletesTheDefaultUsersSaverAndAMissingOneIsFine) {
  DeleteValue(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE");
  SetString(HKEY_USERS, kDefaultDesktop, "SCRNSAVE.EXE", saver);
  MessageBoxCapture boxes;
  EXPECT_EQ(SaveDefaultUserSettings(), 1);
  std::string value;
  EXPECT_FALSE(ReadRegistryString(HKEY_USERS, kDefaultDesktop, "SCRNSAVE.EXE", &value));
  EXPECT_EQ(SaveDefaultUserSettings(), 1);  // nothing left to delete: still a success
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(DefaultUserTest, AccessDeniedHandsTheWorkToAnElevatedCopy) {
  SetString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", saver);
  DenyDefaultUserWrites();
  EXPECT_EQ(SaveDefaultUserSettings(), 1);
  ASSERT_EQ(shellCalls.size(), 1u);
  const ShellCall& call = shellCalls[0];
  EXPECT_EQ(call.owner, nullptr);
  EXPECT_EQ(call.verb, "runas");
  EXPECT_EQ(call.file, OwnPath());
  EXPECT_EQ(call.parameters, " /kill /setwindowsdefault");
  EXPECT_FALSE(call.hasFolder);
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
  EXPECT_NE(BufferedLog().find("Running as admin with params  /kill /setwindowsdefault"), std::string::npos);
  // This process wrote nothing.
  std::string value;
  EXPECT_FALSE(ReadRegistryString(HKEY_USERS, kDefaultDesktop, "SCRNSAVE.EXE", &value));
}

TEST_F(DefaultUserTest, DeclinedElevationReportsThatAdministratorRightsAreNeeded) {
  DenyDefaultUserWrites();
  shellAnswer = SE_ERR_ACCESSDENIED;
  MessageBoxCapture boxes;
  EXPECT_EQ(SaveDefaultUserSettings(), 0);
  EXPECT_EQ(shellCalls.size(), 1u);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "This action requires administrator privileges.");
}

TEST_F(DefaultUserTest, AccessDeniedBeforeVistaFailsWithoutElevation) {
  SetString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", saver);
  DenyDefaultUserWrites();
  AppState.osVersion.dwMajorVersion = 5;
  MessageBoxCapture boxes;
  EXPECT_EQ(SaveDefaultUserSettings(), 0);
  EXPECT_TRUE(shellCalls.empty());
  ASSERT_FALSE(boxes.boxes().empty());
  EXPECT_EQ(boxes.boxes()[0].text, "Error setting screen saver");
  std::string value;
  EXPECT_FALSE(ReadRegistryString(HKEY_USERS, kDefaultDesktop, "ScreenSaveTimeOut", &value));
}

TEST_F(DefaultUserTest, MissingDefaultUserIsReported) {
  HKEY empty;
  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\DozeliteTestUsers", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &empty,
                  nullptr);
  RegOverridePredefKey(HKEY_USERS, empty);
  RegCloseKey(empty);
  MessageBoxCapture boxes;
  EXPECT_EQ(SaveDefaultUserSettings(), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Error Saving default user settings");
  EXPECT_TRUE(shellCalls.empty());
}

TEST_F(SystemTest, RunElevatedNeedsVistaOrLaterAndASuccessfulStart) {
  MessageBoxCapture boxes;
  AppState.osVersion.dwMajorVersion = 6;
  EXPECT_EQ(RunElevated(" /x"), 1);
  shellAnswer = 32;  // the last failing code
  EXPECT_EQ(RunElevated(" /x"), 0);
  AppState.osVersion.dwMajorVersion = 5;
  EXPECT_EQ(RunElevated(" /x"), 0);
  EXPECT_EQ(shellCalls.size(), 2u);
  EXPECT_EQ(boxes.boxes().size(), 2u);
}

// A window standing in for a running instance's main window.
HWND CreateInstanceWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClassName;
    registered = RegisterClassA(&windowClass) != 0;
  }
  return CreateWindowExA(0, kWindowClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

class UninstallTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kUninstallKey);
    ownWindow = CreateInstanceWindow();
    AppState.mainWindow = ownWindow;
  }
  void TearDown() override {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kUninstallKey);
    DestroyWindow(ownWindow);
    SystemTest::TearDown();
  }
  HWND ownWindow = nullptr;
};

TEST_F(UninstallTest, StartsTheRegisteredUninstallerAndExits) {
  std::string record = MakeTempFolder("uninstall") + "\\record.txt";
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", OwnPath());
  ShellExecuteEntry = RealShellExecute;
  SetEnvironmentVariableA(kRecordVariable, record.c_str());
  EXPECT_EQ(UninstallDozelite(), 1);
  SetEnvironmentVariableA(kRecordVariable, nullptr);
  EXPECT_EQ(TakePostedCommands(ownWindow), std::vector<int>{kCmdExit});
  EXPECT_TRUE(WaitFor([&] { return !ReadTextFile(record).empty(); }, 15000));
  EXPECT_NE(ReadTextFile(record).find("system_tests.exe"), std::string::npos);
  RemoveTree(record.substr(0, record.rfind('\\')));
  EXPECT_EQ(BufferedLog().find(kUninstallError), std::string::npos);
}

TEST_F(UninstallTest, StartsTheWholeValueAsAFileWithTheDefaultAction) {
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "C:\\Program Files\\Dozelite\\uninstall.exe");
  EXPECT_EQ(UninstallDozelite(), 1);
  ASSERT_EQ(shellCalls.size(), 1u);
  EXPECT_EQ(shellCalls[0].owner, GetDesktopWindow());
  EXPECT_FALSE(shellCalls[0].hasVerb);
  EXPECT_EQ(shellCalls[0].file, "C:\\Program Files\\Dozelite\\uninstall.exe");
  EXPECT_FALSE(shellCalls[0].hasParameters);
  EXPECT_FALSE(shellCalls[0].hasFolder);
  EXPECT_EQ(shellCalls[0].show, SW_SHOW);
  EXPECT_EQ(TakePostedCommands(ownWindow), std::vector<int>{kCmdExit});
}

// A copy installed just for the user registers its uninstaller in HKCU, one for everyone
// in HKLM; with both present the entry whose folder holds the running program wins.
TEST_F(UninstallTest, StartsTheUninstallerOfItsOwnInstallation) {
  std::string ownFolder = OwnPath().substr(0, OwnPath().rfind('\\'));
  const std::string machine = "C:\\Program Files\\Dozelite\\uninstall.exe";
  const std::string user = "C:\\users\\me\\AppData\\Local\\Programs\\Dozelite\\uninstall.exe";
  struct Row {
    const char* name;
    const char* machineFolder;  // nullptr: no entry for everyone
    const char* userFolder;     // nullptr: no entry for the user; "own": this program's folder
    const std::string& expected;
  } rows[] = {
      {"only the user's entry", nullptr, "C:\\elsewhere", user},
      {"the user's entry names this folder", "C:\\Program Files\\Dozelite", "own", user},
      {"the same, written with a final backslash", "C:\\Program Files\\Dozelite", "own\\", user},
      {"the machine's entry names this folder", "own", "C:\\elsewhere", machine},
      {"neither names it: the machine's entry", "C:\\Program Files\\Dozelite", "C:\\elsewhere", machine},
  };
  auto folder = [&](const char* text) {
    std::string value = text;
    return value.rfind("own", 0) == 0 ? ownFolder + value.substr(3) : value;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kUninstallKey);
    if (row.machineFolder) {
      SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", machine);
      SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", folder(row.machineFolder));
    }
    if (row.userFolder) {
      SetString(HKEY_CURRENT_USER, kUninstallKey, "UninstallString", user);
      SetString(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation", folder(row.userFolder));
    }
    shellCalls.clear();
    EXPECT_EQ(UninstallDozelite(), 1);
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].file, row.expected);
    TakePostedCommands(ownWindow);
  }
}

TEST_F(UninstallTest, WithoutAnUninstallerOnlyALogLineThenTheExit) {
  MessageBoxCapture boxes;
  EXPECT_EQ(UninstallDozelite(), 1);  // no key at all
  EXPECT_TRUE(shellCalls.empty());
  EXPECT_NE(BufferedLog().find(kUninstallError), std::string::npos);
  EXPECT_EQ(TakePostedCommands(ownWindow), std::vector<int>{kCmdExit});

  ClearBufferedLog();
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "C:\\nowhere\\uninstall.exe");
  shellAnswer = SE_ERR_FNF;
  EXPECT_EQ(UninstallDozelite(), 1);
  EXPECT_NE(BufferedLog().find(kUninstallError), std::string::npos);
  EXPECT_EQ(TakePostedCommands(ownWindow), std::vector<int>{kCmdExit});
  EXPECT_TRUE(boxes.boxes().empty());  // level 5: no box while debug messages are off
}

TEST_F(UninstallTest, ARunningInstanceIsHandedTheUninstall) {
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "C:\\Program Files\\Dozelite\\uninstall.exe");
  HWND running = CreateInstanceWindow();
  EXPECT_EQ(UninstallDozelite(), 1);
  EXPECT_EQ(TakePostedCommands(running), std::vector<int>{kCmdUninstall});
  EXPECT_TRUE(TakePostedCommands(ownWindow).empty());
  EXPECT_TRUE(shellCalls.empty());
  DestroyWindow(running);
}

}  // namespace
