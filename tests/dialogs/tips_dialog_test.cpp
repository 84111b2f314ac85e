// The tips dialog: the rotation through the string table, the start-up box and what
// Close and Escape save.
#include "dialogs/tips_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/tips_dialog_ids.h"
#include "settings/settings_store.h"
#include "state/app_state.h"
#include "support/dialog_driver.h"
#include "support/test_support.h"

namespace {

constexpr const char* kTitle = "Dozelite Tip of the Day";
constexpr int kTipCount = 19;

std::string Tip(int id) {
  char text[300] = {};
  LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
  return text;
}

DWORD StoredDword(const char* name) {
  DWORD value = 0xDEAD;
  ReadRegistryDword(HKEY_CURRENT_USER, "Software\\Dozelite", name, &value);
  return value;
}

class TipsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Dozelite");
  }
  void TearDown() override {
    FreeSaverPaths();
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Dozelite");
  }

  DriveResult Run(const std::function<void(HWND)>& drive) {
    return DriveDialog(kTitle, [] { return ShowTipsDialog(nullptr, -1); }, drive);
  }
};

TEST_F(TipsDialogTest, TheStringTableHoldsNineteenTipsThatFitTheBuffer) {
  EXPECT_EQ(Tip(1).rfind("If the Tip of the Day is not enough, you can get additional help on using Dozelite.", 0), 0u);
  EXPECT_EQ(Tip(16),
            "If you have any feedback, questions or suggestions regarding Dozelite, please let us know! From the "
            "Help menu, select 'Feedback & Support'.");
  EXPECT_EQ(Tip(19),
            "Monitor Power modes are operating system, monitor, and driver dependant. If the menu is available for "
            "your Windows version, you can test the modes to see what works for you.");
  for (int id = 1; id <= kTipCount; ++id) {
    EXPECT_FALSE(Tip(id).empty()) << id;
    EXPECT_LT(Tip(id).size(), 299u) << id;  // loaded whole into 300 characters
  }
  EXPECT_TRUE(Tip(kTipCount + 1).empty());
  EXPECT_TRUE(Tip(0).empty());
}

TEST_F(TipsDialogTest, FirstStartShowsTipOneTickedAndCloseStoresIt) {
  std::string text;
  bool ticked = false;
  DriveResult run = Run([&](HWND dialog) {
    text = GetItemText(dialog, IDC_TIPS_TEXT);
    ticked = IsDlgButtonChecked(dialog, IDC_TIPS_SHOW_AT_STARTUP) == BST_CHECKED;
    PressButton(dialog, IDOK);
  });
  ASSERT_TRUE(run.found && run.closed);
  EXPECT_EQ(text, Tip(1));
  EXPECT_TRUE(ticked);
  EXPECT_EQ(AppState.tipnumber, 1);
  EXPECT_EQ(AppState.notips, 0);
  EXPECT_EQ(StoredDword("tipnumber"), 1u);
  EXPECT_EQ(StoredDword("notips"), 0u);
}

TEST_F(TipsDialogTest, NextTipRunsThroughAllTipsAndWrapsToTheFirst) {
  std::vector<std::string> shown;
  Run([&](HWND dialog) {
    shown.push_back(GetItemText(dialog, IDC_TIPS_TEXT));
    for (int press = 0; press < kTipCount; ++press) {
      PressButton(dialog, IDC_TIPS_NEXT);
      shown.push_back(GetItemText(dialog, IDC_TIPS_TEXT));
    }
    PressButton(dialog, IDOK);
  });
  ASSERT_EQ(shown.size(), static_cast<size_t>(kTipCount + 1));
  for (int i = 0; i < kTipCount; ++i) EXPECT_EQ(shown[i], Tip(i + 1)) << i;
  EXPECT_EQ(shown[kTipCount], Tip(1));
  EXPECT_EQ(StoredDword("tipnumber"), 1u);
}

