// Start-up as a process: the real Dozelite.exe under Wine, with its own temporary
// folder so its log can be read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <regex>
#include <string>

#include "support/test_support.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_ = MakeTempFolder("startup");
    environment_ = {"TEMP=" + temp_, "TMP=" + temp_};
    exe_ = "\"" + BuildFilePath("Dozelite.exe") + "\"";
    ASSERT_EQ(FindWindowA("DozeliteTrayIconClass", "Dozelite"), nullptr) << "another Dozelite is running";
  }
  void TearDown() override {
    if (HWND window = FindWindowA("DozeliteTrayIconClass", "Dozelite")) PostMessageA(window, WM_CLOSE, 0, 0);
    WaitFor([] { return FindWindowA("DozeliteTrayIconClass", "Dozelite") == nullptr; }, 5000);
    RemoveTree(temp_);
  }
  std::string Log() { return ReadTextFile(temp_ + "\\Dozelite.log"); }
  std::string temp_;
  std::vector<std::string> environment_;
  std::string exe_;
};

HWND WaitForMainWindow() {
  HWND window = nullptr;
  WaitFor([&] { return (window = FindWindowA("DozeliteTrayIconClass", "Dozelite")) != nullptr; }, 15000);
  return window;
}

}  // namespace

TEST_F(StartupTest, FirstInstanceStaysSecondHandsOffAndBothEndWithZero) {
  DWORD firstId = 0;
  HANDLE first = StartProcess(exe_ + " nosplash notips", environment_, &firstId);
  ASSERT_NE(first, nullptr);
  HWND window = WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(owner, firstId);
  EXPECT_FALSE(IsWindowVisible(window));

  // The log begins with the banner after the first line's time stamp.
  ASSERT_TRUE(WaitFor([&] { return Log().find(" icon sizes: ") != std::string::npos; }, 15000));
  std::string log = Log();
  size_t banner = log.find(" \r\n\r\nDozelite Version 3.0\r\n");
  ASSERT_NE(banner, std::string::npos) << log;
  EXPECT_EQ(log.find("\r\n"), banner + 1);
  EXPECT_NE(log.find("\r\nInitializing at "), std::string::npos);
  EXPECT_NE(log.find(" OS detected: platformID=2, info="), std::string::npos);
  EXPECT_NE(log.find(" UUID: "), std::string::npos);
  EXPECT_NE(log.find(" icon sizes: "), std::string::npos);
  // The language is chosen before any window: Windows' own, named by the system's tag.
  size_t language = log.find(" Language: ");
  ASSERT_NE(language, std::string::npos) << log;
  EXPECT_LT(language, log.find(" UUID: "));
  std::string line = log.substr(language + 1, log.find("\r\n", language) - language - 1);
  EXPECT_TRUE(std::regex_match(line, std::regex("Language: [a-z]{2,3}-[A-Z]{2} \\(from Windows\\)"))) << line;

  // A second start finds the first, hands over and ends with 0; the first keeps running.
  ProcessResult second = RunProcess(exe_ + " nosplash=0 notips", environment_, 20000);
  EXPECT_TRUE(second.finished);
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  // The running copy tells in a balloon what the hand-off changed.
  EXPECT_TRUE(WaitFor([&] { return Log().find(" Notification: Settings updated") != std::string::npos; }, 15000));

  // Closing the main window ends the first instance with 0 and closes its log.
  PostMessageA(window, WM_CLOSE, 0, 0);
  ProcessResult ended = WaitProcess(first, 10000);
  CloseHandle(first);
  EXPECT_TRUE(ended.finished);
  EXPECT_EQ(ended.exitCode, 0u);
  log = Log();
  EXPECT_EQ(log.substr(log.size() - 19), "Closing log file.\r\n");
  size_t banners = 0;
  for (size_t at = log.find("Dozelite Version 3.0"); at != std::string::npos;
       at = log.find("Dozelite Version 3.0", at + 1))
    banners++;
  EXPECT_EQ(banners, 2u);
}

