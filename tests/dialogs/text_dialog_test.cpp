// The text dialog shows the given text whole, read-only and scrollable.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/splash_dialog.h"
#include "log/log.h"
#include "resources/text_dialog_ids.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "support/dialog_driver.h"
#include "support/test_support.h"

namespace {

constexpr const char* kTitle = "Dozelite";

class TextDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    CopyText(AppState.versionText, "3.0", kVersionTextSize);
    CopyText(AppState.legalText, "Copyright (C) 2026 The Dozelite developers", kLegalTextSize);
  }

  DriveResult Show(const char* text, const std::function<void(HWND)>& drive) {
    return DriveDialog(
        kTitle,
        [text] { return DialogBoxParamA(AppState.instance, "TEXTDIALOG", nullptr, TextDlgProc,
                                        reinterpret_cast<LPARAM>(text)); },
        drive);
  }
};

TEST_F(TextDialogTest, ShowsTheLogReadOnlyWithTheVersionLine) {
  std::string log = "07/12/2026 04:00:00 Dozelite 3.0\r\n07/12/2026 04:00:01 GetSaverEnumeration processed 5 savers\r\n";
  std::string shown, version, legal;
  LONG style = 0;
  DriveResult run = Show(log.c_str(), [&](HWND dialog) {
    shown = GetItemText(dialog, IDC_TEXT_FIELD);
    version = GetItemText(dialog, IDC_TEXT_VERSION);
    legal = GetItemText(dialog, IDC_TEXT_LEGAL);
    style = GetWindowLongA(GetDlgItem(dialog, IDC_TEXT_FIELD), GWL_STYLE);
    PressButton(dialog, IDOK);
  });
  ASSERT_TRUE(run.found && run.closed);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(shown, log);
  EXPECT_EQ(version, "3.0");
  EXPECT_EQ(legal, "Copyright (C) 2026 The Dozelite developers");
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & WS_VSCROLL);
}

TEST_F(TextDialogTest, LongTextIsShownWholeAndEmptyTextGivesAnEmptyField) {
  std::string log;
  for (int i = 0; log.size() < 200000; ++i) log += "07/12/2026 04:00:00 line " + std::to_string(i) + "\r\n";
  LRESULT length = -1;
  DriveResult run = Show(log.c_str(), [&](HWND dialog) {
    length = SendDlgItemMessageA(dialog, IDC_TEXT_FIELD, WM_GETTEXTLENGTH, 0, 0);
    PressButton(dialog, IDCANCEL);
  });
  ASSERT_TRUE(run.found && run.closed);
  EXPECT_EQ(length, static_cast<LRESULT>(log.size()));

  std::string shown = "x";
  run = Show("", [&](HWND dialog) {
    shown = GetItemText(dialog, IDC_TEXT_FIELD);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_TRUE(run.found && run.closed);
  EXPECT_EQ(shown, "");
}

TEST_F(TextDialogTest, Screenshot) {
  std::string log;
  const char* lines[] = {"Dozelite 3.0 started", "LoadSettings()", "GetSaverEnumeration processed 5 savers (12 ms)",
                         "LoadWindowsSaverSettings()", "ShowTipsDialog", "UpdateTrayIcon: Dozelite (Starlight)"};
  for (int round = 0; round < 4; ++round)
    for (const char* line : lines) log += std::string("07/12/2026 04:0") + std::to_string(round) + ":00 " + line + "\r\n";
  DriveResult run = Show(log.c_str(), [](HWND dialog) {
    EXPECT_TRUE(SaveScreenshot(dialog, "text-dialog"));
    PressButton(dialog, IDOK);
  });
  EXPECT_TRUE(run.found && run.closed);
}

}  // namespace
