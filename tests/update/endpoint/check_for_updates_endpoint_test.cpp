// CheckForServerUpdatesAt under Wine against the reference endpoint: what the user sees
// (message boxes through the entry point), what is logged, and command 40060 on Yes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/window_proc.h"
#include "build_config.h"
#include "endpoint.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/test_support.h"
#include "update/http_client.h"
#include "update/update_check.h"

namespace {

std::vector<int> sentCommands;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) sentCommands.push_back(LOWORD(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

class CheckForUpdates : public EndpointTest {
 protected:
  void SetUp() override {
    EndpointTest::SetUp();
    folder_ = MakeTempFolder("update-check");
    InitLog(nullptr, "Dozelite", (folder_ + "\\Dozelite.log").c_str());
    SetAutoLogToFile(false);
    strcpy(AppState.versionText, "3.0");
    strcpy(AppState.id, "0e8c2a4d-5b6f-4a1e-9c3d-7f1a2b3c4d5e");
    window_ = CreateTestWindow(RecordingProc);
    AppState.mainWindow = window_;
    sentCommands.clear();
  }
  void TearDown() override {
    AppState.mainWindow = nullptr;
    DestroyWindow(window_);
    CloseLog();
    RemoveTree(folder_);
  }
  int Check(const std::string& mode, bool interactive) {
    return CheckForServerUpdatesAt(EndpointUrl(mode).c_str(), EndpointKeyHex().c_str(), interactive);
  }

  std::string folder_;
  HWND window_ = nullptr;
};

}  // namespace

TEST_F(CheckForUpdates, NewerVersionOffersTheWebPageAndOpensItOnYes) {
  MessageBoxCapture boxes;
  boxes.set_answer(IDYES);
  EXPECT_EQ(Check("", true), 1);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  const MessageBoxRecord& box = boxes.boxes()[0];
  EXPECT_EQ(box.text, "A new version of Dozelite is available!\nWould you like to download version 3.1 from the website now?");
  EXPECT_EQ(box.caption, "Dozelite");
  EXPECT_EQ(box.owner, window_);
  EXPECT_EQ(box.type & 0xF, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(sentCommands, std::vector<int>{kCmdBrowseWebsite});
  EXPECT_NE(BufferedLog().find("CheckForServerUpdates: version 3.1 is available"), std::string::npos);
}

TEST_F(CheckForUpdates, NoLeavesTheWebPageClosedAndAutomaticChecksAskToo) {
  MessageBoxCapture boxes;
  boxes.set_answer(IDNO);
  EXPECT_EQ(Check("chunked", false), 1);
  EXPECT_EQ(boxes.boxes().size(), 1u);
  EXPECT_TRUE(sentCommands.empty());
}

TEST_F(CheckForUpdates, UpToDateIsToldOnlyWhenAsked) {
  MessageBoxCapture boxes;
  EXPECT_EQ(Check("version/3.0", true), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "You already have the latest version of Dozelite installed.");
  EXPECT_EQ(boxes.boxes()[0].caption, "Dozelite");
  EXPECT_EQ(boxes.boxes()[0].type & 0xF, static_cast<UINT>(MB_OK));
  EXPECT_EQ(Check("version/2.9", false), 0);
  EXPECT_EQ(boxes.boxes().size(), 1u);
  EXPECT_NE(BufferedLog().find("CheckForServerUpdates: no updates"), std::string::npos);
}

TEST_F(CheckForUpdates, InteractiveFailuresShowTheirErrorText) {
  struct Case {
    const char* mode;
    const char* text;
  } cases[] = {
      {"tampered", "Error: the data received from the server appears to be corrupt"},
      {"no-signature", "Error: the data received from the server appears to be corrupt"},
      {"raw/x%3D1", "Error: error getting latest version from server"},
      {"not-found", "Error: received invalid response from server"},
      {"size/16384", "Error: response body too long"},
      {"cut-short", "Error: error reading server response"},
  };
  for (const Case& c : cases) {
    MessageBoxCapture boxes;
    EXPECT_EQ(Check(c.mode, true), -1) << c.mode;
    ASSERT_EQ(boxes.boxes().size(), 1u) << c.mode;
    EXPECT_EQ(boxes.boxes()[0].text, c.text);
    EXPECT_EQ(boxes.boxes()[0].caption, "Dozelite Update");
    EXPECT_EQ(boxes.boxes()[0].owner, nullptr);
  }
  EXPECT_TRUE(sentCommands.empty());
}

TEST_F(CheckForUpdates, AcceptsTheLargestBody) {
  MessageBoxCapture boxes;
  boxes.set_answer(IDNO);
  EXPECT_EQ(Check("size/16383", true), 1);
}

TEST_F(CheckForUpdates, AutomaticFailuresShowAndLogNothing) {
  MessageBoxCapture boxes;
  std::string before = BufferedLog();
  int saved = GetHttpTimeout();
  SetHttpTimeout(500);
  for (const char* mode : {"tampered", "not-found", "silent", "close"}) EXPECT_EQ(Check(mode, false), -1) << mode;
  SetHttpTimeout(saved);
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(BufferedLog(), before);
}

TEST_F(CheckForUpdates, ASilentServerTimesOutForTheUser) {
  MessageBoxCapture boxes;
  int saved = GetHttpTimeout();
  SetHttpTimeout(500);
  DWORD start = GetTickCount();
  EXPECT_EQ(Check("silent", true), -1);
  SetHttpTimeout(saved);
  EXPECT_LT(GetTickCount() - start, 10000u);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Error: error receiving server response");
}

namespace {

std::vector<std::string> openedAddresses;

HINSTANCE RecordShellExecute(HWND, const char*, const char* file, const char*, const char*, int) {
  openedAddresses.push_back(file ? file : "");
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

}  // namespace

// The whole way a user takes: the answer offers the new version, Yes sends 40060 to the
// real main window, and its dispatcher opens the tracked web page.
TEST_F(CheckForUpdates, YesOpensTheTrackedWebPageThroughTheMainWindow) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TrayWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DozeliteUpdateEndpointTest";
    RegisterClassA(&windowClass);
    registered = true;
  }
  HWND main = CreateWindowExA(0, "DozeliteUpdateEndpointTest", "Dozelite test", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(main, nullptr);
  AppState.mainWindow = main;
  openedAddresses.clear();
  ShellExecuteEntry = RecordShellExecute;
  MessageBoxCapture boxes;
  boxes.set_answer(IDYES);
  EXPECT_EQ(Check("", true), 1);
  ShellExecuteEntry = RealShellExecute;
  AppState.mainWindow = window_;
  DestroyWindow(main);
  ASSERT_EQ(openedAddresses.size(), 1u);
  EXPECT_EQ(openedAddresses[0],
            std::string(DOZELITE_WEB_URL) + "?v=3.0&u=0e8c2a4d-5b6f-4a1e-9c3d-7f1a2b3c4d5e");
}
