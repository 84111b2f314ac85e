// Every dialog in every language, the pseudo-language included, at 96, 144 and 192 DPI:
// each static text, button, check box, radio button and group box holds its text (measured
// with the control's own font, wrapped where the control wraps), and no two controls of a
// dialog share an access key. At 96 DPI each dialog and the tray menu are also saved as
// screenshots under build/screenshots/lang/<tag>/ for review (glyphs, not boxes).
//
// The DPI is fixed when a process starts, so the parent test sets the prefix's LogPixels,
// runs this program again with only the child test, and puts the value back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../app/all_dialogs.h"
#include "app/startup.h"
#include "language/language_tags.h"
#include "language/translate.h"
#include "state/app_state.h"
#include "support/access_keys.h"
#include "support/app_fixture.h"
#include "support/log_pixels.h"
#include "support/dialog_driver.h"
#include "support/test_support.h"
#include "tray/tray_images.h"
#include "tray/tray_menu.h"

namespace {

constexpr const char* kChildDpiVariable = "DOZELITE_FIT_DPI";

int ChildDpi() {
  const char* value = getenv(kChildDpiVariable);
  return value ? atoi(value) : 0;
}

std::string Utf8(const wchar_t* text) {
  char out[2048] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof(out), nullptr, nullptr);
  return out;
}

// How a control lays out its text: the width it leaves for the text, and whether it wraps.
struct TextBox {
  bool checked = false;  // a kind of control this test measures
  bool wraps = false;
  bool prefix = true;  // "&" marks an access key
  int width = 0;
  int height = 0;
};

TextBox BoxOf(HWND control, int dpi) {
  TextBox box;
  char className[32] = "";
  GetClassNameA(control, className, sizeof(className));
  LONG style = GetWindowLongA(control, GWL_STYLE);
  RECT client;
  GetClientRect(control, &client);
  box.width = client.right;
  box.height = client.bottom;
  auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  if (lstrcmpiA(className, "Static") == 0) {
    LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
      return box;
    box.checked = true;
    box.wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    box.prefix = !(style & SS_NOPREFIX);
    return box;
  }
  if (lstrcmpiA(className, "Button") != 0) return box;
  LONG type = style & BS_TYPEMASK;
  box.wraps = (style & BS_MULTILINE) != 0;
  switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      box.checked = true;
      box.width -= 2 * scaled(4);  // the frame and the focus rectangle on each side
      box.height -= 2 * scaled(2);
      break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      box.checked = true;
      box.width -= GetSystemMetrics(SM_CXMENUCHECK) + scaled(4);  // the box and its gap
      break;
    case BS_GROUPBOX:
      box.checked = true;
      box.width -= 2 * scaled(9);  // the frame's corners and the gaps around the caption
      box.height = INT_MAX;        // the caption is one line on the frame
      break;
    default:
      break;
  }
  return box;
}

// What does not fit in one dialog, and the access keys it uses twice.
std::vector<std::string> CheckDialog(HWND dialog, const std::string& where, int dpi) {
  std::vector<std::string> problems;
  AccessKeyLevel keys(where);
  for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    if (!IsWindowVisible(control)) continue;
    wchar_t text[1024] = L"";
    if (GetWindowTextW(control, text, 1024) <= 0) continue;
    TextBox box = BoxOf(control, dpi);
    if (!box.checked) continue;
    if (box.prefix) keys.Add(Utf8(text), false);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT need = {0, 0, box.width > 0 ? box.width : 1, 0};
    UINT flags = DT_CALCRECT | (box.wraps ? DT_WORDBREAK : DT_SINGLELINE) | (box.prefix ? 0 : DT_NOPREFIX);
    DrawTextW(dc, text, -1, &need, flags);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    if (need.right > box.width || need.bottom > box.height)
      problems.push_back(where + ": control " + std::to_string(GetDlgCtrlID(control)) + " \"" + Utf8(text) +
                         "\" needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) +
                         " pixels, has " + std::to_string(box.width) + "x" + std::to_string(box.height));
  }
  problems.insert(problems.end(), keys.problems().begin(), keys.problems().end());
  return problems;
}