// A random saver at start-up is what "randomonload" asks for, not "randomonclick".
TEST_F(StartupTest, StartChoosesARandomSaverForRandomOnLoadOnly) {
  const char* kDesktop = "Control Panel\\desktop";
  std::string savers = temp_ + "\\savers";
  CreateDirectoryA(savers.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(BuildFilePath("savers\\aurora.scr").c_str(), (savers + "\\aurora.scr").c_str(), FALSE));
  struct Case {
    const char* options;
    bool chosen;
  } cases[] = {{" kill randomonload", true}, {" kill randomonclick randomonload=0", false}};
  for (const Case& c : cases) {
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Dozelite");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Dozelite", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "saverpath0", 0, REG_SZ, reinterpret_cast<const BYTE*>(savers.c_str()),
                   static_cast<DWORD>(savers.size() + 1));
    RegCloseKey(key);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE");

    ProcessResult run = RunProcess(exe_ + c.options, environment_, 30000);
    EXPECT_TRUE(run.finished && run.exitCode == 0) << c.options;
    std::string current;
    bool set = ReadRegistryString(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE", &current);
    EXPECT_EQ(set, c.chosen) << c.options << ": " << current;
    if (set) {
      EXPECT_EQ(_stricmp(current.c_str(), (savers + "\\aurora.scr").c_str()), 0) << current;
    }
  }
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "SCRNSAVE.EXE");
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Dozelite");
}

// The program asks for the UTF-8 code page; where the system does not give it (a copy
// whose request the system ignores), the log says so once at start. A copy of the program
// whose manifest names an unknown code page stands in for an older system.
TEST_F(StartupTest, ALogLineSaysWhenTheUtf8CodePageIsNotInEffect) {
  std::string copy = temp_ + "\\legacy";
  ASSERT_TRUE(CreateDirectoryA(copy.c_str(), nullptr));
  std::string program = ReadTextFile(BuildFilePath("Dozelite.exe"));
  const std::string request = ">UTF-8</activeCodePage>";
  size_t at = program.find(request);
  ASSERT_NE(at, std::string::npos);
  program.replace(at + 1, 5, "UTF-0");
  ASSERT_TRUE(WriteTextFile(copy + "\\Dozelite.exe", program));
  const char* line = "The UTF-8 code page is not in effect (code page ";
  ProcessResult legacy = RunProcess("\"" + copy + "\\Dozelite.exe\" kill", environment_, 30000);
  EXPECT_TRUE(legacy.finished);
  std::string log = Log();
  EXPECT_EQ(log.find(line), log.rfind(line));
  EXPECT_NE(log.find(line), std::string::npos) << log;
  ASSERT_TRUE(DeleteFileA((temp_ + "\\Dozelite.log").c_str()));
  ProcessResult utf8 = RunProcess(exe_ + " kill", environment_, 30000);
  EXPECT_TRUE(utf8.finished);
  EXPECT_EQ(Log().find(line), std::string::npos) << Log();
}

// A resident start shows its icon first; the catalog (here two hundred savers and no cache)
// is built after it.
TEST_F(StartupTest, TheIconComesBeforeTheCatalog) {
  std::string savers = temp_ + "\\many";
  CreateDirectoryA(savers.c_str(), nullptr);
  std::string sample = BuildFilePath("savers\\aurora.scr");
  for (int n = 0; n < 200; n++)
    ASSERT_TRUE(CopyFileA(sample.c_str(), (savers + "\\aurora" + std::to_string(n) + ".scr").c_str(), FALSE));
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Dozelite");
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite", "saverpath0", savers));
  std::vector<std::string> environment = environment_;
  environment.push_back("LOCALAPPDATA=" + temp_);  // no cache of an earlier run
  HANDLE process = StartProcess(exe_ + " nosplash notips", environment);
  ASSERT_NE(process, nullptr);
  HWND window = WaitForMainWindow();
  // The shell knows the icon once a change of nothing to it succeeds.
  NOTIFYICONDATAA icon = {};
  icon.cbSize = sizeof(icon);
  icon.hWnd = window;
  icon.uID = 1;
  bool shown = window && WaitFor([&] { return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE; }, 15000);
  std::string log = Log();
  bool built = WaitFor([&] { return Log().find("GetSaverEnumeration processed 200 savers") != std::string::npos; },
                       30000);
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  ProcessResult ended = WaitProcess(process, 15000);
  if (!ended.finished) TerminateProcess(process, 99);
  CloseHandle(process);
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Dozelite");
  ASSERT_TRUE(shown) << "no icon";
  EXPECT_EQ(log.find("GetSaverEnumeration processed"), std::string::npos) << "the icon waited for the catalog";
  EXPECT_TRUE(built);
}
