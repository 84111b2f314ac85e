// The search paths dialog: edits the folders searched for savers. The folders live only
// in the sorted list box while it is open; "Done" replaces the search path list, saves
// the settings and asks the main window to rebuild the catalog.
#include "dialogs/paths_dialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "language/translate.h"
#include "log/log.h"
#include "resources/paths_dialog_ids.h"
#include "settings/settings_store.h"
#include "shell/dpi.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"

namespace {

constexpr const char* kTitle = TrNoop("Screen Saver Search Paths");
constexpr int kMaxFolders = kMaxSaverPaths - 1;  // the list keeps one entry for its end

// Line breaks are "\n" alone, as the catalogues keep them; the box shows them the same.
constexpr const char* kAddHelp = TrNoop(
    "To add a folder, enter the path (or drag it from Explorer)\n"
    "and then press the 'Add' button. You can use the Browse button\n"
    "to locate a screen saver, and its path will be entered for you.");
constexpr const char* kRemoveHelp = TrNoop(
    "To remove a folder, select the path from the list\n"
    "and then press the 'Remove' button.");
constexpr const char* kInvalidFolder = TrNoop("The folder you entered is invalid.");
constexpr const char* kListFull = TrNoop("The list is full: remove a folder before you add another.");

LRESULT SendList(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendDlgItemMessageA(dialog, IDC_PATHS_LIST, message, wParam, lParam);
}

void ShowNote(HWND dialog, const char* text, UINT type) { MessageBoxEntry(dialog, Tr(text), kProductName, type); }

// A folder is valid when a search for everything in it gets a handle and the system
// does not report the path as missing.
bool IsValidFolder(const char* folder) {
  char pattern[kPathSize + 8];
  if (snprintf(pattern, sizeof(pattern), "%s\\*.*", folder) >= static_cast<int>(sizeof(pattern))) return false;
  WIN32_FIND_DATAA data;
  SetLastError(ERROR_SUCCESS);
  HANDLE search = FindFirstFileA(pattern, &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool valid = GetLastError() != ERROR_PATH_NOT_FOUND;
  FindClose(search);
  return valid;
}

// Turns the typed text into the folder to store: quotes removed, repeated backslashes
// collapsed and the path made absolute (network paths keep their two leading
// backslashes and are taken as typed), without a trailing backslash. 0 for an empty or
// unusable text.
int NormaliseFolder(char* folder) {
  StripQuotes(folder);
  if (IsEmptyText(folder)) return 0;
  if (!(folder[0] == '\\' && folder[1] == '\\')) {
    char collapsed[kPathSize];
    if (!CollapseRepeats(collapsed, folder, '\\')) CopyText(collapsed, folder, sizeof(collapsed));
    char full[kPathSize];
    DWORD length = GetFullPathNameA(collapsed, sizeof(full), full, nullptr);
    if (length == 0 || length >= sizeof(full)) return -1;
    CopyText(folder, full, kPathSize);
  }
  SetTrailingBackslash(folder, false);
  return 1;
}

void OnInitDialog(HWND dialog) {
  TranslateDialog(dialog);
  DragAcceptFiles(dialog, TRUE);
  CenterWindow(dialog);
  NameListsFromLabels(dialog);
  for (int i = 0; i < kMaxFolders && AppState.saverpath[i]; ++i)
    SendList(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AppState.saverpath[i]));
}

void OnDropFiles(HWND dialog, HDROP drop) {
  char path[kPathSize];
  path[0] = 0;
  UINT length = DragQueryFileA(drop, 0, path, sizeof(path));
  DragFinish(drop);
  if (length > 0) SetDlgItemTextA(dialog, IDC_PATHS_FOLDER, path);
}

void OnAdd(HWND dialog) {
  char folder[kPathSize];
  folder[0] = 0;
  GetDlgItemTextA(dialog, IDC_PATHS_FOLDER, folder, sizeof(folder));
  int normalised = NormaliseFolder(folder);
  if (normalised == 0) {
    ShowNote(dialog, kAddHelp, MB_SYSTEMMODAL);
    return;
  }
  if (normalised < 0 || !IsValidFolder(folder)) {
    ShowNote(dialog, kInvalidFolder, MB_ICONWARNING);
    return;
  }
  if (SendList(dialog, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(folder)) == LB_ERR) {
    if (SendList(dialog, LB_GETCOUNT) >= kMaxFolders) {
      ShowNote(dialog, kListFull, MB_ICONWARNING);
      return;
    }
    SendList(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder));
  }
  SetDlgItemTextA(dialog, IDC_PATHS_FOLDER, "");
}

