// Sharp at every scale: every icon group holds each drawn size; at 96, 144 and 192 DPI
// (the prefix's LogPixels, read by each new process) the tray images are the drawn ones
// of exactly the small-icon size, never a stretched smaller one; at 144 and 192 DPI the
// menu and every dialog are saved as screenshots for review.
//
// The DPI is fixed when a process starts, so the parent test sets LogPixels, runs this
// program again with only the child tests, and puts the value back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/dispatcher.h"
#include "app/startup.h"
#include "dialogs/paths_dialog.h"
#include "dialogs/splash_dialog.h"
#include "dialogs/timeout_dialog.h"
#include "dialogs/tips_dialog.h"
#include "shell/dpi.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/log_pixels.h"
#include "support/dialog_driver.h"
#include "system/system_saver_settings.h"
#include "tray/tray_images.h"
#include "triggers/hot_keys.h"

namespace {

constexpr const char* kChildDpiVariable = "DOZELITE_CHILD_DPI";
const int kDrawnSizes[] = {16, 20, 24, 32, 40, 48, 64, 256};

#pragma pack(push, 2)
struct GroupEntry {  // one image of an RT_GROUP_ICON directory
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

std::vector<GroupEntry> GroupImages(const char* name) {
  std::vector<GroupEntry> images;
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!found) return images;
  auto header = static_cast<const GroupHeader*>(LockResource(LoadResource(module, found)));
  auto entries = reinterpret_cast<const GroupEntry*>(header + 1);
  images.assign(entries, entries + header->count);
  return images;
}

std::vector<BYTE> ColourBits(HICON icon, int* size) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return {};
  int height = 0;
  std::vector<BYTE> bits = BitmapBits(info.hbmColor, size, &height);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bits;
}

// The group's own image of `size` pixels, made into an icon without any scaling.
HICON DrawnImage(const char* name, int size) {
  HMODULE module = GetModuleHandleA(nullptr);
  for (const GroupEntry& entry : GroupImages(name)) {
    if ((entry.width ? entry.width : 256) != size) continue;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3));  // RT_ICON
    if (!found) return nullptr;
    auto bits = static_cast<BYTE*>(LockResource(LoadResource(module, found)));
    return CreateIconFromResourceEx(bits, SizeofResource(module, found), TRUE, 0x30000, size, size, 0);
  }
  return nullptr;
}

// What the child checks about one loaded tray image; empty when all is well.
std::string CheckTrayImage(const char* name, HICON loaded, int size) {
  int loadedSize = 0;
  std::vector<BYTE> bits = ColourBits(loaded, &loadedSize);
  if (loadedSize != size) return std::string(name) + " is " + std::to_string(loadedSize) + " pixels";
  HICON drawn = DrawnImage(name, size);
  if (!drawn) return std::string(name) + " has no drawn image of " + std::to_string(size);
  int drawnSize = 0;
  bool same = ColourBits(drawn, &drawnSize) == bits;
  DestroyIcon(drawn);
  return same ? "" : std::string(name) + " differs from its drawn image of " + std::to_string(size);
}

int ChildDpi() {
  const char* value = getenv(kChildDpiVariable);
  return value ? atoi(value) : 0;
}

}  // namespace

TEST(DisplayScale, EveryIconGroupHoldsEachDrawnSize) {
  std::vector<std::string> names = {"DOZELITE", "DOZELITEXC"};
  for (int n = 1; n <= kAnimationFrames; n++) {
    names.push_back("DLANIM" + std::to_string(n));
    names.push_back("DLANIMX" + std::to_string(n));
  }
  for (const std::string& name : names) {
    std::vector<int> sizes;
    for (const GroupEntry& entry : GroupImages(name.c_str())) sizes.push_back(entry.width ? entry.width : 256);
    EXPECT_EQ(sizes, std::vector<int>(std::begin(kDrawnSizes), std::end(kDrawnSizes))) << name;
  }
}

TEST(DisplayScale, TrayImagesAreTheDrawnOnesAtEachDpi) {
  if (ChildDpi()) GTEST_SKIP() << "the child runs only its own tests";
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof(self));
  for (int dpi : {96, 144, 192}) {
    LogPixelsOverride pixels(static_cast<DWORD>(dpi));
    std::string command = std::string("\"") + self + "\" --gtest_filter=DisplayScaleChild.*";
    ProcessResult child = RunProcess(command, {std::string(kChildDpiVariable) + "=" + std::to_string(dpi)}, 180000);
    EXPECT_TRUE(child.finished) << dpi << " DPI";
    EXPECT_EQ(child.exitCode, 0u) << "the child's checks failed at " << dpi << " DPI (its output is above)";
  }
}

// ---- run in the child process only, at the DPI the parent set

class DisplayScaleChild : public AppFixture {
 protected:
  void SetUp() override {
    if (!ChildDpi()) GTEST_SKIP() << "run by DisplayScale.TrayImagesAreTheDrawnOnesAtEachDpi";
    AppFixture::SetUp();
  }
  void TearDown() override {
    if (ChildDpi()) AppFixture::TearDown();
  }
};

