// The help file beside the executable, opened through the real HTML Help control. The
// topic pane stays blank under Wine without its browser engine; the window and its
// title (taken from the compiled help file) are what a user sees first.
#include "system/help.h"

#include <gtest/gtest.h>

#include <string>

#include "log/log.h"
#include "support/test_support.h"

namespace {

constexpr const char* kHelpTitle = "Dozelite Help";
constexpr DWORD kWindowWaitMs = 15000;

HWND FindHelpWindow() { return FindWindowA(nullptr, kHelpTitle); }

void CloseHelpWindow() {
  HWND help = FindHelpWindow();
  if (!help) return;
  PostMessageA(help, WM_CLOSE, 0, 0);
  WaitFor([] { return FindHelpWindow() == nullptr; }, kWindowWaitMs);
}

class ShowHelpTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    logFolder_ = MakeTempFolder("help");
    logPath_ = logFolder_ + "\\Dozelite.log";
    InitLog(nullptr, "Dozelite", logPath_.c_str());
    SetAutoLogToFile(true);
    owner_ = CreateTestWindow();
  }
  static void TearDownTestSuite() {
    CloseHelpWindow();
    ShowHelp(nullptr, 0);
    DestroyWindow(owner_);
    CloseLog();
    RemoveTree(logFolder_);
  }
  void TearDown() override { CloseHelpWindow(); }

  static std::string logFolder_;
  static std::string logPath_;
  static HWND owner_;
};

std::string ShowHelpTest::logFolder_;
std::string ShowHelpTest::logPath_;
HWND ShowHelpTest::owner_ = nullptr;

TEST_F(ShowHelpTest, TheHelpFileIsBuiltBesideTheProgram) {
  EXPECT_TRUE(FileExists(BuildFilePath("Dozelite.chm")));
}

TEST_F(ShowHelpTest, ContextOneOpensTheHelpWindowTitledFromTheFile) {
  INT_PTR result = ShowHelp(owner_, 1);
  ASSERT_NE(result, 0) << "HH_HELP_CONTEXT 1 found no topic";
  ASSERT_TRUE(WaitFor([] { return FindHelpWindow() != nullptr; }, kWindowWaitMs));
  EXPECT_EQ(reinterpret_cast<HWND>(result), FindHelpWindow());

  CloseHelpWindow();
  EXPECT_EQ(FindHelpWindow(), nullptr);
}

TEST_F(ShowHelpTest, ContentsOpenForContextZero) {
  INT_PTR result = ShowHelp(owner_, 0);
  ASSERT_NE(result, 0);
  EXPECT_TRUE(WaitFor([] { return FindHelpWindow() != nullptr; }, kWindowWaitMs));
}

TEST_F(ShowHelpTest, AnUnmappedContextShowsNothingAndIsLogged) {
  EXPECT_EQ(ShowHelp(owner_, 4242), 0);
  EXPECT_EQ(FindHelpWindow(), nullptr);
  std::string log = ReadTextFile(logPath_);
  EXPECT_NE(log.find("Can't find help file "), std::string::npos) << log;
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) count++;
  return count;
}

// Each help request costs seconds under Wine: the requests of the tests above count,
// and only when this test runs alone does it make its own.
TEST_F(ShowHelpTest, TheHelpPathIsResolvedOnceAndReused) {
  while (CountOf(ReadTextFile(logPath_), "ShowHelp\r\n") < 2) {
    ShowHelp(owner_, 1);
    CloseHelpWindow();
  }
  std::string log = ReadTextFile(logPath_);
  std::string resolved = "ShowHelp: '" + BuildFilePath("Dozelite.chm") + "'";
  EXPECT_EQ(CountOf(log, resolved), 1u) << log;
}

}  // namespace