// Links the dialog fonts to the font with Japanese, Korean and Chinese glyphs that setup
// installs, as Windows links its UI fonts to its own. Wine writes its own links again
// whenever a process starts with another code page than the last one; this program and its
// children share the program's (UTF-8), so links written here hold for the children.
void LinkDialogFontsToCjkFont() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink", 0,
                      nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  const char link[] = "wqy-microhei.ttc,WenQuanYi Micro Hei\0";  // a list: two zeros end it
  for (const char* face : {"Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "MS Sans Serif"})
    RegSetValueExA(key, face, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(link), sizeof(link));
  RegCloseKey(key);
}

std::string ScreenshotFolder(const char* tag) {
  std::string folder = ExeDirectory() + "\\..\\screenshots";  // build/screenshots
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += "\\lang";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += std::string("\\") + tag;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// The tray menu with its Settings submenu open, saved for review.
bool SaveTrayMenu(HWND window, const std::string& path) {
  bool saved = false;
  std::thread driver([&] {
    if (!WaitMenus(1)) return;
    HWND top = MenuWindows()[0];
    for (UINT key : {VK_UP, VK_UP, VK_UP, VK_RIGHT}) PressKey(top, key);  // up from Exit to Settings
    if (WaitMenus(2)) {
      RECT all = {};
      for (HWND menu : MenuWindows()) {
        RECT area;
        GetWindowRect(menu, &area);
        UnionRect(&all, &all, &area);
      }
      saved = SaveScreenAreaTo(all, path);
    }
    PostMessageA(window, WM_CANCELMODE, 0, 0);
  });
  ShowTrayMenu(window, 0);
  driver.join();
  return saved;
}

}  // namespace

TEST(DialogFit, EveryDialogHoldsItsTextsInEveryLanguageAtEachDpi) {
  if (ChildDpi()) GTEST_SKIP() << "the child runs only its own test";
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof(self));
  LinkDialogFontsToCjkFont();
  for (int dpi : {96, 144, 192}) {
    LogPixelsOverride pixels(static_cast<DWORD>(dpi));
    std::string command = std::string("\"") + self + "\" --gtest_filter=DialogFitChild.*";
    ProcessResult child = RunProcess(command, {std::string(kChildDpiVariable) + "=" + std::to_string(dpi)}, 600000);
    EXPECT_TRUE(child.finished) << dpi << " DPI";
    EXPECT_EQ(child.exitCode, 0u) << "texts do not fit at " << dpi << " DPI (the child's list is above)";
  }
}

// ---- run in the child process only, at the DPI the parent set

class DialogFitChild : public AppFixture {
 protected:
  void SetUp() override {
    if (!ChildDpi()) GTEST_SKIP() << "run by DialogFit.EveryDialogHoldsItsTextsInEveryLanguageAtEachDpi";
    AppFixture::SetUp();
  }
  void TearDown() override {
    if (!ChildDpi()) return;
    UseLanguage(0);
    AppFixture::TearDown();
  }
};

TEST_F(DialogFitChild, TextsFitAndKeysAreUnique) {
  int dpi = ChildDpi();
  InstallSavers({{"Aurora Ribbons", "C:\\Savers\\aurora.scr"}, {"Zebra Lines", "C:\\Savers\\zebra.scr"}});
  SetWindowPos(window_, HWND_TOP, 0, 0, 10, 10, SWP_SHOWWINDOW);
  AppState.clickPoint = POINT{40, 40};
  LoadIcons();  // the menu's check marks
  SetMenuCheckBitmaps(AppState.uncheckedBitmap, AppState.checkedBitmap);
  int count = 0;
  const LanguageInfo* languages = Languages(&count);
  std::vector<std::string> problems;
  for (int language = 0; language < count; language++) {
    if (!UseLanguage(language)) {
      problems.push_back(std::string(languages[language].tag) + " has no catalogue in the program");
      continue;
    }
    std::string folder = dpi == 96 ? ScreenshotFolder(languages[language].tag) : "";
    for (const ProgramDialog& dialog : AllDialogs()) {
      std::string where = std::string(dialog.name) + " in " + languages[language].tag + " at " +
                          std::to_string(dpi) + " DPI";
      bool checked = false;
      DriveResult run = DriveDialog(nullptr, dialog.open, [&](HWND window) {
        std::vector<std::string> found = CheckDialog(window, where, dpi);
        problems.insert(problems.end(), found.begin(), found.end());
        checked = true;
        if (!folder.empty()) {
          RECT area;
          GetWindowRect(window, &area);
          RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
          SaveScreenAreaTo(area, folder + "\\" + dialog.name + ".png");
        }
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
      });
      EXPECT_TRUE(run.found && checked) << where;
    }
    if (!folder.empty()) {
      EXPECT_TRUE(SaveTrayMenu(window_, folder + "\\tray_menu.png")) << languages[language].tag;
    }
  }
  FreeIcons();
  EXPECT_TRUE(problems.empty()) << problems.size() << " problems:\n" << JoinLines(problems);
}