TEST_F(DisplayScaleChild, TrayIconIsLoadedAtTheSmallIconSize) {
  int dpi = ChildDpi();
  ASSERT_EQ(static_cast<int>(GetSystemDpi()), dpi);
  EXPECT_EQ(static_cast<int>(GetTrayDpi()), dpi);
  int size = GetSystemMetrics(SM_CXSMICON);
  EXPECT_EQ(size, 16 * dpi / 96);  // 16, 24, 32
  LoadIcons();
  EXPECT_EQ(LoadedIconSize(), size);
  EXPECT_EQ(AppState.frameIcons[0], nullptr);  // loaded when first shown
  for (int n = 1; n <= kAnimationFrames; n++) {
    EXPECT_EQ(CheckTrayImage(("DLANIM" + std::to_string(n)).c_str(), GetTrayFrameIcon(n - 1, false), size), "");
    EXPECT_EQ(CheckTrayImage(("DLANIMX" + std::to_string(n)).c_str(), GetTrayFrameIcon(n - 1, true), size), "");
  }
  EXPECT_EQ(CheckTrayImage("DOZELITEXC", GetTrayDisabledIcon(), size), "");
  EXPECT_EQ(GetTrayFrameIcon(2, true), AppState.crossedFrameIcons[2]);  // loaded once, then kept
  BITMAP check = {};
  ASSERT_TRUE(GetObjectA(AppState.checkedBitmap, sizeof(check), &check));
  EXPECT_EQ(check.bmWidth, GetSystemMetrics(SM_CXMENUCHECK));
  EXPECT_EQ(check.bmHeight, GetSystemMetrics(SM_CYMENUCHECK));
  EXPECT_FALSE(ReloadIconsForDpi());  // same DPI: nothing to reload
  FreeIcons();
}

// By-products for review: the menu with its Settings submenu (check marks) and each
// dialog, at 144 and 192 DPI; each dialog also answers a DPI change.
TEST_F(DisplayScaleChild, MenuAndDialogsOnTheScreen) {
  int dpi = ChildDpi();
  if (dpi == 96) GTEST_SKIP() << "screenshots are taken at 144 and 192 DPI";
  std::string suffix = "_" + std::to_string(dpi) + "dpi";
  std::string folder = MakeTempFolder("scaled savers");
  for (const char* name : {"aurora.scr", "bubbles.scr", "Lanterns.scr", "plasma.scr", "starlight.scr"})
    CopyFileA(BuildFilePath((std::string("savers\\") + name).c_str()).c_str(), (folder + "\\" + name).c_str(), FALSE);
  FreeSaverPaths();
  AppState.saverpath[0] = DuplicateText(folder.c_str());
  DispatchCommand(window_, kCmdRefreshSavers);
  SetSystemSaver(folder + "\\bubbles.scr");
  SetDesktopValue("ScreenSaveActive", "1");
  LoadWindowsSaverSettings();  // taken in as the registry watcher's reading would be
  LoadIcons();
  SetMenuCheckBitmaps(AppState.uncheckedBitmap, AppState.checkedBitmap);
  AppState.clickPoint = POINT{40, 40};
  SetWindowPos(window_, HWND_TOP, 0, 0, 10, 10, SWP_SHOWWINDOW);

  bool menusShown = false;
  std::thread driver([&] {
    if (!WaitMenus(1)) return;
    HWND top = MenuWindows()[0];
    for (UINT key : {VK_UP, VK_UP, VK_UP, VK_RIGHT}) PressKey(top, key);  // up from "E&xit" to "Se&ttings"
    if (WaitMenus(2)) {
      menusShown = true;
      RECT all = {};
      for (HWND menu : MenuWindows()) {
        RECT area;
        GetWindowRect(menu, &area);
        UnionRect(&all, &all, &area);
      }
      SaveScreenArea(all, ("tray_menu" + suffix).c_str());
    }
    PostMessageA(window_, WM_CANCELMODE, 0, 0);
  });
  ShowTrayMenu(window_, 0);
  driver.join();
  EXPECT_TRUE(menusShown);

  struct Dialog {
    const char* title;
    const char* name;
    std::function<INT_PTR()> open;
  } dialogs[] = {
      {"Dozelite (splash)", "splash", [] { return ShowSplash(nullptr, 0); }},
      {"Dozelite Timer Setting", "timeout_dialog", [] { return ShowTimeOutDialog(nullptr, 600); }},
      {"Screen Saver Search Paths", "paths_dialog", [] { return ShowPathsDialog(nullptr); }},
      {"Dozelite Tip of the Day", "tips_dialog", [] { return ShowTipsDialog(nullptr, -1); }},
      {"Dozelite Hotkey Setting", "hotkey_dialog", [] { return ShowHotKeyDialog(nullptr, &AppState.hotKeys[0]); }},
      {"Dozelite", "text_dialog",
       [] {
         return DialogBoxParamA(AppState.instance, "TEXTDIALOG", nullptr, TextDlgProc,
                                reinterpret_cast<LPARAM>("Dozelite Version 3.0\r\nGetSaverEnumeration processed 5 savers"));
       }},
  };
  for (const Dialog& dialog : dialogs) {
    bool saved = false;
    RECT moved = {};
    DriveResult run = DriveDialog(dialog.title, dialog.open, [&](HWND window) {
      saved = SaveScreenshot(window, (std::string(dialog.name) + suffix).c_str());
      // Moved to a monitor of another DPI, the dialog takes the place the system suggests.
      RECT suggested = {30, 40, 530, 440};
      SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
      GetWindowRect(window, &moved);
    });
    EXPECT_TRUE(run.found) << dialog.title;
    EXPECT_TRUE(saved) << dialog.title;
    EXPECT_EQ(moved.left, 30) << dialog.title;
    EXPECT_EQ(moved.bottom, 440) << dialog.title;
  }
  FreeIcons();
  RemoveTree(folder);
}
