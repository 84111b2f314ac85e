// The menu's update check under Wine against the reference endpoint: it runs on a worker
// while the main window keeps answering, shows its box on the main window's thread when
// it ends, and never runs beside another check.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/window_proc.h"
#include "endpoint.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "support/test_support.h"
#include "update/http_client.h"
#include "update/update_check.h"

namespace {

std::mutex boxLock;
std::vector<std::string> shownBoxes;

// The boxes come from the main window's thread while the test thread watches.
int RecordBox(HWND, const char* text, const char*, UINT) {
  std::lock_guard<std::mutex> hold(boxLock);
  shownBoxes.push_back(text ? text : "");
  return IDNO;
}

size_t BoxCount() {
  std::lock_guard<std::mutex> hold(boxLock);
  return shownBoxes.size();
}

// The main window on a thread of its own, as in the resident program: `atStart` runs on
// that thread once the window exists, then its message loop runs until WM_QUIT.
class MainWindowThread {
 public:
  explicit MainWindowThread(std::function<void(HWND)> atStart) {
    thread_ = std::thread([this, atStart] {
      static bool registered = false;
      if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = TrayWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "DozeliteMenuCheckTest";
        RegisterClassA(&windowClass);
        registered = true;
      }
      HWND window = CreateWindowExA(0, "DozeliteMenuCheckTest", "Dozelite test", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      AppState.mainWindow = window;
      threadId_ = GetCurrentThreadId();
      window_ = window;
      if (window) atStart(window);
      MSG message;
      while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
      AppState.mainWindow = nullptr;
      if (window) DestroyWindow(window);
    });
    WaitFor([this] { return window_.load() != nullptr; }, 10000);
  }
  ~MainWindowThread() {
    WaitFor([this] { return threadId_.load() != 0; }, 10000);
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND window() const { return window_; }

 private:
  std::thread thread_;
  std::atomic<HWND> window_{nullptr};
  std::atomic<DWORD> threadId_{0};
};

class MenuUpdateCheck : public EndpointTest {
 protected:
  void SetUp() override {
    EndpointTest::SetUp();
    folder_ = MakeTempFolder("menu-update-check");
    InitLog(nullptr, "Dozelite", (folder_ + "\\Dozelite.log").c_str());
    strcpy(AppState.versionText, "3.0");
    strcpy(AppState.id, "0e8c2a4d-5b6f-4a1e-9c3d-7f1a2b3c4d5e");
    shownBoxes.clear();
    MessageBoxEntry = RecordBox;
  }
  void TearDown() override {
    MessageBoxEntry = RealMessageBox;
    CloseLog();
    RemoveTree(folder_);
  }
  std::string folder_;
};

}  // namespace

// A server that trickles one byte every 2 s: the window answers within a second all the
// while, and the check ends with its error box within 75 s.
TEST_F(MenuUpdateCheck, ATricklingServerNeitherFreezesTheWindowNorHoldsTheCheck) {
  ASSERT_EQ(GetHttpDeadline(), 60000);
  std::string url = EndpointUrl("trickle/2000");
  std::string key = EndpointKeyHex();
  std::atomic<bool> started{false};
  DWORD start = GetTickCount();
  MainWindowThread main([&](HWND window) { started = StartUpdateCheckAt(window, url.c_str(), key.c_str()); });
  ASSERT_NE(main.window(), nullptr);
  int probes = 0;
  int unanswered = 0;
  DWORD slowest = 0;
  while (BoxCount() == 0 && GetTickCount() - start < 80000) {
    DWORD sent = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main.window(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) unanswered++;
    slowest = std::max(slowest, GetTickCount() - sent);
    probes++;
    Sleep(200);
  }
  DWORD ended = GetTickCount() - start;
  printf("trickling server: %d probes, slowest answer %lu ms, box after %lu ms\n", probes,
         static_cast<unsigned long>(slowest), static_cast<unsigned long>(ended));
  EXPECT_TRUE(started);
  EXPECT_GT(probes, 100);
  EXPECT_EQ(unanswered, 0);
  EXPECT_LT(slowest, 1000u);
  ASSERT_EQ(BoxCount(), 1u) << "no box within " << ended << " ms";
  EXPECT_LT(ended, 75000u);
  EXPECT_EQ(shownBoxes[0].rfind("Error: ", 0), 0u) << shownBoxes[0];
}

TEST_F(MenuUpdateCheck, TwoChecksNeverRunAtOnce) {
  int savedDeadline = GetHttpDeadline();
  SetHttpDeadline(2000);
  std::string url = EndpointUrl("trickle/100");
  std::string key = EndpointKeyHex();
  std::atomic<int> first{-9}, second{-9}, automatic{-9};
  std::atomic<DWORD> automaticMs{0};
  {
    MainWindowThread main([&](HWND window) {
      first = StartUpdateCheckAt(window, url.c_str(), key.c_str());
      second = StartUpdateCheckAt(window, url.c_str(), key.c_str());
      DWORD before = GetTickCount();
      automatic = CheckForServerUpdatesAt(url.c_str(), key.c_str(), true);
      automaticMs = GetTickCount() - before;
    });
    ASSERT_TRUE(WaitFor([] { return BoxCount() >= 1; }, 20000));
    Sleep(500);  // time for a box of a refused request to show, were there one
  }
  SetHttpDeadline(savedDeadline);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0) << "a second menu check started while the first ran";
  EXPECT_EQ(automatic, -1) << "the automatic check ran beside the menu's";
  EXPECT_LT(automaticMs, 1000u);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(shownBoxes[0].rfind("Error: ", 0), 0u) << shownBoxes[0];
}
