// The hold-off programs dialog: the rules in a list box, each line "name<TAB>kind", kept
// in the order of the edited copy of the rules so a line's index is its rule's index.
// Programs are added from those running now (a second dialog lists them with their
// icons), by typing a name or by browsing for an .exe; the radio buttons set the selected rule's kind.
// Nothing is saved here: the caller saves on OK. One dialog at a time: asked again, it
// brings the open one to the front.
#include "holdoff/holdoff_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "holdoff/process_image.h"
#include "language/translate.h"
#include "log/log.h"
#include "resources/holdoff_dialog_ids.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

constexpr const char* kListFull = TrNoop("The list is full: remove a program before you add another.");

HWND openDialog = nullptr;  // the programs dialog while it is open (main thread only)

HoldOffRules* EditedRules(HWND dialog) {
  return reinterpret_cast<HoldOffRules*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

LRESULT SendList(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendDlgItemMessageA(dialog, IDC_HOLDOFF_LIST, message, wParam, lParam);
}

int SelectedRule(HWND dialog) {
  LRESULT selected = SendList(dialog, LB_GETCURSEL);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

void ShowSelectedKind(HWND dialog) {
  const HoldOffRules* rules = EditedRules(dialog);
  int selected = SelectedRule(dialog);
  bool any = selected >= 0 && selected < rules->count;
  // A rule the organisation gives is shown, not changed.
  bool changeable = any && !rules->programs[selected].fromPolicy;
  for (int id : {IDC_HOLDOFF_RUNNING, IDC_HOLDOFF_FRONT, IDC_HOLDOFF_REMOVE})
    EnableWindow(GetDlgItem(dialog, id), changeable);
  bool front = any && rules->programs[selected].kind == kHoldWhileInFront;
  CheckDlgButton(dialog, IDC_HOLDOFF_RUNNING, any && !front ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_HOLDOFF_FRONT, front ? BST_CHECKED : BST_UNCHECKED);
}

void FillRules(HWND dialog, int select) {
  const HoldOffRules* rules = EditedRules(dialog);
  SendList(dialog, LB_RESETCONTENT);
  for (int n = 0; n < rules->count; n++) {
    char line[kProgramNameSize + 128];
    // Translators: the kinds of a hold-off rule in the programs list: it holds while the
    // program is in front, or while it is running.
    const char* kind = rules->programs[n].kind == kHoldWhileInFront ? Tr("in front") : Tr("running");
    char shown[128];
    if (rules->programs[n].fromPolicy) {
      snprintf(shown, sizeof(shown), Tr("%s (set by your organisation)"), kind);
      kind = shown;
    }
    snprintf(line, sizeof(line), "%s\t%s", rules->programs[n].name, kind);
    SendList(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  if (select >= rules->count) select = rules->count - 1;
  SendList(dialog, LB_SETCURSEL, static_cast<WPARAM>(select));
  ShowSelectedKind(dialog);
}

// Adds a program by file name (a new rule holds while it runs) and selects it.
void AddProgram(HWND dialog, const char* name) {
  HoldOffRules* rules = EditedRules(dialog);
  HoldOffRule rule;
  const char* problem = nullptr;
  if (!ParseHoldOffRule(ProgramFileName(name), "running", &rule, &problem)) {
    MessageBoxEntry(dialog, Tr(problem), kProductName, MB_OK | MB_ICONWARNING);
    return;
  }
  int existing = FindHoldOffRule(*rules, kHoldWhileRunning, rule.name);
  if (existing < 0) existing = FindHoldOffRule(*rules, kHoldWhileInFront, rule.name);
  if (existing < 0 && !PutHoldOffRule(rules, rule)) {
    MessageBoxEntry(dialog, Tr(kListFull), kProductName, MB_OK | MB_ICONWARNING);
    return;
  }
  FillRules(dialog, existing >= 0 ? existing : rules->count - 1);
}

void SetSelectedKind(HWND dialog, HoldOffKind kind) {
  HoldOffRules* rules = EditedRules(dialog);
  int selected = SelectedRule(dialog);
  if (selected < 0 || selected >= rules->count || rules->programs[selected].fromPolicy) return;
  rules->programs[selected].kind = kind;
  FillRules(dialog, selected);
}

void RemoveSelected(HWND dialog) {
  int selected = SelectedRule(dialog);
  // A rule given by policy is refused: it stays, selected.
  if (selected < 0 || !RemoveHoldOffRule(EditedRules(dialog), selected)) return;
  FillRules(dialog, selected);
}

// Adds the program whose name was typed ("vlc" or "vlc.exe") and empties the field.
void AddTypedProgram(HWND dialog) {
  char name[kProgramNameSize] = "";
  GetDlgItemTextA(dialog, IDC_HOLDOFF_NAME, name, sizeof(name));
  if (!name[0]) return;
  AddProgram(dialog, name);
  SetDlgItemTextA(dialog, IDC_HOLDOFF_NAME, "");
}

// Only the file name is kept, but the open dialog fails on a buffer too small for the
// whole path (a folder of 130 non-Latin characters passes 260 bytes in UTF-8): so the
// buffer has the size of the longest path.
void BrowseForProgram(HWND dialog) {
  std::unique_ptr<char[]> file(new (std::nothrow) char[kLongPathBytes]);
  if (!file) return;
  file[0] = 0;
  OPENFILENAMEA choice = {};
  choice.lStructSize = sizeof(choice);
  choice.hwndOwner = dialog;
  char filter[256];
  MakeFileFilter(filter, sizeof(filter), Tr("Programs (*.exe)"), "*.exe");
  choice.lpstrFilter = filter;
  choice.lpstrFile = file.get();
  choice.nMaxFile = kLongPathBytes;
  choice.lpstrTitle = Tr("Program That Holds the Saver Off");
  choice.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (GetOpenFileNameA(&choice))
    AddProgram(dialog, file.get());
  else if (DWORD error = CommDlgExtendedError())
    LogMessage(kLogLogOnly, "HoldOff: the open dialog failed (error %d)", static_cast<int>(error));
}

// ---------------------------------------------------------------- the running programs

HICON SmallProgramIcon(DWORD processId) {
  HICON icon = nullptr;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process) {
    char path[kPathSize];
    DWORD length = sizeof(path);
    if (QueryFullProcessImageNameA(process, 0, path, &length)) ExtractIconExA(path, 0, nullptr, &icon, 1);
    CloseHandle(process);
  }
  return icon;
}

bool IsListed(HWND list, const char* name) {
  LVFINDINFOA find = {};
  find.flags = LVFI_STRING;
  find.psz = name;
  return SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)) != -1;
}

// One line per program name, with the icon of its first process.
void FillRunningPrograms(HWND list) {
  int size = GetSystemMetrics(SM_CXSMICON);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 16);
  HICON fallback = LoadIconA(nullptr, IDI_APPLICATION);
  ImageList_AddIcon(images, fallback);
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  // The column is named (its header is hidden) so that screen readers can name the list's items.
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH | LVCF_TEXT;
  column.pszText = const_cast<char*>(Tr("Program"));
  RECT area;
  GetClientRect(list, &area);
  column.cx = area.right - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    entry.szExeFile[sizeof(entry.szExeFile) - 1] = 0;
    char name[kProgramNameSize];
    CopyText(name, ProgramFileName(entry.szExeFile), sizeof(name));
    CharLowerA(name);
    if (entry.th32ProcessID == 0 || name[0] == 0 || IsListed(list, name)) continue;
    HICON icon = SmallProgramIcon(entry.th32ProcessID);
    int image = 0;
    if (icon) {
      image = ImageList_AddIcon(images, icon);
      DestroyIcon(icon);
      if (image < 0) image = 0;
    }
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = 0x7fffffff;
    item.pszText = name;
    item.iImage = image;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  CloseHandle(snapshot);
}

