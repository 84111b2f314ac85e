// The search paths dialog, run for real: typed, dropped and browsed folders, the
// validity check, Remove, Done (list replaced, saved, catalog rebuild asked for) and
// Escape (nothing changes).
#include "dialogs/paths_dialog.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resources/paths_dialog_ids.h"
#include "settings/settings_store.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/dialog_driver.h"
#include "support/test_support.h"

namespace {

constexpr const char* kTitle = "Screen Saver Search Paths";
constexpr const char* kInvalid = "The folder you entered is invalid.";

std::string Doubled(const std::string& path) {
  std::string out;
  for (char c : path) out += c == '\\' ? "\\\\" : std::string(1, c);
  return out;
}

std::vector<std::string> ListItems(HWND dialog) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendDlgItemMessageA(dialog, IDC_PATHS_LIST, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[1024] = {};
    SendDlgItemMessageA(dialog, IDC_PATHS_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

std::vector<std::string> StoredPaths() {
  std::vector<std::string> paths;
  for (int i = 0; i < kMaxSaverPaths && AppState.saverpath[i]; ++i) paths.push_back(AppState.saverpath[i]);
  return paths;
}

void SetPaths(const std::vector<std::string>& paths) {
  FreeSaverPaths();
  for (size_t i = 0; i < paths.size(); ++i) AppState.saverpath[i] = _strdup(paths[i].c_str());
}

void Add(HWND dialog, const std::string& text) {
  SetDlgItemTextA(dialog, IDC_PATHS_FOLDER, text.c_str());
  PressButton(dialog, IDC_PATHS_ADD);
}

// A drop of several items, as Explorer hands it over.
HGLOBAL MakeDrop(const std::vector<std::string>& paths) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& path : paths) size += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  char* at = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
  for (const std::string& path : paths) {
    memcpy(at, path.c_str(), path.size() + 1);
    at += path.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

// "Done" as a click delivers it: posted, so that the command the dialog posts in turn is
// not taken by its ending modal loop, which drops what it fetches after the end.
void PressDone(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }

// Commands that reach the main window; the dialog's modal loop dispatches them.
std::vector<int> receivedCommands;

LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) receivedCommands.push_back(LOWORD(wParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

// Every command the main window got, waiting or already dispatched.
std::vector<int> Received(HWND window) {
  for (int command : TakePostedCommands(window)) receivedCommands.push_back(command);
  return receivedCommands;
}

class PathsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Dozelite");
    root = MakeTempFolder("paths");
    for (const char* name : {"Alpha", "beta", "Gamma", "Delta"}) CreateDirectoryA((root + "\\" + name).c_str(), nullptr);
    WriteTextFile(root + "\\Delta\\waves.scr", "not really a saver");
    WriteTextFile(root + "\\file.txt", "a file, not a folder");
    receivedCommands.clear();
    mainWindow = CreateTestWindow(RecordCommands);
    AppState.mainWindow = mainWindow;
  }
  void TearDown() override {
    TakePostedCommands(mainWindow);
    DestroyWindow(mainWindow);
    FreeSaverPaths();
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Dozelite");
    RemoveTree(root);
  }

  DriveResult Run(const std::function<void(HWND)>& drive) {
    return DriveDialog(kTitle, [] { return ShowPathsDialog(nullptr); }, drive);
  }

  std::string root;
  HWND mainWindow = nullptr;
};

TEST_F(PathsDialogTest, ShowsTheListSortedAndDoneStoresItSortedSavesAndAsksForARebuild) {
  SetPaths({root + "\\Gamma", root + "\\Alpha", root + "\\beta"});
  std::vector<std::string> shown;
  DriveResult run = Run([&](HWND dialog) {
    shown = ListItems(dialog);
    PressDone(dialog);
  });
  ASSERT_TRUE(run.found && run.closed);
  std::vector<std::string> sorted = {root + "\\Alpha", root + "\\beta", root + "\\Gamma"};
  EXPECT_EQ(shown, sorted);
  EXPECT_EQ(StoredPaths(), sorted);
  std::string value;
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite", "saverpath0", &value));
  EXPECT_EQ(value, sorted[0]);
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite", "saverpath2", &value));
  EXPECT_EQ(value, sorted[2]);
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite", "saverpath3", &value));
  EXPECT_EQ(Received(mainWindow), std::vector<int>{kCmdRefreshSavers});
}

TEST_F(PathsDialogTest, AddNormalisesTypedFolders) {
  char current[MAX_PATH];
  GetCurrentDirectoryA(sizeof(current), current);
  SetCurrentDirectoryA(root.c_str());
  std::vector<std::string> items;
  std::string field;
  Run([&](HWND dialog) {
    Add(dialog, Doubled(root + "\\Alpha") + "\\\\");  // doubled and trailing backslashes
    field = GetItemText(dialog, IDC_PATHS_FOLDER);
    Add(dialog, "\"" + root + "\\Gamma\"");           // pasted with quotes
    Add(dialog, "beta");                              // relative to the current folder
    items = ListItems(dialog);
    PressButton(dialog, IDCANCEL);
  });
  SetCurrentDirectoryA(current);
  EXPECT_EQ(field, "");
  EXPECT_EQ(items, (std::vector<std::string>{root + "\\Alpha", root + "\\beta", root + "\\Gamma"}));
}

TEST_F(PathsDialogTest, NetworkStylePathsKeepTheirLeadingBackslashes) {
  MessageBoxCapture boxes;
  std::vector<std::string> items;
  std::string field;
  Run([&](HWND dialog) {
    // A path of the \\?\ form begins with two backslashes like a network path: taken as
    // typed, only its trailing backslash removed.
    Add(dialog, "\\\\?\\" + root + "\\Alpha\\");
    Add(dialog, "\\\\nosuchserver\\share");
    field = GetItemText(dialog, IDC_PATHS_FOLDER);
    items = ListItems(dialog);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(items, std::vector<std::string>{"\\\\?\\" + root + "\\Alpha"});
  EXPECT_EQ(field, "\\\\nosuchserver\\share");
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, kInvalid);
}

TEST_F(PathsDialogTest, InvalidFoldersAreRefusedWithAWarningAndKeptInTheField) {
  MessageBoxCapture boxes;
  std::vector<std::string> fields;
  std::vector<std::string> items;
  Run([&](HWND dialog) {
    for (std::string typed : {root + "\\missing", root + "\\file.txt", std::string("Q:\\nowhere\\at\\all")}) {
      Add(dialog, typed);
      fields.push_back(GetItemText(dialog, IDC_PATHS_FOLDER));
    }
    items = ListItems(dialog);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_TRUE(items.empty());
  EXPECT_EQ(fields, (std::vector<std::string>{root + "\\missing", root + "\\file.txt", "Q:\\nowhere\\at\\all"}));
  ASSERT_EQ(boxes.boxes().size(), 3u);
  for (const MessageBoxRecord& box : boxes.boxes()) {
    EXPECT_EQ(box.text, kInvalid);
    EXPECT_EQ(box.caption, "Dozelite");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONWARNING));
  }
}

TEST_F(PathsDialogTest, DuplicateIgnoringCaseIsDroppedSilently) {
  MessageBoxCapture boxes;
  SetPaths({root + "\\Alpha"});
  std::vector<std::string> items;
  std::string field;
  Run([&](HWND dialog) {
    std::string upper = root + "\\ALPHA";
    Add(dialog, upper);
    field = GetItemText(dialog, IDC_PATHS_FOLDER);
    items = ListItems(dialog);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(items, std::vector<std::string>{root + "\\Alpha"});
  EXPECT_EQ(field, "");
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(PathsDialogTest, EmptyAddAndRemoveWithoutSelectionExplainThemselves) {
  MessageBoxCapture boxes;
  SetPaths({root + "\\Alpha"});
  std::vector<std::string> items;
  Run([&](HWND dialog) {
    Add(dialog, "");
    Add(dialog, "\"\"");  // only quotes: nothing left
    PressButton(dialog, IDC_PATHS_REMOVE);
    items = ListItems(dialog);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(items.size(), 1u);
  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_EQ(boxes.boxes()[0].text.rfind("To add a folder, enter the path (or drag it from Explorer)\n", 0), 0u);
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_SYSTEMMODAL));
  EXPECT_EQ(boxes.boxes()[1].text, boxes.boxes()[0].text);
  EXPECT_EQ(boxes.boxes()[2].text,
            "To remove a folder, select the path from the list\nand then press the 'Remove' button.");
}

TEST_F(PathsDialogTest, RemoveDeletesEverySelectedFolder) {
  MessageBoxCapture boxes;
  SetPaths({root + "\\Alpha", root + "\\beta", root + "\\Gamma"});
  Run([&](HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_PATHS_LIST, LB_SETSEL, TRUE, 0);
    SendDlgItemMessageA(dialog, IDC_PATHS_LIST, LB_SETSEL, TRUE, 2);
    PressButton(dialog, IDC_PATHS_REMOVE);
    EXPECT_EQ(ListItems(dialog), std::vector<std::string>{root + "\\beta"});
    PressDone(dialog);
  });
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(StoredPaths(), std::vector<std::string>{root + "\\beta"});
}

TEST_F(PathsDialogTest, EscapeAfterChangesLeavesListAndRegistryAlone) {
  SetPaths({root + "\\Gamma", root + "\\Alpha"});
  SaveSettings();
  Run([&](HWND dialog) {
    Add(dialog, root + "\\beta");
    SendDlgItemMessageA(dialog, IDC_PATHS_LIST, LB_SETSEL, TRUE, 0);
    PressButton(dialog, IDC_PATHS_REMOVE);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(StoredPaths(), (std::vector<std::string>{root + "\\Gamma", root + "\\Alpha"}));
  std::string value;
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite", "saverpath0", &value));
  EXPECT_EQ(value, root + "\\Gamma");
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite", "saverpath2", &value));
  EXPECT_TRUE(Received(mainWindow).empty());
}

TEST_F(PathsDialogTest, EmptyListIsStoredAndTheNextStartFallsBackToTheSystemFolders) {
  SetPaths({root + "\\Alpha", root + "\\beta"});
  SaveSettings();
  Run([&](HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_PATHS_LIST, LB_SETSEL, TRUE, -1);  // select all
    PressButton(dialog, IDC_PATHS_REMOVE);
    PressDone(dialog);
  });
  EXPECT_TRUE(StoredPaths().empty());
  std::string value;
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite", "saverpath0", &value));
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Dozelite", "saverpath1", &value));
  EXPECT_EQ(Received(mainWindow), std::vector<int>{kCmdRefreshSavers});

  // The next start: fresh defaults, then the stored settings.
  ResetAppState(GetModuleHandleA(nullptr));
  LoadSettings();
  char windows[MAX_PATH], system[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof(windows));
  GetSystemDirectoryA(system, sizeof(system));
  EXPECT_EQ(StoredPaths(), (std::vector<std::string>{windows, system}));
}

TEST_F(PathsDialogTest, DropPutsOnlyTheFirstItemIntoTheField) {
  std::string field;
  std::vector<std::string> items;
  Run([&](HWND dialog) {
    SendMessageA(dialog, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({root + "\\beta", root + "\\Alpha", root + "\\Gamma"})), 0);
    field = GetItemText(dialog, IDC_PATHS_FOLDER);
    items = ListItems(dialog);  // nothing is added before "Add"
    PressButton(dialog, IDC_PATHS_ADD);
    EXPECT_EQ(ListItems(dialog), std::vector<std::string>{root + "\\beta"});
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(field, root + "\\beta");
  EXPECT_TRUE(items.empty());
}

TEST_F(PathsDialogTest, BrowsingToASaverAddsItsFolderAndKeepsTheCurrentFolder) {
  char before[MAX_PATH], after[MAX_PATH];
  GetCurrentDirectoryA(sizeof(before), before);
  std::vector<std::string> items;
  bool browsed = false;
  Run([&](HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDC_PATHS_BROWSE, 0);
    HWND chooser = WaitForDialog("Screen Saver Path");
    if (chooser) {
      std::string file = root + "\\Delta\\waves.scr";
      // The file name field of the open dialog (a combo box edit, or a plain edit).
      for (int id : {0x47C, 0x480}) SetDlgItemTextA(chooser, id, file.c_str());
      PostMessageA(chooser, WM_COMMAND, IDOK, 0);
      browsed = WaitGone(chooser);
    }
    WaitFor([&] { return !ListItems(dialog).empty(); }, 3000);
    items = ListItems(dialog);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_TRUE(browsed);
  EXPECT_EQ(items, std::vector<std::string>{root + "\\Delta"});
  // A current folder moved into Delta would keep it from being deleted.
  GetCurrentDirectoryA(sizeof(after), after);
  EXPECT_STREQ(after, before);
  SetCurrentDirectoryA(before);
}

TEST_F(PathsDialogTest, AFullListRefusesAnotherFolderAndDoneKeepsAll4095) {
  MessageBoxCapture boxes;
  std::vector<std::string> many;
  for (int i = 0; i < kMaxSaverPaths - 1; ++i) many.push_back("C:\\folders\\" + std::to_string(10000 + i));
  SetPaths(many);
  std::vector<std::string> items;
  Run([&](HWND dialog) {
    Add(dialog, root + "\\Alpha");
    items = ListItems(dialog);
    PressDone(dialog);
  });
  EXPECT_EQ(items.size(), static_cast<size_t>(kMaxSaverPaths - 1));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_ICONWARNING));
  std::vector<std::string> stored = StoredPaths();
  EXPECT_EQ(stored, many);  // already in sorted order
  EXPECT_EQ(AppState.saverpath[kMaxSaverPaths - 1], nullptr);
}

TEST_F(PathsDialogTest, SecondRequestBringsTheOpenDialogForward) {
  INT_PTR second = 0;
  Run([&](HWND dialog) {
    second = ShowPathsDialog(nullptr);
    PressButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(second, 1);
}

TEST_F(PathsDialogTest, Screenshot) {
  SetPaths({"C:\\windows", "C:\\windows\\system32", root + "\\Alpha", "D:\\Screen Savers\\Collection"});
  Run([&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_PATHS_FOLDER, "C:\\Program Files\\More Savers");
    SendDlgItemMessageA(dialog, IDC_PATHS_LIST, LB_SETSEL, TRUE, 1);
    EXPECT_TRUE(SaveScreenshot(dialog, "paths-dialog"));
    PressButton(dialog, IDCANCEL);
  });
}

}  // namespace
