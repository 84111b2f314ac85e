// The programs dialog run for real: a program picked from those running now, its kind
// set, another rule removed; OK saves through the command, Cancel leaves the registry.
#include "holdoff/holdoff_dialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/dispatcher.h"
#include "holdoff/holdoff_state.h"
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
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kHoldOffPolicyKey);
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

namespace {

std::vector<HWND> OpenProgramDialogs() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        char title[64] = "";
        char className[16] = "";
        GetWindowTextA(window, title, sizeof(title));
        GetClassNameA(window, className, sizeof(className));
        if (!strcmp(title, kTitle) && !strcmp(className, "#32770"))
          reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

// While the dialog is open a rule comes from the registry (a reload) and "holdoff=0" is
// handed over: OK saves the user's removal and keeps both. Asked again meanwhile (the
// menu, the diagnosis's fix), the open dialog comes to the front instead of a second.
TEST_F(HoldOffDialogTest, OkSavesOnlyTheUsersChangesAndASecondRequestOpensNoSecondDialog) {
  for (const char* name : {"vlc.exe", "old.exe"}) WriteRegistryString(HKEY_CURRENT_USER, kHoldOffKey, name, "running");
  DispatchCommand(window_, kCmdReloadSettings);
  size_t openAtOnce = 0;
  DriveResult result = DriveDialog(
      kTitle,
      [&] {
        DispatchCommand(window_, kCmdHoldOffPrograms);
        return INT_PTR{0};
      },
      [&](HWND dialog) {
        WriteRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "late.exe", "front");
        WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, kHoldOffEnabledValue, 0);
        SendMessageA(window_, WM_COMMAND, kCmdReloadSettings, kSourceMenu);
        PostMessageA(window_, WM_COMMAND, kCmdHoldOffPrograms, kSourceMenu);
        Within(1500, [] { return OpenProgramDialogs().size() > 1; });
        openAtOnce = OpenProgramDialogs().size();
        for (HWND other : OpenProgramDialogs())
          if (other != dialog) PressButton(other, IDCANCEL);
        Within(1500, [] { return OpenProgramDialogs().size() == 1; });
        std::vector<std::string> lines = Lines(dialog);  // as the registry lists them
        auto old = std::find(lines.begin(), lines.end(), "old.exe\trunning");
        ASSERT_NE(old, lines.end()) << "the copy taken when the dialog opened";
        EXPECT_EQ(lines.size(), 2u);
        Select(dialog, static_cast<int>(old - lines.begin()));
        PressButton(dialog, IDC_HOLDOFF_REMOVE);
        PressButton(dialog, IDOK);
      });
  EXPECT_TRUE(result.found);
  EXPECT_EQ(openAtOnce, 1u);
  std::string value;
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "vlc.exe", &value));
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "old.exe", &value)) << "the user's removal";
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "late.exe", &value)) << "a rule added meanwhile";
  EXPECT_EQ(value, "front");
  DWORD enabled = 9;
  EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, kHoldOffEnabledValue, &enabled));
  EXPECT_EQ(enabled, 0u) << "the switch handed over meanwhile";
  HoldOffRules inForce;
  GetHoldOffRules(&inForce);
  EXPECT_EQ(inForce.enabled, 0);
  EXPECT_GE(FindHoldOffRule(inForce, kHoldWhileInFront, "late.exe"), 0);
}

// Under the UTF-8 code page a folder of 100 non-Latin characters passes 260 bytes: the
// program's file name is still taken.
TEST_F(HoldOffDialogTest, AddProgramFileTakesAProgramFromAFolderPastTwoHundredSixtyBytes) {
  std::string folder = MakeTempFolder("holdoff-browse");
  std::string deep = folder;
  for (int level = 0; level < 2; level++) {
    deep += "\\";
    for (int n = 0; n < 50; n++) deep += "\xE9\x95\xB7";  // U+9577, three bytes each
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << GetLastError();
  }
  std::string file = deep + "\\player.exe";
  ASSERT_GT(file.size(), 300u);
  ASSERT_TRUE(WriteTextFile(file, "MZ"));
  static HoldOffRules rules;
  ResetHoldOffRules(&rules);
  bool browsed = false;
  std::vector<std::string> shown;
  DriveResult result = DriveDialog(
      kTitle, [&] { return static_cast<INT_PTR>(ShowHoldOffProgramsDialog(window_, &rules)); },
      [&](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDC_HOLDOFF_ADD_FILE, 0);
        HWND chooser = WaitForDialog("Program That Holds the Saver Off");
        if (chooser) {
          // The file name field of the open dialog (a combo box edit, or a plain edit).
          for (int id : {0x47C, 0x480}) SetDlgItemTextA(chooser, id, file.c_str());
          PostMessageA(chooser, WM_COMMAND, IDOK, 0);
          browsed = WaitGone(chooser);
        }
        WaitFor([&] { return !Lines(dialog).empty(); }, 3000);
        shown = Lines(dialog);
        PressButton(dialog, IDOK);
      });
  RemoveTree(folder);
  EXPECT_TRUE(result.found);
  EXPECT_TRUE(browsed);
  EXPECT_EQ(shown, (std::vector<std::string>{"player.exe\trunning"}));
  EXPECT_GE(FindHoldOffRule(rules, kHoldWhileRunning, "player.exe"), 0);
}

// The organisation's rule is listed and marked, Remove refuses it while the user's own
// goes, and OK leaves it out of the user's key.
TEST_F(HoldOffDialogTest, RemoveRefusesTheOrganisationsRuleAndOkLeavesItOutOfTheUsersKey) {
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kHoldOffPolicyKey, "given.exe", "front"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "mine.exe", "running"));
  DispatchCommand(window_, kCmdReloadSettings);
  const std::string given = "given.exe\tin front (set by your organisation)";
  std::vector<std::string> afterGiven, afterMine;
  DriveResult result = DriveDialog(
      kTitle,
      [&] {
        DispatchCommand(window_, kCmdHoldOffPrograms);
        return INT_PTR{0};
      },
      [&](HWND dialog) {
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{given, "mine.exe\trunning"}));
        Select(dialog, 0);
        PressButton(dialog, IDC_HOLDOFF_RUNNING);
        PressButton(dialog, IDC_HOLDOFF_REMOVE);
        afterGiven = Lines(dialog);
        Select(dialog, 1);
        PressButton(dialog, IDC_HOLDOFF_REMOVE);
        afterMine = Lines(dialog);
        PressButton(dialog, IDOK);
      });
  ASSERT_TRUE(result.found);
  EXPECT_EQ(afterGiven, (std::vector<std::string>{given, "mine.exe\trunning"})) << "Remove or Running changed it";
  EXPECT_EQ(afterMine, (std::vector<std::string>{given}));
  std::string value;
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "mine.exe", &value));
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kHoldOffKey, "given.exe", &value)) << "the policy rule leaked";
  static HoldOffRules now;
  GetHoldOffRules(&now);
  EXPECT_GE(FindHoldOffRule(now, kHoldWhileInFront, "given.exe"), 0);
}