void OnRemove(HWND dialog) {
  int removed = 0;
  int selected;
  while (SendList(dialog, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&selected)) == 1) {
    if (SendList(dialog, LB_DELETESTRING, selected) == LB_ERR) break;
    ++removed;
  }
  if (removed == 0) ShowNote(dialog, kRemoveHelp, MB_SYSTEMMODAL);
}

void OnBrowse(HWND dialog) {
  char file[kPathSize];
  file[0] = 0;
  OPENFILENAMEA choice = {};
  choice.lStructSize = sizeof(choice);
  choice.hwndOwner = dialog;
  char filter[256];
  MakeFileFilter(filter, sizeof(filter), Tr("Screen Savers (*.scr)"), "*.scr");
  choice.lpstrFilter = filter;
  choice.nFilterIndex = 0;
  choice.lpstrFile = file;
  choice.nMaxFile = sizeof(file);
  choice.lpstrTitle = Tr("Screen Saver Path");
  // The program's current folder stays as it was: relative names typed later resolve as
  // before, and the folder browsed to is not held open while the program runs.
  choice.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON | OFN_EXPLORER |
                 OFN_LONGNAMES | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&choice)) return;
  // Keep the folder and its trailing backslash: "Add" removes the backslash.
  if (choice.nFileOffset < sizeof(file)) file[choice.nFileOffset] = 0;
  SetDlgItemTextA(dialog, IDC_PATHS_FOLDER, file);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PATHS_ADD, BN_CLICKED), 0);
}

// Replaces the search path list with the list box's entries, in its sorted order.
void StoreFolders(HWND dialog, int count) {
  FreeSaverPaths();
  int stored = 0;
  for (int i = 0; i < count && stored < kMaxFolders; ++i) {
    LRESULT length = SendList(dialog, LB_GETTEXTLEN, i);
    if (length == LB_ERR) continue;
    char* folder = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    if (!folder) {
      LogMessage(kLogError, TrNoop("ShowPathsDialog: out of memory, %d folders kept"), stored);
      break;
    }
    folder[0] = 0;
    SendList(dialog, LB_GETTEXT, i, reinterpret_cast<LPARAM>(folder));
    folder[length] = 0;
    AppState.saverpath[stored++] = folder;
  }
  AppState.saverpath[stored] = nullptr;
}

void OnDone(HWND dialog) {
  LRESULT count = SendList(dialog, LB_GETCOUNT);
  if (count != LB_ERR) {
    StoreFolders(dialog, static_cast<int>(count));
    SaveSettings();
  }
  PostMessageA(AppState.mainWindow, WM_COMMAND, kCmdRefreshSavers, 0);
  EndDialog(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK PathsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED:
      return AnswerDpiChanged(dialog, lParam);
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case WM_DROPFILES:
      OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_VKEYTOITEM:
      // Delete in the list removes the selected folders, as "Remove" does.
      if (LOWORD(wParam) == VK_DELETE && reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_PATHS_LIST)) {
        OnRemove(dialog);
        return -2;
      }
      return -1;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PATHS_ADD:
          OnAdd(dialog);
          return TRUE;
        case IDC_PATHS_REMOVE:
          OnRemove(dialog);
          return TRUE;
        case IDC_PATHS_BROWSE:
          OnBrowse(dialog);
          return TRUE;
        case IDOK:
          OnDone(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR ShowPathsDialog(HWND owner) {
  LogMessage(kLogLogOnly, "ShowPathsDialog");
  return ShowDialogOnce(AppState.instance, owner, "PATHSDIALOG", PathsDlgProc, Tr(kTitle), nullptr, 0);
}
