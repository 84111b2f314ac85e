// In a high-contrast scheme everything the program draws takes the system's colours. The
// emulator cannot switch high contrast on, but it takes a palette like one through
// SetSysColors: the tray menu (with its check marks) and every dialog are opened in it,
// and no pixel may show a colour outside the palette, except inside the program's own
// logo pictures; the edges of smoothed text may blend two palette colours. The pictures
// are saved as build/screenshots/*_contrast.png. The palette is put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "app/all_dialogs.h"
#include "resources/splash_dialog_ids.h"
#include "resources/text_dialog_ids.h"
#include "resources/tips_dialog_ids.h"
#include "shell/dpi.h"
#include "state/commands.h"
#include "support/access_keys.h"
#include "support/app_fixture.h"
#include "support/dialog_driver.h"
#include "tray/tray_contrast.h"
#include "tray/tray_images.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
const COLORREF kPalette[] = {kBlack, kWhite, kYellow, kCyan};

// Every system colour, mapped as a black high-contrast scheme maps it.
struct SchemeColour {
  int element;
  COLORREF colour;
};
const SchemeColour kScheme[] = {
    {COLOR_SCROLLBAR, kBlack},      {COLOR_BACKGROUND, kBlack},       {COLOR_ACTIVECAPTION, kBlack},
    {COLOR_INACTIVECAPTION, kBlack}, {COLOR_MENU, kBlack},            {COLOR_WINDOW, kBlack},
    {COLOR_WINDOWFRAME, kWhite},    {COLOR_MENUTEXT, kWhite},         {COLOR_WINDOWTEXT, kWhite},
    {COLOR_CAPTIONTEXT, kWhite},    {COLOR_ACTIVEBORDER, kWhite},     {COLOR_INACTIVEBORDER, kWhite},
    {COLOR_APPWORKSPACE, kBlack},   {COLOR_HIGHLIGHT, kYellow},       {COLOR_HIGHLIGHTTEXT, kBlack},
    {COLOR_BTNFACE, kBlack},        {COLOR_BTNSHADOW, kWhite},        {COLOR_GRAYTEXT, kCyan},
    {COLOR_BTNTEXT, kWhite},        {COLOR_INACTIVECAPTIONTEXT, kWhite}, {COLOR_BTNHIGHLIGHT, kWhite},
    {COLOR_3DDKSHADOW, kBlack},     {COLOR_3DLIGHT, kWhite},          {COLOR_INFOTEXT, kWhite},
    {COLOR_INFOBK, kBlack},         {COLOR_HOTLIGHT, kCyan},          {COLOR_GRADIENTACTIVECAPTION, kBlack},
    {COLOR_GRADIENTINACTIVECAPTION, kBlack}, {COLOR_MENUHILIGHT, kYellow}, {COLOR_MENUBAR, kBlack},
};

// Puts the scheme in place for its lifetime and the user's colours back after.
class ContrastScheme {
 public:
  ContrastScheme() {
    for (const SchemeColour& entry : kScheme) {
      elements_.push_back(entry.element);
      saved_.push_back(GetSysColor(entry.element));
      wanted_.push_back(entry.colour);
    }
    applied_ = SetSysColors(static_cast<int>(elements_.size()), elements_.data(), wanted_.data()) != FALSE;
  }
  ~ContrastScheme() { SetSysColors(static_cast<int>(elements_.size()), elements_.data(), saved_.data()); }
  bool applied() const { return applied_; }

 private:
  std::vector<int> elements_;
  std::vector<COLORREF> saved_;
  std::vector<COLORREF> wanted_;
  bool applied_ = false;
};

