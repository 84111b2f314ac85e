// The dialog run for real from the Help menu's command: the list, the Fix of the chosen
// check and the list after it, the copied report, and "Find which" with the power report
// in the text dialog, or word that it did not run.
#include "app/dispatcher.h"
#include "diagnose_fixture.h"
#include "language/language_tags.h"
#include "language/translate.h"
#include "resources/diagnose_dialog_ids.h"
#include "resources/text_dialog_ids.h"
#include "support/dialog_driver.h"

namespace {

constexpr const char* kTitle = "Dozelite - Why Isn't My Saver Starting?";

std::string Selected(HWND dialog) {
  char text[2048] = "";
  LRESULT index = SendDlgItemMessageA(dialog, IDC_DIAGNOSE_LIST, LB_GETCURSEL, 0, 0);
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
  LRESULT count = 0;
  std::string before, detail, fix, after, fixAfter;
  DriveResult run = Open([&](HWND dialog) {
    count = SendDlgItemMessageA(dialog, IDC_DIAGNOSE_LIST, LB_GETCOUNT, 0, 0);
    before = Selected(dialog), detail = GetItemText(dialog, IDC_DIAGNOSE_DETAIL);
    fix = GetItemText(dialog, IDC_DIAGNOSE_FIX);
    PressButton(dialog, IDC_DIAGNOSE_FIX);
    after = Selected(dialog), fixAfter = GetItemText(dialog, IDC_DIAGNOSE_FIX);
    PressButton(dialog, IDC_DIAGNOSE_COPY);
    PressButton(dialog, IDOK);
  });
  ASSERT_TRUE(run.found && run.closed);
  EXPECT_EQ(count, kCheckCount);
  EXPECT_EQ(before, "saver-off\tproblem\tThe screen saver is switched off, so it never starts by itself.");
  EXPECT_EQ(detail, "The screen saver is switched off, so it never starts by itself.");
  EXPECT_EQ(fix, "&Fix: Switch the Saver On");
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
  EXPECT_EQ(after, "saver-off\tok\tThe screen saver is switched on.");
  EXPECT_EQ(fixAfter, "&Fix");
  std::string copied = ClipboardText();
  EXPECT_EQ(copied.rfind(std::string(kTitle) + "\r\nsaver-off: ok: ", 0), 0u) << copied;
  EXPECT_TRUE(Contains(copied, "\r\nsecure-without-saver: ok: ")) << copied;
}

// The elevated copy runs the report program itself and hands its output back through a
// pipe and a message: no shell, no file; blank output and a declined prompt are said so.
TEST_F(DiagnoseDialogTest, FindWhichShowsThePowerReportElevated) {
  recordedPower.state = ES_DISPLAY_REQUIRED;
  struct Case {
    const char* mode;
    const char* shown;
  } cases[] = {{"print", "DISPLAY:\r\n[PROCESS] player.exe\r\nSYSTEM:\r\nNone.\r\n"},
               {"silent", "powercfg wrote no report."},
               {nullptr, "powercfg /requests did not run: the elevation was declined or the program could not start."}};
  char self[1024];
  GetModuleFileNameA(nullptr, self, sizeof(self));
  for (const Case& c : cases) {
    elevated = ElevatedRun();
    elevated.mode = c.mode;
    std::string chosen, shown;
    bool fixWhileShown = true, fixAfter = false;
    DriveResult run = Open([&](HWND dialog) {
      chosen = Selected(dialog);
      PressButton(dialog, IDC_DIAGNOSE_FIX);
      if (HWND text = WaitForDialog("Dozelite", 10000)) {
        shown = GetItemText(text, IDC_TEXT_FIELD);
        fixWhileShown = IsWindowEnabled(GetDlgItem(dialog, IDC_DIAGNOSE_FIX));
        PressButton(text, IDOK);
        WaitGone(text);
        fixAfter = WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_DIAGNOSE_FIX)) != FALSE; }, 5000);
      }
      PressButton(dialog, IDOK);
    });
    const char* mode = c.mode ? c.mode : "declined";
    ASSERT_TRUE(run.found && run.closed) << mode;
    EXPECT_EQ(chosen.rfind("display-request\tproblem\t", 0), 0u) << chosen;
    EXPECT_EQ(shown, c.shown) << mode;
    EXPECT_FALSE(fixWhileShown) << "one report at a time";
    EXPECT_TRUE(fixAfter) << mode;
    EXPECT_EQ(elevated.count, 1);
    EXPECT_EQ(elevated.program, self) << "this program, elevated";
    std::string numbers = elevated.parameters.substr(elevated.parameters.find('=') + 1);
    EXPECT_EQ(elevated.parameters.rfind("powerreport=", 0), 0u) << elevated.parameters;
    EXPECT_EQ(numbers.find_first_not_of("0123456789."), std::string::npos) << elevated.parameters;
  }
}

// In another language the dialog shows the checks, their texts and the fix in it, while
// the log and the copied report keep the English lines a support request quotes.
TEST_F(DiagnoseDialogTest, TheDialogSpeaksTheLanguageInUseAndTheLogStaysEnglish) {
  ASSERT_TRUE(UseLanguage(PseudoLanguage()));
  SetDesktopValue("ScreenSaveActive", "0");
  ClearLogBuffer();
  std::string line, detail, fix, title;
  DriveResult run = DriveDialog(
      nullptr, [&] { DispatchCommand(window_, kCmdDiagnose); return static_cast<INT_PTR>(0); },
      [&](HWND dialog) {
        char text[256] = "";
        GetWindowTextA(dialog, text, sizeof(text));
        title = text;
        line = Selected(dialog), detail = GetItemText(dialog, IDC_DIAGNOSE_DETAIL);
        fix = GetItemText(dialog, IDC_DIAGNOSE_FIX);
        PressButton(dialog, IDC_DIAGNOSE_COPY);
        PressButton(dialog, IDOK);
      });
  UseLanguage(0);
  ASSERT_TRUE(run.found && run.closed);
  const char* english = "The screen saver is switched off, so it never starts by itself.";
  char log[kLogBufferSize] = "";
  GetLogBufferedText(log, sizeof(log));
  EXPECT_TRUE(Contains(log, std::string("Diagnose: saver-off: problem: ") + english + "\r\n")) << log;
  EXPECT_EQ(title.rfind('[', 0), 0u) << title;
  EXPECT_EQ(detail.rfind('[', 0), 0u) << detail;
  EXPECT_NE(detail, english);
  EXPECT_EQ(fix.rfind("[&", 0), 0u) << fix;
  // The list line: the check's name, its state and its text, each translated.
  size_t tabs[2] = {line.find('\t'), line.find('\t', line.find('\t') + 1)};
  ASSERT_NE(tabs[1], std::string::npos) << line;
  EXPECT_EQ(line[0], '[') << line;
  EXPECT_EQ(line[tabs[0] + 1], '[') << line;
  EXPECT_EQ(line.substr(tabs[1] + 1), detail);
  std::string copied = ClipboardText();
  EXPECT_TRUE(Contains(copied, std::string("\r\nsaver-off: problem: ") + english + "\r\n")) << copied;
  EXPECT_EQ(copied.find('['), std::string::npos) << copied;
}

}  // namespace
