// The Windows side of the update check that needs no endpoint: tracked addresses, the
// scheduler's waits and its round of worker and timer, failures before any exchange.
#include "update/update_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "state/app_state.h"
#include "support/test_support.h"
#include "update/update_scheduler.h"

TEST(BuildTrackedUrl, AppendsTheFileVersionAndInstallationId) {
  strcpy(AppState.versionText, "3.0");
  strcpy(AppState.id, "0e8c2a4d-5b6f-4a1e-9c3d-7f1a2b3c4d5e");
  char url[1024];
  EXPECT_EQ(BuildTrackedUrl(url, sizeof(url), "http://www.example.com/dozelite"), 1);
  EXPECT_STREQ(url, "http://www.example.com/dozelite?v=3.0&u=0e8c2a4d-5b6f-4a1e-9c3d-7f1a2b3c4d5e");
  char small[20];
  EXPECT_EQ(BuildTrackedUrl(small, sizeof(small), "http://www.example.com/dozelite"), 0);
  EXPECT_STREQ(small, "");
}

TEST(UpdateWaitSeconds, StaysInsideEachResultsWindow) {
  srand(12345);
  struct Window {
    int result, low, high;
  } windows[] = {{0, 561600, 647999}, {1, 39600, 46799}, {-1, 18000, 25199}, {7, 18000, 25199}};
  for (const Window& w : windows) {
    int lowest = w.high, highest = w.low;
    for (int i = 0; i < 20000; i++) {
      int wait = UpdateWaitSeconds(w.result);
      ASSERT_GE(wait, w.low);
      ASSERT_LE(wait, w.high);
      lowest = std::min(lowest, wait);
      highest = std::max(highest, wait);
    }
    // The draws spread over the window rather than sticking to one value.
    EXPECT_LT(lowest, w.low + (w.high - w.low) / 10);
    EXPECT_GT(highest, w.high - (w.high - w.low) / 10);
  }
}

TEST(CheckForServerUpdatesAt, ReportsAnUnusableAddressToTheUserOnly) {
  MessageBoxCapture boxes;
  EXPECT_EQ(CheckForServerUpdatesAt("update.example/dozelite/version", "00", false), -1);
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(CheckForServerUpdatesAt("update.example/dozelite/version", "00", true), -1);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Error: invalid update check URL");
  EXPECT_EQ(boxes.boxes()[0].caption, "Dozelite Update");
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_OK));
}

// The scheduler's round: a quiet check on a worker reports to the window, the report
// sets the timer of the next check, and the timer starts that check.
static std::vector<WPARAM> checkReports;

static LRESULT CALLBACK SchedulerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kUpdateCheckedMessage) {
    checkReports.push_back(wParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(UpdateScheduler, ACheckReportsToTheWindowAndTheTimerStartsTheNext) {
  MessageBoxCapture boxes;
  HWND window = CreateTestWindow(SchedulerWindowProc);
  checkReports.clear();
  StartScheduledUpdateCheck(window);
  ASSERT_TRUE(WaitFor([] { return checkReports.size() == 1; }, 60000));
  EXPECT_EQ(static_cast<int>(checkReports[0]), -1);  // the build's endpoint does not exist
  OnUpdateChecked(window, static_cast<int>(checkReports[0]));
  EXPECT_TRUE(KillTimer(window, kTimerUpdateCheck));  // the wait was set
  OnUpdateTimer(window);
  EXPECT_FALSE(KillTimer(window, kTimerUpdateCheck));  // and ended when the next check began
  ASSERT_TRUE(WaitFor([] { return checkReports.size() == 2; }, 60000));
  EXPECT_TRUE(boxes.boxes().empty());  // quiet checks show nothing
  DestroyWindow(window);
}