// A palette colour, or a blend of two (a smoothed edge), within a small tolerance; or the
// exact inverse of a palette colour, which is how the system draws a focus rectangle
// (inverted dots) over a palette colour.
bool InPalette(BYTE r, BYTE g, BYTE b) {
  for (COLORREF colour : kPalette)
    if (RGB(r, g, b) == (~colour & 0xFFFFFF)) return true;
  for (COLORREF a : kPalette) {
    for (COLORREF c : kPalette) {
      double d[3] = {GetRValue(c) - GetRValue(a) + 0.0, GetGValue(c) - GetGValue(a) + 0.0,
                     GetBValue(c) - GetBValue(a) + 0.0};
      double p[3] = {r - GetRValue(a) + 0.0, g - GetGValue(a) + 0.0, b - GetBValue(a) + 0.0};
      double length = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
      double t = length > 0 ? (p[0] * d[0] + p[1] * d[1] + p[2] * d[2]) / length : 0;
      if (t < 0) t = 0;
      if (t > 1) t = 1;
      double off = 0;
      for (int n = 0; n < 3; n++) off += (p[n] - t * d[n]) * (p[n] - t * d[n]);
      if (off <= 12 * 12) return true;
    }
  }
  return false;
}

// The screen's pixels in `area` that are no palette colour outside the excluded
// rectangles: their count, and the first one as text.
std::string StrayPixels(RECT area, const std::vector<RECT>& excluded) {
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return "nothing on the screen";
  std::vector<uint8_t> bgra = ScreenPixels(area);
  if (bgra.empty()) return "nothing read from the screen";
  const RGBQUAD* pixels = reinterpret_cast<const RGBQUAD*>(bgra.data());
  int stray = 0;
  std::string first;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      POINT at = {area.left + x, area.top + y};
      bool skip = false;
      for (const RECT& rect : excluded) skip = skip || PtInRect(&rect, at);
      const RGBQUAD& pixel = pixels[static_cast<size_t>(y) * width + x];
      if (skip || InPalette(pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue)) continue;
      if (stray++ == 0)
        first = "(" + std::to_string(x) + "," + std::to_string(y) + ") is " + std::to_string(pixel.rgbRed) + "," +
                std::to_string(pixel.rgbGreen) + "," + std::to_string(pixel.rgbBlue);
    }
  }
  return stray ? std::to_string(stray) + " pixels outside the palette, first " + first : "";
}

RECT ScreenRect(HWND window) {
  RECT area = {};
  if (window) GetWindowRect(window, &area);
  return area;
}

// A real high-contrast theme switches the visual styles off, and the emulator reads that
// setting when a process starts: the tests run in a child started with the styles off.
constexpr const char* kChildVariable = "DOZELITE_CONTRAST_CHILD";
constexpr const char* kThemeKey = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

bool IsContrastChild() { return getenv(kChildVariable) != nullptr; }

class HighContrastTest : public AppFixture {
 protected:
  void SetUp() override {
    if (!IsContrastChild()) GTEST_SKIP() << "run by HighContrast.WithoutVisualStyles";
    AppFixture::SetUp();
  }
  void TearDown() override {
    if (IsContrastChild()) AppFixture::TearDown();
  }
};

}  // namespace

TEST(HighContrast, WithoutVisualStyles) {
  if (IsContrastChild()) GTEST_SKIP() << "the child runs only its own tests";
  std::string before;
  bool had = ReadRegistryString(HKEY_CURRENT_USER, kThemeKey, "ThemeActive", &before);
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kThemeKey, "ThemeActive", "0"));
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof(self));
  std::string command = std::string("\"") + self + "\" --gtest_filter=HighContrastTest.*";
  ProcessResult child = RunProcess(command, {std::string(kChildVariable) + "=1"}, 180000);
  if (had) {
    WriteRegistryString(HKEY_CURRENT_USER, kThemeKey, "ThemeActive", before);
  } else {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kThemeKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "ThemeActive");
      RegCloseKey(key);
    }
  }
  EXPECT_TRUE(child.finished);
  EXPECT_EQ(child.exitCode, 0u);
}