TEST_F(TipsDialogTest, TheStoredNumberPicksTheNextTipAndOutOfRangeNumbersRestart) {
  struct Case {
    int stored;
    int expected;
  } cases[] = {{7, 8}, {kTipCount, 1}, {-4, 1}, {70000, 1}, {0x7FFFFFFF, 1}};
  for (const Case& c : cases) {
    AppState.tipnumber = c.stored;
    std::string text;
    Run([&](HWND dialog) {
      text = GetItemText(dialog, IDC_TIPS_TEXT);
      PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(text, Tip(c.expected)) << c.stored;
    EXPECT_EQ(AppState.tipnumber, c.expected) << c.stored;
  }
}

TEST_F(TipsDialogTest, UntickingAndCloseSetsNotipsAndTheNextDialogShowsTheBoxUnticked) {
  Run([&](HWND dialog) {
    CheckDlgButton(dialog, IDC_TIPS_SHOW_AT_STARTUP, BST_UNCHECKED);
    PressButton(dialog, IDOK);
  });
  EXPECT_EQ(AppState.notips, 1);
  EXPECT_EQ(StoredDword("notips"), 1u);

  bool ticked = true;
  std::string text;
  Run([&](HWND dialog) {
    ticked = IsDlgButtonChecked(dialog, IDC_TIPS_SHOW_AT_STARTUP) == BST_CHECKED;
    text = GetItemText(dialog, IDC_TIPS_TEXT);
    CheckDlgButton(dialog, IDC_TIPS_SHOW_AT_STARTUP, BST_CHECKED);
    PressButton(dialog, IDOK);
  });
  EXPECT_FALSE(ticked);
  EXPECT_EQ(text, Tip(2));
  EXPECT_EQ(AppState.notips, 0);
  EXPECT_EQ(StoredDword("notips"), 0u);
}

TEST_F(TipsDialogTest, EscapeKeepsNotipsButSavesTheAdvancedNumber) {
  AppState.tipnumber = 4;
  Run([&](HWND dialog) {
    CheckDlgButton(dialog, IDC_TIPS_SHOW_AT_STARTUP, BST_UNCHECKED);
    PressButton(dialog, IDC_TIPS_NEXT);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(AppState.notips, 0);
  EXPECT_EQ(StoredDword("notips"), 0u);
  EXPECT_EQ(StoredDword("tipnumber"), 6u);
}

TEST_F(TipsDialogTest, SecondRequestBringsTheOpenDialogForwardWithoutAdvancing) {
  INT_PTR second = 0;
  std::string before, after;
  Run([&](HWND dialog) {
    before = GetItemText(dialog, IDC_TIPS_TEXT);
    second = ShowTipsDialog(nullptr, -1);
    after = GetItemText(dialog, IDC_TIPS_TEXT);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(second, 1);
  EXPECT_EQ(before, after);
  EXPECT_EQ(AppState.tipnumber, 1);
}

TEST_F(TipsDialogTest, HeadingAndTipGetTheirOwnFontsSizedFromTheControls) {
  LOGFONTA heading = {}, tip = {};
  RECT headingArea = {}, tipArea = {};
  Run([&](HWND dialog) {
    HFONT headingFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_TIPS_HEADING, WM_GETFONT, 0, 0));
    HFONT tipFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_TIPS_TEXT, WM_GETFONT, 0, 0));
    GetObjectA(headingFont, sizeof(heading), &heading);
    GetObjectA(tipFont, sizeof(tip), &tip);
    GetClientRect(GetDlgItem(dialog, IDC_TIPS_HEADING), &headingArea);
    GetClientRect(GetDlgItem(dialog, IDC_TIPS_TEXT), &tipArea);
    PressButton(dialog, IDOK);
  });
  EXPECT_EQ(heading.lfHeight, headingArea.bottom);
  EXPECT_EQ(heading.lfWeight, FW_BOLD);
  EXPECT_EQ(heading.lfPitchAndFamily, FF_ROMAN);
  EXPECT_EQ(tip.lfHeight, (tipArea.bottom + 1) / 8);
  EXPECT_EQ(tip.lfWeight, 0);
}

// Tip 16 names the menu item "Feedback & Support": its "&" is a character to show, not
// the underline of the next letter.
TEST_F(TipsDialogTest, TheTipTextShowsAmpersands) {
  AppState.tipnumber = 15;
  LONG style = 0;
  std::string text;
  Run([&](HWND dialog) {
    style = GetWindowLongA(GetDlgItem(dialog, IDC_TIPS_TEXT), GWL_STYLE);
    text = GetItemText(dialog, IDC_TIPS_TEXT);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_NE(text.find("'Feedback & Support'"), std::string::npos) << text;
  EXPECT_TRUE(style & SS_NOPREFIX);
}

// The first key goes to Close: a Space closes the dialog and leaves the box ticked.
TEST_F(TipsDialogTest, CloseHasTheFirstFocusSoSpaceKeepsTheTick) {
  HWND focus = nullptr;
  HWND close = nullptr;
  DriveResult run = Run([&](HWND dialog) {
    close = GetDlgItem(dialog, IDOK);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    WaitFor([&] { return GetGUIThreadInfo(thread, &info) && info.hwndFocus; }, 3000);
    focus = info.hwndFocus;
    PostMessageA(focus, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageA(focus, WM_KEYUP, VK_SPACE, 0xC0390001);
    WaitGone(dialog);
  });
  EXPECT_EQ(focus, close);
  EXPECT_TRUE(run.closed);
  EXPECT_EQ(AppState.notips, 0);
  EXPECT_EQ(StoredDword("notips"), 0u);
}

TEST_F(TipsDialogTest, Screenshot) {
  AppState.tipnumber = 12;
  Run([](HWND dialog) {
    EXPECT_TRUE(SaveScreenshot(dialog, "tips-dialog"));
    PressButton(dialog, IDCANCEL);
  });
}

}  // namespace