INT_PTR CALLBACK PickDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      TranslateDialog(dialog);
      SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
      FillRunningPrograms(GetDlgItem(dialog, IDC_HOLDOFF_PICK_LIST));
      NameListsFromLabels(dialog);
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_HOLDOFF_PICK_LIST && header->code == NM_DBLCLK)
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        char* chosen = reinterpret_cast<char*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
        HWND list = GetDlgItem(dialog, IDC_HOLDOFF_PICK_LIST);
        LRESULT selected = SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        chosen[0] = 0;
        if (selected >= 0) {
          LVITEMA item = {};
          item.pszText = chosen;
          item.cchTextMax = kProgramNameSize;
          SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&item));
        }
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY: {
      HWND list = GetDlgItem(dialog, IDC_HOLDOFF_PICK_LIST);
      HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
      SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
      if (images) ImageList_Destroy(images);
      return FALSE;
    }
  }
  return FALSE;
}

void AddRunningProgram(HWND dialog) {
  char chosen[kProgramNameSize] = "";
  HINSTANCE module = AppState.instance ? AppState.instance : GetModuleHandleA(nullptr);
  if (DialogBoxParamA(module, "HOLDOFFPICKDIALOG", dialog, PickDlgProc, reinterpret_cast<LPARAM>(chosen)) == IDOK &&
      chosen[0])
    AddProgram(dialog, chosen);
}