TEST_F(HighContrastTest, MenuAndDialogsUseOnlyTheSystemColours) {
  LoadIcons();
  SetMenuCheckBitmaps(AppState.uncheckedBitmap, AppState.checkedBitmap);
  AppState.randomonload = 1;  // a few switches carry the check mark
  AppState.nosplash = 1;
  AppState.clickPoint = POINT{40, 40};
  SetWindowPos(window_, HWND_TOP, 0, 0, 10, 10, SWP_SHOWWINDOW);
  ContrastScheme scheme;
  ASSERT_TRUE(scheme.applied());
  std::vector<std::string> problems;

  // The menu's check mark was painted again when the colours changed: only palette colours.
  int width = 0;
  int height = 0;
  std::vector<unsigned char> check = BitmapBits(AppState.checkedBitmap, &width, &height);
  for (size_t n = 0; n + 3 < check.size(); n += 4)
    if (!InPalette(check[n + 2], check[n + 1], check[n])) {
      problems.push_back("the check mark keeps a colour of its own");
      break;
    }

  std::thread driver([&] {
    if (!WaitMenus(1)) return;
    HWND top = MenuWindows()[0];
    for (UINT key : {VK_UP, VK_UP, VK_UP, VK_RIGHT}) PressKey(top, key);  // up from "E&xit" to "Se&ttings"
    if (WaitMenus(2)) {
      Sleep(300);
      for (HWND menu : MenuWindows()) {
        std::string stray = StrayPixels(ScreenRect(menu), {});
        if (!stray.empty()) problems.push_back("tray menu: " + stray);
      }
      RECT all = {};
      for (HWND menu : MenuWindows()) {
        RECT area = ScreenRect(menu);
        UnionRect(&all, &all, &area);
      }
      SaveScreenArea(all, "tray_menu_contrast");
    } else {
      problems.push_back("the settings submenu did not open");
    }
    PostMessageA(window_, WM_CANCELMODE, 0, 0);
  });
  ShowTrayMenu(window_, 0);
  driver.join();

  for (const ProgramDialog& dialog : AllDialogs()) {
    DriveResult run = DriveDialog(dialog.title, dialog.open, [&](HWND window) {
      RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
      Sleep(300);
      // The logo is the program's own picture.
      std::vector<RECT> logo;
      for (int id : {IDC_SPLASH_ICON, IDC_TEXT_ICON, IDC_TIPS_ICON})
        if (HWND picture = GetDlgItem(window, id))
          if (GetWindowLongA(picture, GWL_STYLE) & SS_ICON) logo.push_back(ScreenRect(picture));
      std::string stray = StrayPixels(ScreenRect(window), logo);
      if (!stray.empty()) problems.push_back(std::string(dialog.name) + ": " + stray);
      SaveScreenshot(window, (std::string(dialog.name) + "_contrast").c_str());
      PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    if (!run.found) problems.push_back(std::string(dialog.name) + " did not open");
  }
  FreeIcons();
  EXPECT_EQ(JoinLines(problems), "");
}

// In high contrast the tray icon is a silhouette in the system's colours, crossed out by a
// band of the highlight colour when the saver is off, in the grey-text colour while it is
// disabled for a while.
TEST_F(HighContrastTest, TrayIconSilhouettesTakeTheSystemColours) {
  ContrastScheme scheme;
  ASSERT_TRUE(scheme.applied());
  HICON source = LoadIconAtSize(GetModuleHandleA(nullptr), "DLANIM1", 32);
  ASSERT_NE(source, nullptr);
  struct Case {
    TrayIconLook look;
    std::vector<COLORREF> colours;  // those that must show
  } cases[] = {{kLookPlain, {kWhite}}, {kLookCrossed, {kWhite, kYellow}}, {kLookDisabledForAWhile, {kCyan}}};
  for (const Case& c : cases) {
    HICON icon = MakeContrastTrayIcon(source, c.look);
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bits = BitmapBits(info.hbmColor, &width, &height);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    std::vector<COLORREF> seen;
    bool foreign = false;
    for (size_t n = 0; n + 3 < bits.size(); n += 4) {
      if (bits[n + 3] == 0) continue;  // transparent
      COLORREF colour = RGB(bits[n + 2], bits[n + 1], bits[n]);
      bool known = false;
      for (COLORREF p : kPalette) known = known || p == colour;
      foreign = foreign || !known;
      if (std::find(seen.begin(), seen.end(), colour) == seen.end()) seen.push_back(colour);
    }
    EXPECT_FALSE(foreign) << c.look;
    for (COLORREF wanted : c.colours)
      EXPECT_NE(std::find(seen.begin(), seen.end(), wanted), seen.end()) << c.look << " lacks " << wanted;
    bool banded = std::find(seen.begin(), seen.end(), kYellow) != seen.end();
    EXPECT_EQ(banded, c.look == kLookCrossed) << c.look;
  }
  DestroyIcon(source);
}
