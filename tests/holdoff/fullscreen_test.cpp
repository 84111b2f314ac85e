// The full-screen detector over real windows of other processes: each kind of window
// brought to the front, and the check that a window is still in front of its monitor.
#include "holdoff/fullscreen.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_program.h"

namespace {

struct KindCase {
  const char* file;
  const char* arguments;
  bool fullScreen;
  bool zoomed;  // the window really is of its kind
};

bool ClientCoversMonitor(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return client.left <= info.rcMonitor.left && client.top <= info.rcMonitor.top &&
         client.right >= info.rcMonitor.right && client.bottom >= info.rcMonitor.bottom;
}

}  // namespace

TEST(FindFullScreenForeground, TellsTheWindowKindsApart) {
  const KindCase cases[] = {
      {"window_kinds.exe", "popup", true, false},
      {"window_kinds.exe", "larger", true, false},
      {"window_kinds.exe", "framed", false, true},
      {"window_kinds.exe", "selfframed", false, true},
      {"window_kinds.exe", "saverclass", false, false},
      {"savers\\aurora.scr", "/s", false, false},
  };
  for (const KindCase& test : cases) {
    std::string what = std::string(test.file) + " " + test.arguments;
    TestProgram program(test.file, test.arguments);
    HWND window = program.Front(false);
    ASSERT_NE(window, nullptr) << what;
    EXPECT_EQ(IsZoomed(window) != 0, test.zoomed) << what;
    if (test.zoomed && !test.fullScreen && std::string(test.arguments) == "selfframed")
      EXPECT_TRUE(ClientCoversMonitor(window)) << what << ": a self-framed maximised window covers its monitor";
    HMONITOR monitor = nullptr;
    EXPECT_EQ(FindFullScreenForeground(&monitor), test.fullScreen ? window : nullptr) << what;
    EXPECT_EQ(monitor != nullptr, test.fullScreen) << what;
  }
}

TEST(IsInFrontOfItsMonitor, OnlyAnotherProgramsWindowOverItCoversIt) {
  TestProgram video("window_kinds.exe", "popup");
  HWND videoWindow = video.Front(false);
  ASSERT_NE(videoWindow, nullptr);
  EXPECT_TRUE(IsInFrontOfItsMonitor(videoWindow));

  // This program's own window over it (the tray menu, a dialog) does not count.
  HWND own = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "own", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_NE(own, nullptr);
  WaitFor([&] { return SetForegroundWindow(own) && GetForegroundWindow() == own; }, 3000);
  EXPECT_TRUE(IsInFrontOfItsMonitor(videoWindow));
  EXPECT_EQ(FindFullScreenForeground(nullptr), nullptr) << "this program's window is in front";

  TestProgram dialog("savers\\starlight.scr", "/c");
  ASSERT_NE(dialog.Front(false), nullptr);
  EXPECT_FALSE(IsInFrontOfItsMonitor(videoWindow)) << "a settings dialog of another program lies over it";
  DestroyWindow(own);
  ASSERT_TRUE(video.End());
  EXPECT_FALSE(IsInFrontOfItsMonitor(videoWindow)) << "a closed window";
}
