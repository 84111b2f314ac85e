// The dialogs for keyboard and screen-reader users. From the templates: access keys on
// every button, check box and label of a field, unique per dialog; every field without
// text of its own has a label just before it; Tab follows the reading order and keeps a
// group box's controls together. From the dialogs as the program opens them: the first
// focus is on a sensible control (never a check box), and every control that can take
// the focus has an accessible name and the shortcut of its access key (read through
// MSAA in this process, where the emulator answers).
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <cctype>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/all_dialogs.h"
#include "resources/clock_dialogs_ids.h"
#include "resources/diagnose_dialog_ids.h"
#include "resources/holdoff_dialog_ids.h"
#include "resources/hotkey_dialog_ids.h"
#include "resources/paths_dialog_ids.h"
#include "resources/text_dialog_ids.h"
#include "resources/timeout_dialog_ids.h"
#include "support/access_keys.h"
#include "support/app_fixture.h"
#include "support/dialog_driver.h"

namespace {

std::string ClassOf(HWND control) {
  char name[64] = "";
  GetClassNameA(control, name, sizeof(name));
  return name;
}

std::string TextOf(HWND control) {
  char text[512] = "";
  GetWindowTextA(control, text, sizeof(text));
  return text;
}

LONG StyleOf(HWND control) { return GetWindowLongA(control, GWL_STYLE); }

bool IsGroupBox(HWND control) {
  return _stricmp(ClassOf(control).c_str(), "Button") == 0 && (StyleOf(control) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool IsLabel(HWND control) {
  if (_stricmp(ClassOf(control).c_str(), "Static") != 0) return false;
  LONG type = StyleOf(control) & SS_TYPEMASK;
  return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP;
}

// Controls that show no text of their own: a label must name them.
bool NeedsLabel(HWND control) {
  std::string name = ClassOf(control);
  for (const char* kind : {"Edit", "ListBox", "ComboBox", "SysListView32", "SysTreeView32", "msctls_trackbar32"})
    if (_stricmp(name.c_str(), kind) == 0) return true;
  return false;
}

bool CanTakeFocus(HWND control) {
  if (!(StyleOf(control) & WS_VISIBLE) || IsGroupBox(control)) return false;
  return (StyleOf(control) & WS_TABSTOP) || NeedsLabel(control) ||
         _stricmp(ClassOf(control).c_str(), "Button") == 0;
}

std::string Describe(HWND control) {
  std::string text = TextOf(control);
  return ClassOf(control) + " " + std::to_string(GetDlgCtrlID(control)) + (text.empty() ? "" : " \"" + text + "\"");
}

std::vector<HWND> ChildrenInZOrder(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

RECT RectIn(HWND dialog, HWND control) {
  RECT area;
  GetWindowRect(control, &area);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
  return area;
}

// Access keys and labels of one dialog, as its template made it.
std::vector<std::string> CheckKeysAndLabels(HWND dialog, const std::string& where) {
  AccessKeyLevel keys(where);
  std::vector<std::string> problems;
  std::vector<HWND> children = ChildrenInZOrder(dialog);
  for (size_t i = 0; i < children.size(); i++) {
    HWND control = children[i];
    if (!(StyleOf(control) & WS_VISIBLE)) continue;
    std::string text = TextOf(control);
    HWND next = i + 1 < children.size() ? children[i + 1] : nullptr;
    if (IsLabel(control)) {
      if (StyleOf(control) & SS_NOPREFIX) continue;
      keys.Add(text, next && (StyleOf(next) & WS_VISIBLE) && NeedsLabel(next));
    } else if (_stricmp(ClassOf(control).c_str(), "Button") == 0 && !IsGroupBox(control)) {
      LONG type = StyleOf(control) & BS_TYPEMASK;
      // Enter and Escape reach the default button, Cancel and Close.
      bool needs = type != BS_DEFPUSHBUTTON && GetDlgCtrlID(control) != IDCANCEL && text != "Close";
      keys.Add(text, needs);
    } else if (NeedsLabel(control)) {
      HWND before = i > 0 ? children[i - 1] : nullptr;
      if (!before || !IsLabel(before))
        problems.push_back(where + ": " + Describe(control) + " has no label just before it");
    }
  }
  problems.insert(problems.end(), keys.problems().begin(), keys.problems().end());
  return problems;
}

bool Overlap(LONG a1, LONG a2, LONG b1, LONG b2) { return a1 < b2 && b1 < a2; }

// B reads before A: it stands above A in the same column, or left of A in the same row.
bool ReadsBefore(const RECT& b, const RECT& a) {
  if (b.bottom <= a.top && Overlap(a.left, a.right, b.left, b.right)) return true;
  if (b.right <= a.left && Overlap(a.top, a.bottom, b.top, b.bottom)) return true;
  return false;
}

// Tab goes through the tab stops in z-order: it must never reach a control before one
// that reads before it, and must pass a group box's controls in one run.
std::vector<std::string> CheckTabOrder(HWND dialog, const std::string& where) {
  std::vector<std::string> problems;
  std::vector<HWND> stops;
  for (HWND child : ChildrenInZOrder(dialog))
    if ((StyleOf(child) & WS_VISIBLE) && (StyleOf(child) & WS_TABSTOP)) stops.push_back(child);
  for (size_t a = 0; a < stops.size(); a++)
    for (size_t b = a + 1; b < stops.size(); b++)
      if (ReadsBefore(RectIn(dialog, stops[b]), RectIn(dialog, stops[a])))
        problems.push_back(where + ": Tab reaches " + Describe(stops[a]) + " before " + Describe(stops[b]) +
                           ", which reads first");
  for (HWND group : ChildrenInZOrder(dialog)) {
    if (!IsGroupBox(group)) continue;
    RECT box = RectIn(dialog, group);
    std::vector<size_t> inside;
    for (size_t n = 0; n < stops.size(); n++) {
      RECT area = RectIn(dialog, stops[n]);
      if (area.left >= box.left && area.right <= box.right && area.top >= box.top && area.bottom <= box.bottom)
        inside.push_back(n);
    }
    if (!inside.empty() && inside.back() - inside.front() + 1 != inside.size())
      problems.push_back(where + ": Tab leaves the group \"" + TextOf(group) + "\" and comes back");
  }
  return problems;
}

INT_PTR CALLBACK BareDlgProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

BOOL CALLBACK CollectDialogName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  if (!IS_INTRESOURCE(name)) reinterpret_cast<std::vector<std::string>*>(names)->push_back(name);
  return TRUE;
}

std::string Narrow(BSTR text) {
  std::string out;
  if (!text) return out;
  for (const wchar_t* at = text; *at; at++) out += static_cast<char>(*at < 128 ? *at : '?');
  return out;
}

// IAccessible's interface id, spelt out: the one in the toolchain's oleacc library is not it
// (its first word reads 6a6a25ff, and every query with it fails with E_NOINTERFACE).
const IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The MSAA name and shortcut of every control of the open dialog that can take the
// focus; problems for an empty name or a shortcut other than the access key's.
std::vector<std::string> CheckAccessibleNames(HWND dialog, const std::string& where) {
  std::vector<std::string> problems;
  std::vector<HWND> children = ChildrenInZOrder(dialog);
  for (size_t i = 0; i < children.size(); i++) {
    HWND control = children[i];
    if (!CanTakeFocus(control)) continue;
    IAccessible* object = nullptr;
    HRESULT made = AccessibleObjectFromWindow(control, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&object));
    if (FAILED(made) || !object) {
      char code[16];
      snprintf(code, sizeof(code), "%08lx", static_cast<unsigned long>(made));
      problems.push_back(where + ": " + Describe(control) + " has no accessible object (" + code + ")");
      continue;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    BSTR shortcut = nullptr;
    object->get_accName(self, &name);
    object->get_accKeyboardShortcut(self, &shortcut);
    std::string spoken = Narrow(name);
    std::string keys = Narrow(shortcut);
    SysFreeString(name);
    SysFreeString(shortcut);
    object->Release();
    if (spoken.find_first_not_of(" \t") == std::string::npos) {
      problems.push_back(where + ": " + Describe(control) + " has no accessible name");
      continue;
    }
    // The key of its own text, or of the label before a field.
    std::string keyed = NeedsLabel(control) && i > 0 && IsLabel(children[i - 1]) ? TextOf(children[i - 1])
                                                                                 : TextOf(control);
    std::string key = AccessKeyOf(keyed);
    if (!key.empty() && _stricmp(keys.c_str(), (std::string("Alt+") + key).c_str()) != 0)
      problems.push_back(where + ": " + Describe(control) + " is named \"" + spoken + "\" with the shortcut \"" +
                         keys + "\", not Alt+" + key);
  }
  return problems;
}

// The checks run in the dialog's own thread (MSAA objects and the focus belong to it):
// the driver posts a message that a message filter of the dialog's loop catches.
constexpr UINT kRunChecksMessage = WM_APP + 0x3A1;
std::function<void(HWND)> checksInDialog;
HHOOK dialogFilter = nullptr;

LRESULT CALLBACK DialogFilter(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && message && message->message == kRunChecksMessage && checksInDialog) {
    HWND dialog = message->hwnd;
    while (GetParent(dialog) && (GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD)) dialog = GetParent(dialog);
    checksInDialog(dialog);
    return TRUE;
  }
  return CallNextHookEx(dialogFilter, code, wParam, lParam);
}

// Runs `checks` in the dialog's thread and waits for them (5 s at most).
bool RunInDialog(HWND dialog, const std::function<void(HWND)>& checks) {
  volatile bool done = false;
  checksInDialog = [&](HWND window) {
    checks(window);
    done = true;
  };
  PostMessageA(dialog, kRunChecksMessage, 0, 0);
  bool finished = Within(5000, [&] { return done; });
  return finished;
}

class DialogAccessTest : public AppFixture {};

}  // namespace

TEST(DialogTemplates, AccessKeysLabelsAndTabOrder) {
  std::vector<std::string> names;
  EnumResourceNamesA(nullptr, RT_DIALOG, CollectDialogName, reinterpret_cast<LONG_PTR>(&names));
  ASSERT_GE(names.size(), 9u);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  std::vector<std::string> problems;
  for (const std::string& name : names) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), name.c_str(), nullptr, BareDlgProc, 0);
    ASSERT_NE(dialog, nullptr) << name;
    for (auto check : {CheckKeysAndLabels, CheckTabOrder}) {
      std::vector<std::string> found = check(dialog, name);
      problems.insert(problems.end(), found.begin(), found.end());
    }
    DestroyWindow(dialog);
  }
  EXPECT_EQ(JoinLines(problems), "");
}

