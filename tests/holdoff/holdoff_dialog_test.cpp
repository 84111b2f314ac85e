// The programs dialog run for real: a program picked from those running now, its kind
// set, another rule removed; OK saves through the command, Cancel leaves the registry.
#include "holdoff/holdoff_dialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/dispatcher.h"
#include "holdoff/holdoff_store.h"
#include "resources/holdoff_dialog_ids.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/dialog_driver.h"

namespace {

constexpr const char* kTitle = "Hold Off Programs";

std::vector<std::string> Lines(HWND dialog) {
  std::vector<std::string> lines;
  int count = static_cast<int>(SendDlgItemMessageA(dialog, IDC_HOLDOFF_LIST, LB_GETCOUNT, 0, 0));
  for (int n = 0; n < count; n++) {
    char text[256] = "";
    SendDlgItemMessageA(dialog, IDC_HOLDOFF_LIST, LB_GETTEXT, n, reinterpret_cast<LPARAM>(text));
    lines.push_back(text);
  }
  return lines;
}

void Select(HWND dialog, int line) { SendDlgItemMessageA(dialog, IDC_HOLDOFF_LIST, LB_SETCURSEL, line, 0); }

// Opens "Add Running...", picks `name` from the running programs and adds it.
bool PickRunning(HWND dialog, const char* name) {
  PostMessageA(dialog, WM_COMMAND, IDC_HOLDOFF_ADD_RUNNING, 0);
  HWND pick = WaitForDialog("Programs Running Now");
  if (!pick) return false;
  HWND list = GetDlgItem(pick, IDC_HOLDOFF_PICK_LIST);
  LVFINDINFOA find = {};
  find.flags = LVFI_STRING;
  find.psz = name;
  LRESULT item = SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
  if (item >= 0) {
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
  }
  PressButton(pick, item >= 0 ? IDOK : IDCANCEL);
  return item >= 0 && WaitGone(pick);
}

class HoldOffDialogTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey);
  }
  void TearDown() override {
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey);
    AppFixture::TearDown();
  }
};

}  // namespace

TEST_F(HoldOffDialogTest, PicksARunningProgramSetsItsKindAndRemovesARule) {
  DWORD programId = 0;
  HANDLE program = StartProcess("\"" + BuildFilePath("savers\\bubbles.scr") + "\" /c", {}, &programId);
  ASSERT_NE(program, nullptr);
  ASSERT_TRUE(WaitFor([&] { return FindProcessWindow(programId) != nullptr; }, 20000));

  static HoldOffRules rules;
  ResetHoldOffRules(&rules);
  HoldOffRule rule;
  for (const char* name : {"vlc.exe", "old.exe"}) {
    ASSERT_TRUE(ParseHoldOffRule(name, "running", &rule, nullptr));
    PutHoldOffRule(&rules, rule);
  }
  std::vector<std::string> shown;
  DriveResult result = DriveDialog(
      kTitle, [&] { return static_cast<INT_PTR>(ShowHoldOffProgramsDialog(window_, &rules)); },
      [&](HWND dialog) {
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"vlc.exe\trunning", "old.exe\trunning"}));
        EXPECT_TRUE(PickRunning(dialog, "bubbles.scr"));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HOLDOFF_RUNNING), BST_CHECKED) << "a new rule holds while running";
        PressButton(dialog, IDC_HOLDOFF_FRONT);
        EXPECT_TRUE(PickRunning(dialog, "bubbles.scr")) << "picked twice";
        Select(dialog, 1);
        PressButton(dialog, IDC_HOLDOFF_REMOVE);
        shown = Lines(dialog);
        PressButton(dialog, IDOK);
      });
  TerminateProcess(program, 0);
  CloseHandle(program);
  ASSERT_TRUE(result.found);
  EXPECT_EQ(result.result, 1);
  EXPECT_EQ(shown, (std::vector<std::string>{"vlc.exe\trunning", "bubbles.scr\tin front"}));
  ASSERT_EQ(rules.count, 2);
  EXPECT_GE(FindHoldOffRule(rules, kHoldWhileInFront, "bubbles.scr"), 0);
  EXPECT_GE(FindHoldOffRule(rules, kHoldWhileRunning, "vlc.exe"), 0);
}

TEST_F(HoldOffDialogTest, OkSavesTheEditedListAndCancelLeavesTheRegistry) {
  struct Case {
    int button;
    bool kept;
  };
  for (const Case& test : {Case{IDCANCEL, true}, Case{IDOK, false}}) {
    WriteRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "vlc.exe", "running");
    WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, "fullscreen", 0);
    DispatchCommand(window_, kCmdReloadSettings);
    DriveResult result = DriveDialog(
        kTitle,
        [&] {
          DispatchCommand(window_, kCmdHoldOffPrograms);
          return INT_PTR{0};
        },
        [&](HWND dialog) {
          Select(dialog, 0);
          PressButton(dialog, IDC_HOLDOFF_REMOVE);
          EXPECT_TRUE(Lines(dialog).empty());
          PressButton(dialog, test.button);
        });
    EXPECT_TRUE(result.found);
    std::string value;
    EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "vlc.exe", &value), test.kept) << test.button;
    DWORD fullscreen = 9;
    ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, "fullscreen", &fullscreen);
    EXPECT_EQ(fullscreen, 0u) << "the switch is saved as it was";
  }
}
