#include "triggers/watchers.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <atomic>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/tray_icon.h"
#include "shell/entry_points.h"
#include "support/test_support.h"

namespace {

// Collects the commands posted to `window` for `ms` milliseconds without dispatching
// anything (a message pump would swallow them).
std::vector<int> CollectCommands(HWND window, DWORD ms) {
  std::vector<int> all;
  DWORD start = GetTickCount();
  do {
    std::vector<int> some = TakePostedCommands(window);
    all.insert(all.end(), some.begin(), some.end());
    Sleep(20);
  } while (GetTickCount() - start < ms);
  std::vector<int> some = TakePostedCommands(window);
  all.insert(all.end(), some.begin(), some.end());
  return all;
}

// Waits up to `ms` for the first command; returns it (0 if none) and the time it took.
int FirstCommand(HWND window, DWORD ms, DWORD* elapsed = nullptr) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    std::vector<int> some = TakePostedCommands(window);
    if (!some.empty()) {
      if (elapsed) *elapsed = GetTickCount() - start;
      return some.front();
    }
    Sleep(10);
  }
  return 0;
}

// Moves the cursor and waits until the position reads back: the emulator's first move
// after start may be undone by the display's own pointer position, so it is repeated.
bool MoveCursor(int x, int y) {
  auto at = [&] {
    POINT seen;
    return GetCursorPos(&seen) && seen.x == x && seen.y == y;
  };
  for (int attempt = 0; attempt < 10; attempt++) {
    if (attempt % 2) SetCursorPos(x + 50, y + 50);  // a move elsewhere first unsticks it
    SetCursorPos(x, y);
    Sleep(150);
    if (!at()) continue;
    Sleep(150);
    if (at()) return true;
  }
  return false;
}

// The watcher threads never end, so each runs once per test program, on the state set
// up by the first test that needs it.
HWND StartedWatcherWindow() {
  static HWND window = nullptr;
  if (!window) {
    ResetAppState(GetModuleHandleA(nullptr));
    window = CreateTestWindow();
    AppState.mainWindow = window;
  }
  return window;
}

}  // namespace

TEST(FindScreenCorner, UsesFivePixelsLeftAndTopAndFourRightAndBottom) {
  const int w = 1280;
  const int h = 800;
  struct Case {
    int x, y;
    ScreenCorner corner;
  } cases[] = {
      {0, 0, kTopLeftCorner},           {4, 4, kTopLeftCorner},           {5, 0, kNoCorner},
      {0, 5, kNoCorner},                {w - 4, 0, kTopRightCorner},      {w - 1, 4, kTopRightCorner},
      {w - 5, 0, kNoCorner},            {w, 0, kNoCorner},                {0, h - 4, kBottomLeftCorner},
      {0, h - 5, kNoCorner},            {w - 1, h - 1, kBottomRightCorner}, {w - 1, h, kNoCorner},
      {-1, 0, kNoCorner},               {-1280, 0, kNoCorner},            {0, -3, kNoCorner},
      {640, 400, kNoCorner},
  };
  for (const Case& c : cases) EXPECT_EQ(FindScreenCorner(c.x, c.y, w, h), c.corner) << c.x << "," << c.y;
}

TEST(CornerWatcher, FiresOncePerStayAndSleepsWhileOff) {
  HWND window = StartedWatcherWindow();
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_GT(width, 100);
  AppState.topLeftActionMessage = kCmdRunSaverNow;
  AppState.topRightActionMessage = kCmdToggleSaver;
  AppState.bottomLeftActionMessage = 0;
  AppState.bottomRightActionMessage = 0;
  AppState.corneraction = 0;
  HANDLE thread = CreateThread(nullptr, 0, CornerWatcherThread, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  CloseHandle(thread);
  Sleep(300);
  TakePostedCommands(window);

  // Switched on without the wake-up call the watcher stays asleep; the call wakes it.
  ASSERT_TRUE(MoveCursor(0, 0));
  AppState.corneraction = 1;
  EXPECT_TRUE(CollectCommands(window, 700).empty()) << "a sleeping watcher polled";
  WakeCornerWatcher();
  DWORD elapsed = 0;
  EXPECT_EQ(FirstCommand(window, 1000, &elapsed), kCmdRunSaverNow);
  EXPECT_LT(elapsed, 400u);

  // Staying in the corner posts nothing more.
  EXPECT_TRUE(CollectCommands(window, 1500).empty());

  // Leaving and coming back fires again; x = 4 is still inside the left zone.
  MoveCursor(width / 2, height / 2);
  Sleep(600);
  MoveCursor(4, 4);
  EXPECT_EQ(FirstCommand(window, 1000), kCmdRunSaverNow);

  // W - 5 is outside the right zone; W - 4 is inside it.
  Sleep(800);
  MoveCursor(width - 5, 0);
  EXPECT_TRUE(CollectCommands(window, 700).empty());
  MoveCursor(width - 4, 0);
  EXPECT_EQ(FirstCommand(window, 1000), kCmdToggleSaver);

  // A corner whose action is 0 posts nothing and counts as having left the corners.
  Sleep(800);
  MoveCursor(0, height - 1);
  EXPECT_TRUE(CollectCommands(window, 700).empty());
  MoveCursor(width - 1, 0);
  EXPECT_EQ(FirstCommand(window, 1000), kCmdToggleSaver);

  // Switched off, the watcher notices within a second and stops polling.
  AppState.corneraction = 0;
  Sleep(1300);
  MoveCursor(width / 2, height / 2);
  Sleep(300);
  MoveCursor(0, 0);
  EXPECT_TRUE(CollectCommands(window, 900).empty());
  MoveCursor(width / 2, height / 2);
}