// The rules themselves: a clash, an unlabelled field and a tab order against the reading.
TEST(DialogTemplates, TheChecksNameWhatIsWrong) {
  HWND dialog = CreateWindowExA(0, "#32770", "probe", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  auto add = [&](const char* kind, const char* text, DWORD style, int id, int x, int y) {
    return CreateWindowExA(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, 60, 20, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  };
  add("Button", "&Add", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 100);  // reached first, reads last
  add("Button", "&All", BS_PUSHBUTTON | WS_TABSTOP, 11, 10, 10);
  add("Edit", "", WS_TABSTOP, 12, 10, 40);
  EXPECT_EQ(JoinLines(CheckKeysAndLabels(dialog, "probe")),
            "probe: Edit 12 has no label just before it\nprobe: \"&Add\" and \"&All\" share A\n");
  EXPECT_EQ(JoinLines(CheckTabOrder(dialog, "probe")),
            "probe: Tab reaches Button 10 \"&Add\" before Button 11 \"&All\", which reads first\n"
            "probe: Tab reaches Button 10 \"&Add\" before Edit 12, which reads first\n");
  DestroyWindow(dialog);
}

TEST_F(DialogAccessTest, FirstFocusNamesAndShortcutsOfEveryDialog) {
  // The control that takes the first focus, by dialog (0: none of its own, as the splash).
  const std::map<std::string, int> firstFocus = {
      {"splash", 0},
      {"timeout_dialog", IDC_TIMEOUT_HOURS},
      {"paths_dialog", IDC_PATHS_LIST},
      {"tips_dialog", IDOK},  // Space on the check box would untick it
      {"hotkey_dialog", IDC_HOTKEY_TEXT},
      {"text_dialog", IDC_TEXT_FIELD},
      {"holdoff_dialog", IDC_HOLDOFF_LIST},
      {"hold_until_dialog", IDC_UNTIL_TIME},
      {"schedules_dialog", IDC_SCHEDULES_LIST},
      {"diagnose_dialog", IDC_DIAGNOSE_LIST}};
  std::vector<std::string> problems;
  dialogFilter = SetWindowsHookExA(WH_MSGFILTER, DialogFilter, nullptr, GetCurrentThreadId());
  ASSERT_NE(dialogFilter, nullptr);
  CoInitialize(nullptr);
  for (const ProgramDialog& dialog : AllDialogs()) {
    std::vector<std::string> found;
    DriveResult run = DriveDialog(dialog.title, dialog.open, [&](HWND window) {
      bool ran = RunInDialog(window, [&](HWND self) {
        found = CheckAccessibleNames(self, dialog.name);
        auto known = firstFocus.find(dialog.name);
        int expected = known == firstFocus.end() ? -1 : known->second;
        HWND focus = GetFocus();
        int actual = focus && focus != self ? GetDlgCtrlID(focus) : 0;
        if (expected < 0) found.push_back(std::string(dialog.name) + ": no first focus is named for it");
        if (expected > 0 && actual != expected)
          found.push_back(std::string(dialog.name) + ": the first focus is on control " + std::to_string(actual) +
                          ", not " + std::to_string(expected));
      });
      if (!ran) found.push_back(std::string(dialog.name) + ": the checks did not run in the dialog");
      if (std::string(dialog.name) == "holdoff_dialog") {
        // The list of running programs opens from here.
        PostMessageA(window, WM_COMMAND, IDC_HOLDOFF_ADD_RUNNING, 0);
        HWND pick = WaitForDialog("Programs Running Now");
        if (pick) {
          RunInDialog(pick, [&](HWND self) {
            std::vector<std::string> more = CheckAccessibleNames(self, "holdoff_pick_dialog");
            found.insert(found.end(), more.begin(), more.end());
            if (GetFocus() != GetDlgItem(self, IDC_HOLDOFF_PICK_LIST))
              found.push_back("holdoff_pick_dialog: the first focus is not on the list");
          });
          PostMessageA(pick, WM_COMMAND, IDCANCEL, 0);
          WaitGone(pick);
        } else {
          found.push_back("holdoff_pick_dialog did not open");
        }
      }
      PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(run.found) << dialog.title;
    problems.insert(problems.end(), found.begin(), found.end());
  }
  CoUninitialize();
  UnhookWindowsHookEx(dialogFilter);
  checksInDialog = nullptr;
  EXPECT_EQ(JoinLines(problems), "");
}
