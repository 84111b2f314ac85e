// The timeout dialog, run for real: fields shown for a duration, the total returned,
// Cancel, the open-once rule and the limit of the 32-bit millisecond arithmetic.
#include "dialogs/timeout_dialog.h"

#include <gtest/gtest.h>

#include "resources/timeout_dialog_ids.h"
#include "state/app_state.h"
#include "support/dialog_driver.h"
#include "support/test_support.h"

namespace {

constexpr const char* kTitle = "Dozelite Timer Setting";

class TimeOutDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetAppState(GetModuleHandleA(nullptr)); }

  struct Shown {
    std::string hours, minutes, seconds;
  };

  // Opens the dialog with `seconds`, records the fields it shows, types `typed` (unless
  // empty) and presses `button`.
  DriveResult Run(int seconds, Shown* shown, const Shown* typed, int button) {
    return DriveDialog(
        kTitle, [&] { return static_cast<INT_PTR>(ShowTimeOutDialog(nullptr, seconds)); },
        [&](HWND dialog) {
          if (shown) *shown = {GetItemText(dialog, IDC_TIMEOUT_HOURS), GetItemText(dialog, IDC_TIMEOUT_MINUTES),
                               GetItemText(dialog, IDC_TIMEOUT_SECONDS)};
          if (typed) {
            SetDlgItemTextA(dialog, IDC_TIMEOUT_HOURS, typed->hours.c_str());
            SetDlgItemTextA(dialog, IDC_TIMEOUT_MINUTES, typed->minutes.c_str());
            SetDlgItemTextA(dialog, IDC_TIMEOUT_SECONDS, typed->seconds.c_str());
          }
          PressButton(dialog, button);
        });
  }
};

TEST_F(TimeOutDialogTest, ShowsTheDurationSplitAndReturnsItUnchangedOnOk) {
  struct Case {
    int seconds;
    Shown expected;
  } cases[] = {
      {600, {"0", "10", "0"}},
      {0, {"0", "0", "0"}},
      {5415, {"1", "30", "15"}},
      {90061, {"25", "1", "1"}},  // hours are not limited to 23
  };
  for (const Case& c : cases) {
    Shown shown;
    DriveResult run = Run(c.seconds, &shown, nullptr, IDOK);
    ASSERT_TRUE(run.found && run.closed) << c.seconds;
    EXPECT_EQ(shown.hours, c.expected.hours) << c.seconds;
    EXPECT_EQ(shown.minutes, c.expected.minutes) << c.seconds;
    EXPECT_EQ(shown.seconds, c.expected.seconds) << c.seconds;
    EXPECT_EQ(run.result, c.seconds);
  }
}

TEST_F(TimeOutDialogTest, OkReturnsTheTypedTotalInSeconds) {
  struct Case {
    Shown typed;
    INT_PTR expected;
  } cases[] = {
      {{"1", "30", "15"}, 5415},
      {{"0", "90", "0"}, 5400},   // minutes above 59 are simply added
      {{"0", "0", "75"}, 75},
      {{"", "", ""}, 0},          // empty fields count 0
      {{"x", "2", "1y"}, 121},    // leading digits only
      {{"-3", "1", "0"}, 60},     // a negative part counts 0 instead of wrapping
  };
  for (const Case& c : cases) {
    DriveResult run = Run(600, nullptr, &c.typed, IDOK);
    ASSERT_TRUE(run.found && run.closed);
    EXPECT_EQ(run.result, c.expected) << c.typed.hours << "/" << c.typed.minutes << "/" << c.typed.seconds;
  }
}

TEST_F(TimeOutDialogTest, TotalsBeyondThirtyTwoBitMillisecondsAreLimitedNotWrapped) {
  // 1193:02:47.295 is the last total that fits; one hour more used to wrap to a small
  // value. Very long digit strings must not overflow either.
  struct Case {
    Shown typed;
    INT_PTR expected;
  } cases[] = {
      {{"1193", "2", "47"}, 4294967},
      {{"1194", "0", "0"}, 4294967},
      {{"0", "0", "4294968"}, 4294967},
      {{"9999999999999999999", "0", "0"}, 4294967},
  };
  for (const Case& c : cases) {
    DriveResult run = Run(600, nullptr, &c.typed, IDOK);
    ASSERT_TRUE(run.found && run.closed);
    EXPECT_EQ(run.result, c.expected) << c.typed.hours << "/" << c.typed.seconds;
  }
}

TEST_F(TimeOutDialogTest, LongAndNegativeStartValuesShowWithoutWrapping) {
  Shown shown;
  DriveResult run = Run(5000000, &shown, nullptr, IDCANCEL);  // 5,000,000,000 ms do not fit 32 bits
  ASSERT_TRUE(run.found);
  EXPECT_EQ(shown.hours, "1388");
  EXPECT_EQ(shown.minutes, "53");
  EXPECT_EQ(shown.seconds, "20");
  run = Run(-5, &shown, nullptr, IDCANCEL);
  EXPECT_EQ(shown.hours + shown.minutes + shown.seconds, "000");
}

TEST_F(TimeOutDialogTest, CancelReturnsZeroEvenAfterChanges) {
  Shown typed = {"2", "0", "0"};
  DriveResult run = Run(600, nullptr, &typed, IDCANCEL);
  ASSERT_TRUE(run.found && run.closed);
  EXPECT_EQ(run.result, 0);
}

TEST_F(TimeOutDialogTest, SecondRequestWhileOpenChangesNothing) {
  int second = -1;
  DriveResult run = DriveDialog(
      kTitle, [] { return static_cast<INT_PTR>(ShowTimeOutDialog(nullptr, 600)); },
      [&](HWND dialog) {
        // The second request comes from another thread here; it must return at once.
        second = ShowTimeOutDialog(nullptr, 1200);
        EXPECT_EQ(GetItemText(dialog, IDC_TIMEOUT_MINUTES), "10");
        SetDlgItemTextA(dialog, IDC_TIMEOUT_MINUTES, "20");
        PressButton(dialog, IDOK);
      });
  EXPECT_EQ(second, 0);
  EXPECT_EQ(run.result, 1200);
}

TEST_F(TimeOutDialogTest, Screenshot) {
  DriveResult run = DriveDialog(
      kTitle, [] { return static_cast<INT_PTR>(ShowTimeOutDialog(nullptr, 5415)); },
      [](HWND dialog) {
        EXPECT_TRUE(SaveScreenshot(dialog, "timeout-dialog"));
        PressButton(dialog, IDCANCEL);
      });
  EXPECT_TRUE(run.found);
}

}  // namespace
