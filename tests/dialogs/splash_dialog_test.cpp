// The splash dialog closes by itself when timed, stays as the About box until a click,
// Enter or Escape, and shows the version strings.
#include "dialogs/splash_dialog.h"

#include <gtest/gtest.h>

#include "resources/splash_dialog_ids.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "support/dialog_driver.h"
#include "support/test_support.h"

namespace {

constexpr const char* kTitle = "Dozelite (splash)";

class SplashDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    CopyText(AppState.versionText, "3.0", kVersionTextSize);
    CopyText(AppState.legalText, "Copyright (C) 2026 The Dozelite developers", kLegalTextSize);
  }
};

TEST_F(SplashDialogTest, TimedSplashClosesByItselfAndShowsTheVersionStrings) {
  std::string version, legal;
  bool closedByItself = false;
  DWORD start = GetTickCount();
  DriveResult run = DriveDialog(kTitle, [] { return ShowSplash(nullptr, 400); },
                                [&](HWND dialog) {
                                  version = GetItemText(dialog, IDC_SPLASH_VERSION);
                                  legal = GetItemText(dialog, IDC_SPLASH_LEGAL);
                                  closedByItself = WaitGone(dialog, 3000);
                                });
  DWORD elapsed = GetTickCount() - start;
  ASSERT_TRUE(run.found);
  EXPECT_TRUE(closedByItself);
  EXPECT_GE(elapsed, 350u);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(version, "3.0");
  EXPECT_EQ(legal, "Copyright (C) 2026 The Dozelite developers");
}

TEST_F(SplashDialogTest, AboutBoxStaysUntilAClickOfEitherButtonOrEnterOrEscape) {
  struct Way {
    UINT message;
    WPARAM wParam;
  } ways[] = {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_RBUTTONDOWN, MK_RBUTTON}, {WM_COMMAND, IDOK}, {WM_COMMAND, IDCANCEL}};
  for (const Way& way : ways) {
    bool stayed = false;
    bool closed = false;
    DriveResult run = DriveDialog(kTitle, [] { return ShowSplash(nullptr, 0); },
                                  [&](HWND dialog) {
                                    // A foreign timer id must not close it either.
                                    PostMessageA(dialog, WM_TIMER, 77, 0);
                                    stayed = !WaitGone(dialog, 600);
                                    PostMessageA(dialog, way.message, way.wParam, MAKELPARAM(20, 20));
                                    closed = WaitGone(dialog, 5000);
                                  });
    ASSERT_TRUE(run.found) << way.message;
    EXPECT_TRUE(stayed) << way.message;
    EXPECT_TRUE(closed) << way.message << "/" << way.wParam;
  }
}

TEST_F(SplashDialogTest, AClickEndsTheTimedSplashEarly) {
  DWORD start = GetTickCount();
  DriveResult run = DriveDialog(kTitle, [] { return ShowSplash(nullptr, 4000); },
                                [&](HWND dialog) { PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, 0); });
  EXPECT_TRUE(run.found && run.closed);
  EXPECT_LT(GetTickCount() - start, 3000u);
}

TEST_F(SplashDialogTest, Screenshot) {
  DriveResult run = DriveDialog(kTitle, [] { return ShowSplash(nullptr, 0); },
                                [](HWND dialog) {
                                  EXPECT_TRUE(SaveScreenshot(dialog, "splash-dialog"));
                                  PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, 0);
                                });
  EXPECT_TRUE(run.found && run.closed);
}

}  // namespace
