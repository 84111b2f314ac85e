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
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + OwnPath() + "\"");
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

// Setup writes the command quoted; older setups wrote the bare path with its spaces.
// Either way the program path is the file, the rest its parameters, with the default action.
TEST_F(UninstallTest, StartsTheCommandQuotedOrBare) {
  struct Row {
    const char* value;
    const char* file;
    const char* parameters;  // nullptr: none
  } rows[] = {
      {"C:\\Program Files\\Dozelite\\uninstall.exe", "C:\\Program Files\\Dozelite\\uninstall.exe", nullptr},
      {"\"C:\\Program Files\\Dozelite\\uninstall.exe\"", "C:\\Program Files\\Dozelite\\uninstall.exe", nullptr},
      {"\"C:\\Program Files\\Dozelite\\uninstall.exe\" /ALLUSERS", "C:\\Program Files\\Dozelite\\uninstall.exe",
       "/ALLUSERS"},
  };
  std::string ownFolder = OwnPath().substr(0, OwnPath().rfind('\\'));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", row.value);
    SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", ownFolder);
    shellCalls.clear();
    EXPECT_EQ(UninstallDozelite(), 1);
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].owner, GetDesktopWindow());
    EXPECT_FALSE(shellCalls[0].hasVerb);
    EXPECT_EQ(shellCalls[0].file, row.file);
    EXPECT_EQ(shellCalls[0].hasParameters, row.parameters != nullptr);
    if (row.parameters) EXPECT_EQ(shellCalls[0].parameters, row.parameters);
    EXPECT_FALSE(shellCalls[0].hasFolder);
    EXPECT_EQ(shellCalls[0].show, SW_SHOW);
    EXPECT_EQ(TakePostedCommands(ownWindow), std::vector<int>{kCmdExit});
  }
}

// A copy installed just for the user registers its uninstaller in HKCU, one for everyone
// in HKLM: the entry whose folder holds the running program names its uninstaller. When
// none does, this copy was not installed and starts no other copy's uninstaller.
TEST_F(UninstallTest, StartsOnlyTheUninstallerOfItsOwnInstallation) {
  std::string ownFolder = OwnPath().substr(0, OwnPath().rfind('\\'));
  const std::string machine = "C:\\Program Files\\Dozelite\\uninstall.exe";
  const std::string user = "C:\\users\\me\\AppData\\Local\\Programs\\Dozelite\\uninstall.exe";
  const std::string inOwnFolder = ownFolder + "\\uninstall.exe";
  const std::string none;
  struct Row {
    const char* name;
    const char* machineFolder;  // nullptr: no entry for everyone; "": no InstallLocation
    const char* userFolder;     // nullptr: no entry for the user; "own": this program's folder
    const std::string& machineCommand;
    const std::string& expected;  // empty: no uninstaller is started
  } rows[] = {
      {"only the user's entry, elsewhere", nullptr, "C:\\elsewhere", machine, none},
      {"the user's entry names this folder", "C:\\Program Files\\Dozelite", "own", machine, user},
      {"the same, written with a final backslash", "C:\\Program Files\\Dozelite", "own\\", machine, user},
      {"the machine's entry names this folder", "own", "C:\\elsewhere", machine, machine},
      {"neither names it", "C:\\Program Files\\Dozelite", "C:\\elsewhere", machine, none},
      {"no InstallLocation, an uninstaller in this folder", "", nullptr, inOwnFolder, inOwnFolder},
      {"no InstallLocation, an uninstaller elsewhere", "", nullptr, machine, none},
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
      SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + row.machineCommand + "\"");
      if (row.machineFolder[0]) SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", folder(row.machineFolder));
    }
    if (row.userFolder) {
      SetString(HKEY_CURRENT_USER, kUninstallKey, "UninstallString", user);
      SetString(HKEY_CURRENT_USER, kUninstallKey, "InstallLocation", folder(row.userFolder));
    }
    MessageBoxCapture boxes;
    boxes.set_answer(IDNO);
    shellCalls.clear();
    EXPECT_EQ(UninstallDozelite(), 1);
    if (row.expected.empty()) {
      EXPECT_TRUE(shellCalls.empty());
      EXPECT_EQ(boxes.boxes().size(), 1u);  // the question of an uninstalled copy
    } else {
      ASSERT_EQ(shellCalls.size(), 1u);
      EXPECT_EQ(shellCalls[0].file, row.expected);
      EXPECT_TRUE(boxes.boxes().empty());
    }
    TakePostedCommands(ownWindow);
  }
}

// An uninstalled (portable) copy asks first; on yes it removes its settings and its own
// log-on entry, written quoted or bare, and ends; another copy's entry stays; on no
// nothing changes and it keeps running.
TEST_F(UninstallTest, AnUninstalledCopyRemovesOnlyItsOwnSettingsAfterAsking) {
  const char* kSettings = "Software\\Dozelite";
  const char* kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  std::string otherCopy = "C:\\Program Files\\Dozelite\\Dozelite.exe";
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"C:\\Program Files\\Dozelite\\uninstall.exe\"");
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", "C:\\Program Files\\Dozelite");
  struct Row {
    const char* name;
    int answer;
    std::string run;  // the log-on entry before
    bool removed;     // settings and log-on entry gone
  } rows[] = {
      {"no: nothing changes", IDNO, "\"" + OwnPath() + "\"", false},
      {"yes, entry quoted", IDYES, "\"" + OwnPath() + "\"", true},
      {"yes, entry bare", IDYES, OwnPath(), true},
      {"yes, another copy's entry", IDYES, "\"" + otherCopy + "\"", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetString(HKEY_CURRENT_USER, kSettings, "e2emarker", "kept");
    SetString(HKEY_CURRENT_USER, kRun, "Dozelite", row.run);
    MessageBoxCapture boxes;
    boxes.set_answer(row.answer);
    shellCalls.clear();
    EXPECT_EQ(UninstallDozelite(), 1);
    EXPECT_TRUE(shellCalls.empty());  // the installed copy's uninstaller is never started
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_NE(boxes.boxes()[0].text.find(OwnPath()), std::string::npos);
    EXPECT_EQ(boxes.boxes()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    std::string value;
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kSettings, "e2emarker", &value), !row.removed);
    bool ownEntry = row.run.find(otherCopy) == std::string::npos;
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kRun, "Dozelite", &value), !(row.removed && ownEntry));
    EXPECT_EQ(TakePostedCommands(ownWindow), row.removed ? std::vector<int>{kCmdExit} : std::vector<int>{});
    DeleteValue(HKEY_CURRENT_USER, kRun, "Dozelite");
  }
  DeleteRegistryTree(HKEY_CURRENT_USER, kSettings);
}

TEST_F(UninstallTest, AnUninstallerThatCannotStartLeavesALogLineThenTheExit) {
  MessageBoxCapture boxes;
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "C:\\nowhere\\uninstall.exe");
  SetString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", OwnPath().substr(0, OwnPath().rfind('\\')));
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
