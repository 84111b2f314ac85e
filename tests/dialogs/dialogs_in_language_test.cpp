// Every dialog of the program in the pseudo-language, as its command opens it, with the
// dialogs opened from within one (the running programs, one schedule): each title, each
// label and button and each line of a list the procedure fills must come from the
// catalogue, which the pseudo-language marks with brackets. A text without them was
// missed by TranslateDialog or set in code without Tr.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "app/all_dialogs.h"
#include "language/language_tags.h"
#include "language/translate.h"
#include "resources/clock_dialogs_ids.h"
#include "resources/diagnose_dialog_ids.h"
#include "resources/holdoff_dialog_ids.h"
#include "resources/splash_dialog_ids.h"
#include "resources/text_dialog_ids.h"
#include "support/app_fixture.h"
#include "support/dialog_driver.h"

namespace {

// Controls that show data, not words of the program: the version and the legal notice.
const std::set<int> kDataControls = {IDC_SPLASH_VERSION, IDC_SPLASH_LEGAL, IDC_TEXT_VERSION, IDC_TEXT_LEGAL};

std::string ClassOf(HWND control) {
  char name[64] = "";
  GetClassNameA(control, name, sizeof(name));
  return name;
}

std::string TextOf(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

bool Escaped(const std::string& text) { return text.find('[') != std::string::npos; }

struct Check {
  std::string dialog;
  std::vector<std::string>* problems;
};

BOOL CALLBACK CheckControl(HWND control, LPARAM parameter) {
  const Check& check = *reinterpret_cast<const Check*>(parameter);
  std::string kind = ClassOf(control);
  int id = GetDlgCtrlID(control);
  std::string where = check.dialog + ": " + kind + " " + std::to_string(id);
  if (_stricmp(kind.c_str(), "ListBox") == 0) {
    LRESULT count = SendMessageA(control, LB_GETCOUNT, 0, 0);
    for (LRESULT line = 0; line < count; line++) {
      char text[2048] = "";
      if (SendMessageA(control, LB_GETTEXTLEN, line, 0) >= static_cast<LRESULT>(sizeof(text))) continue;
      SendMessageA(control, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text));
      if (!Escaped(text)) check.problems->push_back(where + " line " + std::to_string(line) + " \"" + text + "\"");
    }
    return TRUE;
  }
  if (_stricmp(kind.c_str(), "Static") != 0 && _stricmp(kind.c_str(), "Button") != 0) return TRUE;
  LONG type = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
  if (_stricmp(kind.c_str(), "Static") == 0 && (type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE))
    return TRUE;
  if (kDataControls.count(id)) return TRUE;
  std::string text = TextOf(control);
  if (!text.empty() && !Escaped(text)) check.problems->push_back(where + " \"" + text + "\"");
  return TRUE;
}

void CheckDialog(HWND dialog, const std::string& name, std::vector<std::string>* problems) {
  std::string title = TextOf(dialog);
  if (!Escaped(title)) problems->push_back(name + ": title \"" + title + "\"");
  Check check = {name, problems};
  EnumChildWindows(dialog, CheckControl, reinterpret_cast<LPARAM>(&check));
}

// Opens the dialog a button of `parent` opens, checks it and cancels it.
void CheckOpenedFrom(HWND parent, int button, const std::string& name, std::vector<std::string>* problems) {
  PostMessageA(parent, WM_COMMAND, button, 0);
  HWND opened = WaitForOwnedDialog(parent);
  if (!opened) {
    problems->push_back(name + " did not open");
    return;
  }
  CheckDialog(opened, name, problems);
  PostMessageA(opened, WM_COMMAND, IDCANCEL, 0);
  WaitGone(opened);
}

class DialogsInLanguageTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    strcpy(AppState.legalText, "Copyright notice");
  }
  void TearDown() override {
    UseLanguage(0);
    AppFixture::TearDown();
  }
};

TEST_F(DialogsInLanguageTest, EveryTextOfEveryDialogComesFromTheCatalogue) {
  ASSERT_TRUE(UseLanguage(PseudoLanguage()));
  std::vector<std::string> problems;
  for (const ProgramDialog& dialog : AllDialogs()) {
    std::string name = dialog.name;
    DriveResult run = DriveDialog(nullptr, dialog.open, [&](HWND window) {
      CheckDialog(window, name, &problems);
      if (name == "holdoff_dialog") CheckOpenedFrom(window, IDC_HOLDOFF_ADD_RUNNING, "holdoff_pick_dialog", &problems);
      if (name == "schedules_dialog") CheckOpenedFrom(window, IDC_SCHEDULES_ADD, "schedule_dialog", &problems);
      PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    if (!run.found) problems.push_back(name + " did not open");
  }
  std::string all;
  for (const std::string& problem : problems) all += "\n  " + problem;
  EXPECT_TRUE(problems.empty()) << "texts not from the catalogue:" << all;
}

}  // namespace
