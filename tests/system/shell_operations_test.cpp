#include "system/shell_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "build_config.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "support/test_support.h"
#include "system/help.h"
#include "update/uuid.h"

namespace {

struct ShellCall {
  std::string file;
  std::string parameters;
  std::string folder;
  int show;
};

std::vector<ShellCall> shellCalls;
INT_PTR shellResult = 42;

HINSTANCE FakeShellExecute(HWND, const char*, const char* file, const char* parameters, const char* folder, int show) {
  shellCalls.push_back({file ? file : "", parameters ? parameters : "", folder ? folder : "", show});
  return reinterpret_cast<HINSTANCE>(shellResult);
}

std::vector<std::string> processLines;
std::vector<std::string> processFolders;

BOOL FakeCreateProcess(const char*, char* commandLine, const char* folder, STARTUPINFOA*, PROCESS_INFORMATION*) {
  processLines.push_back(commandLine);
  processFolders.push_back(folder ? folder : "");
  return FALSE;
}

class ShellOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    CopyText(AppState.versionText, "3.0", sizeof(AppState.versionText));
    shellCalls.clear();
    processLines.clear();
    processFolders.clear();
    shellResult = 42;
    ShellExecuteEntry = FakeShellExecute;
    CreateProcessEntry = FakeCreateProcess;
  }
  void TearDown() override {
    ShellExecuteEntry = RealShellExecute;
    CreateProcessEntry = RealCreateProcess;
  }
  MessageBoxCapture boxes_;
};

}  // namespace

TEST_F(ShellOperationsTest, ExecuteFileSplitsAtTheFirstSpace) {
  EXPECT_TRUE(ExecuteFile("explorer.exe /select,C:\\Temp\\x.log"));
  EXPECT_TRUE(ExecuteFile("C:\\Tools\\a.exe -x"));
  EXPECT_TRUE(ExecuteFile("notepad.exe"));
  ASSERT_EQ(shellCalls.size(), 3u);
  EXPECT_EQ(shellCalls[0].file, "explorer.exe");
  EXPECT_EQ(shellCalls[0].parameters, " /select,C:\\Temp\\x.log");
  EXPECT_EQ(shellCalls[0].folder, "");
  EXPECT_EQ(shellCalls[0].show, SW_SHOWNORMAL);
  EXPECT_EQ(shellCalls[1].file, "a.exe");
  EXPECT_EQ(shellCalls[1].parameters, " -x");
  EXPECT_EQ(shellCalls[1].folder, "C:\\Tools\\");
  EXPECT_EQ(shellCalls[2].parameters, "");
}

TEST_F(ShellOperationsTest, ShellFailuresAreReportedWithTheirCode) {
  shellResult = 2;
  EXPECT_FALSE(ExecuteFile("C:\\missing.exe -a"));
  EXPECT_FALSE(BrowseWebSite("http://example.invalid/"));
  EXPECT_FALSE(SendMail(nullptr, nullptr, nullptr));
  ASSERT_EQ(boxes_.boxes().size(), 3u);
  EXPECT_EQ(boxes_.boxes()[0].text, "Unable to open C:\\missing.exe: Error=2");
  EXPECT_EQ(boxes_.boxes()[1].text,
            std::string("Unable to launch default web browser.\nPlease visit the Dozelite website at ") +
                DOZELITE_WEB_URL);
  EXPECT_EQ(boxes_.boxes()[2].text,
            std::string("Unable to launch default mail client.\nPlease send your feedback to ") +
                DOZELITE_SUPPORT_EMAIL);
  EXPECT_EQ(boxes_.boxes()[2].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(ShellOperationsTest, TellAFriendAddressIsEncoded) {
  std::string body = std::string("Hi!\n\nI Just thought you should check out this cool screen saver utility called "
                                 "'Dozelite' at ") +
                     DOZELITE_WEB_URL + " ...";
  EXPECT_TRUE(SendMail(nullptr, nullptr, body.c_str()));
  ASSERT_EQ(shellCalls.size(), 1u);
  EXPECT_EQ(shellCalls[0].file.rfind("mailto:?subject=Dozelite%203.0&body=Hi%21%0A%0AI%20Just", 0), 0u)
      << shellCalls[0].file;
  EXPECT_TRUE(SendMail("support@example.com", "Hello there", nullptr));
  EXPECT_EQ(shellCalls[1].file, "mailto:support@example.com?subject=Hello%20there");
}

TEST_F(ShellOperationsTest, MailAddressesNeverOverflow) {
  std::string huge(5000, '&');
  EXPECT_TRUE(SendMail(huge.c_str(), huge.c_str(), huge.c_str()));
  ASSERT_EQ(shellCalls.size(), 1u);
  EXPECT_LT(shellCalls[0].file.size(), 1024u);
}

TEST_F(ShellOperationsTest, ControlPanelRunsControlFromTheSystemFolder) {
  EXPECT_EQ(OpenControlPanel(true, "desk.cpl,,1"), 1);
  EXPECT_EQ(OpenControlPanel(false, "powercfg.cpl"), 1);
  char system[MAX_PATH];
  char windows[MAX_PATH];
  GetSystemDirectoryA(system, sizeof(system));
  GetWindowsDirectoryA(windows, sizeof(windows));
  ASSERT_EQ(processLines.size(), 2u);
  EXPECT_EQ(processLines[0], std::string(system) + "\\control.exe desk.cpl,,1");
  EXPECT_EQ(processFolders[0], system);
  EXPECT_EQ(processLines[1], std::string(windows) + "\\control.exe powercfg.cpl");
}

TEST(ShowHelp, ShuttingDownBeforeAnyRequestDoesNothing) { EXPECT_EQ(ShowHelp(nullptr, 0), 0); }

TEST(GenerateUuid, MakesVersionFourIdentifiers) {
  char first[37];
  char second[37];
  GenerateUuid(first);
  GenerateUuid(second);
  EXPECT_EQ(strlen(first), 36u);
  EXPECT_EQ(first[14], '4');
  EXPECT_NE(strchr("89ab", first[19]), nullptr);
  for (const char* c = first; *c; c++) EXPECT_TRUE(*c == '-' || isdigit(*c) || (*c >= 'a' && *c <= 'f'));
  EXPECT_STRNE(first, second);
}