INT_PTR CALLBACK ProgramsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      TranslateDialog(dialog);
      openDialog = dialog;
      SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
      int tabStop = 100;  // dialog units
      SendList(dialog, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
      FillRules(dialog, 0);
      NameListsFromLabels(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_HOLDOFF_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) ShowSelectedKind(dialog);
          return TRUE;
        case IDC_HOLDOFF_ADD_RUNNING:
          AddRunningProgram(dialog);
          return TRUE;
        case IDC_HOLDOFF_ADD_FILE:
          BrowseForProgram(dialog);
          return TRUE;
        case IDC_HOLDOFF_ADD_NAME:
          AddTypedProgram(dialog);
          return TRUE;
        case IDC_HOLDOFF_REMOVE:
          RemoveSelected(dialog);
          return TRUE;
        case IDC_HOLDOFF_RUNNING:
          SetSelectedKind(dialog, kHoldWhileRunning);
          return TRUE;
        case IDC_HOLDOFF_FRONT:
          SetSelectedKind(dialog, kHoldWhileInFront);
          return TRUE;
        case IDOK:
          // Enter in the name field adds the typed name instead of closing the dialog.
          if (GetFocus() == GetDlgItem(dialog, IDC_HOLDOFF_NAME) &&
              GetWindowTextLengthA(GetDlgItem(dialog, IDC_HOLDOFF_NAME)) > 0) {
            AddTypedProgram(dialog);
            return TRUE;
          }
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (openDialog == dialog) openDialog = nullptr;
      return FALSE;
    case WM_VKEYTOITEM:
      // Delete in the list removes the selected program, as "Remove" does.
      if (LOWORD(wParam) == VK_DELETE && reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_HOLDOFF_LIST)) {
        RemoveSelected(dialog);
        return -2;
      }
      return -1;
  }
  return FALSE;
}

}  // namespace

bool BringHoldOffProgramsDialogToFront() {
  if (!openDialog || !IsWindow(openDialog)) return false;
  SetForegroundWindow(openDialog);
  return true;
}

bool ShowHoldOffProgramsDialog(HWND owner, HoldOffRules* rules) {
  if (BringHoldOffProgramsDialogToFront()) return false;
  LogMessage(kLogLogOnly, "ShowHoldOffProgramsDialog");
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  static HoldOffRules edited;  // 33 KB: kept off the stack; the dialog is modal and main-thread only
  edited = *rules;
  HINSTANCE module = AppState.instance ? AppState.instance : GetModuleHandleA(nullptr);
  INT_PTR result = DialogBoxParamA(module, "HOLDOFFDIALOG", owner, ProgramsDlgProc, reinterpret_cast<LPARAM>(&edited));
  if (result != IDOK) return false;
  *rules = edited;
  return true;
}
