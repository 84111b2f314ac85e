// The dialog run for real from the Help menu's command: the list of checks, the Fix of
// the selected check and the list after it, the copied report, and "Find which" showing
// the power report in the text dialog.
#include "app/dispatcher.h"
#include "diagnose_fixture.h"
#include "resources/diagnose_dialog_ids.h"
#include "resources/text_dialog_ids.h"
#include "support/dialog_driver.h"

namespace {

constexpr const char* kTitle = "Dozelite - Why Isn't My Saver Starting?";

std::string ListLine(HWND dialog, int index) {
  char text[2048] = "";
  SendDlgItemMessageA(dialog, IDC_DIAGNOSE_LIST, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* locked = static_cast<const char*>(GlobalLock(data))) text = locked;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

class DiagnoseDialogTest : public DiagnoseFixture {
 protected:
  DriveResult Open(const std::function<void(HWND)>& drive) {
    return DriveDialog(
        kTitle, [&] { DispatchCommand(window_, kCmdDiagnose); return static_cast<INT_PTR>(0); }, drive);
  }
};

TEST_F(DiagnoseDialogTest, FixSwitchesTheSaverOnAndTheListFollows) {
  SetDesktopValue("ScreenSaveActive", "0");
  struct {
    LRESULT count = 0, selected = -1;
    std::string first, detail, fix, after, fixAfter;
    bool fixEnabled = false;
  } seen;
  DriveResult run = Open([&](HWND dialog) {
    seen.count = SendDlgItemMessageA(dialog, IDC_DIAGNOSE_LIST, LB_GETCOUNT, 0, 0);
    seen.selected = SendDlgItemMessageA(dialog, IDC_DIAGNOSE_LIST, LB_GETCURSEL, 0, 0);
    seen.first = ListLine(dialog, 0);
    seen.detail = GetItemText(dialog, IDC_DIAGNOSE_DETAIL);
    seen.fix = GetItemText(dialog, IDC_DIAGNOSE_FIX);
    seen.fixEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_DIAGNOSE_FIX));
    PressButton(dialog, IDC_DIAGNOSE_FIX);
    seen.after = ListLine(dialog, 0);
    seen.fixAfter = GetItemText(dialog, IDC_DIAGNOSE_FIX);
    PressButton(dialog, IDC_DIAGNOSE_COPY);
    PressButton(dialog, IDOK);
  });
  ASSERT_TRUE(run.found && run.closed);
  EXPECT_EQ(seen.count, kCheckCount);
  EXPECT_EQ(seen.selected, 0) << "the first problem with a fix is chosen";
  EXPECT_EQ(seen.first, "saver-off\tproblem\tThe screen saver is switched off, so it never starts by itself.");
  EXPECT_EQ(seen.detail, "The screen saver is switched off, so it never starts by itself.");
  EXPECT_TRUE(seen.fixEnabled);
  EXPECT_EQ(seen.fix, "&Fix: Switch the Saver On");
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
  EXPECT_EQ(seen.after, "saver-off\tok\tThe screen saver is switched on.");
  EXPECT_EQ(seen.fixAfter, "&Fix");
  std::string copied = ClipboardText();
  EXPECT_EQ(copied.rfind(std::string(kTitle) + "\r\nsaver-off: ok: ", 0), 0u) << copied;
  EXPECT_TRUE(Contains(copied, "\r\nsecure-without-saver: ok: ")) << copied;
}

TEST_F(DiagnoseDialogTest, FindWhichShowsThePowerReport) {
  recordedPower.state = ES_DISPLAY_REQUIRED;
  RunElevatedEntry = FakeRunElevated;
  elevatedWrites = "DISPLAY:\r\n[PROCESS] player.exe\r\n";
  std::string report;
  bool textShown = false;
  DriveResult run = Open([&](HWND dialog) {
    EXPECT_EQ(ListLine(dialog, static_cast<int>(
                                   SendDlgItemMessageA(dialog, IDC_DIAGNOSE_LIST, LB_GETCURSEL, 0, 0)))
                  .rfind("display-request\tproblem\t", 0),
              0u);
    PressButton(dialog, IDC_DIAGNOSE_FIX);
    HWND text = WaitForDialog("Dozelite", 10000);
    textShown = text != nullptr;
    if (text) {
      report = GetItemText(text, IDC_TEXT_FIELD);
      PressButton(text, IDOK);
      WaitGone(text);
    }
    PressButton(dialog, IDOK);
  });
  ASSERT_TRUE(run.found && run.closed);
  ASSERT_TRUE(textShown);
  EXPECT_EQ(report, "DISPLAY:\r\n[PROCESS] player.exe\r\n");
}

}  // namespace
