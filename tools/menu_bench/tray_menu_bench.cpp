// Measures an opening of the tray menu for saver lists of 100, 1000 and 4096 savers
// against the bare menu calls it cannot avoid: one AppendMenuA and one
// SetMenuItemBitmaps per saver item of the built tree, with the same texts and bitmaps,
// in as many menus as the tree's saver lists. An opening is what command 40003 does
// before showing the menu: the tree kept from the last opening is brought up to date (the
// saver lists are built afresh every time; the lists they replace are destroyed then).
// The first opening, which builds the whole tree, is timed apart, with destroying the
// tree of the round before (as the old build-and-destroy did). All are timed alternately
// in the same run; the median and the best of the rounds are reported (the best is the
// cost without interference from other processes). Under Wine each submenu handle and
// registry read is a round trip to the wine server.
// Prints markdown table rows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "catalog/saver_info.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "tray/tray_menu.h"

namespace {

BOOL QuietNotifyIcon(DWORD, NOTIFYICONDATAA*) { return TRUE; }

void InstallSavers(int count) {
  auto* list = static_cast<SaverInfo*>(calloc(static_cast<size_t>(count), sizeof(SaverInfo)));
  for (int i = 0; i < count; i++) {
    char name[64];
    snprintf(name, sizeof(name), "Bench Saver %04d", i);
    char path[96];
    snprintf(path, sizeof(path), "C:\\Savers\\bench%04d.scr", i);
    list[i].displayName = DuplicateText(name);
    list[i].fullPath = DuplicateText(path);
    list[i].menuBitmap = CreateBitmap(16, 16, 1, 32, nullptr);
    list[i].itemWidth = 140;
    list[i].itemHeight = 18;
  }
  AppState.savers = list;
  AppState.saverCount = count;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The number of saver items (those with an image) in each menu of the tree that has any.
void CountSaverItems(HMENU menu, std::vector<int>* lists) {
  int items = 0;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      CountSaverItems(sub, lists);
      continue;
    }
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS | MIIM_ID;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.wID >= 41000 && info.wID < 47000 && info.hbmpChecked) items++;
  }
  if (items > 0) lists->push_back(items);
}

double TimeOpening(HWND window, const MenuScreen& screen) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  PrepareTrayMenu(window, 0, screen);
  QueryPerformanceCounter(&end);
  return Milliseconds(start, end);
}

// Building the whole tree, and destroying the one it replaces (as the old full build did).
double TimeFirstOpening(HWND window, const MenuScreen& screen) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  ForgetTrayMenu();
  PrepareTrayMenu(window, 0, screen);
  QueryPerformanceCounter(&end);
  return Milliseconds(start, end);
}

// The same number of items in menus of the same lengths as the tray menu's saver lists
// (the split into "More" menus included), so both look their items up by identifier in
// lists of equal size.
double TimeBareCalls(const std::vector<int>& lists) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int length : lists) {
    HMENU menu = CreatePopupMenu();
    for (int n = 0; n < length; n++) {
      const SaverInfo& saver = AppState.savers[n % AppState.saverCount];
      UINT id = static_cast<UINT>(41000 + n);
      AppendMenuA(menu, MF_STRING, id, saver.displayName);
      SetMenuItemBitmaps(menu, static_cast<UINT>(n), MF_BYPOSITION, saver.menuBitmap, saver.menuBitmap);
    }
    DestroyMenu(menu);
  }
  QueryPerformanceCounter(&end);
  return Milliseconds(start, end);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  ResetAppState(GetModuleHandleA(nullptr));
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_NT;
  AppState.osVersion.dwMajorVersion = 10;
  InitLog(nullptr, kProductName, "");
  SetAutoLogToFile(false);
  ShellNotifyIconEntry = QuietNotifyIcon;
  HWND window = CreateWindowExA(0, "STATIC", "bench", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  AppState.mainWindow = window;
  const MenuScreen screen{1280, 800, 19};

  printf("## Tray menu build\n\n");
  printf("| savers | saver items | opening (ms, median / best) | bare AppendMenuA + SetMenuItemBitmaps (ms, "
         "median / best) | ratio of medians | ratio of bests | first opening (ms, median) | its ratio |\n");
  printf("|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (int count : {100, 1000, 4096}) {
    InstallSavers(count);
    HMENU probe = BuildTrayMenu(window, 0, screen);
    std::vector<int> lists;
    CountSaverItems(probe, &lists);
    DestroyMenu(probe);
    int items = 0;
    for (int length : lists) items += length;
    int rounds = count <= 100 ? 201 : count <= 1000 ? 41 : 21;
    std::vector<double> full, bare, first;
    for (int r = 0; r < rounds; r++) {
      first.push_back(TimeFirstOpening(window, screen));
      full.push_back(TimeOpening(window, screen));
      bare.push_back(TimeBareCalls(lists));
    }
    double f = Median(full);
    double b = Median(bare);
    double fBest = *std::min_element(full.begin(), full.end());
    double bBest = *std::min_element(bare.begin(), bare.end());
    double firstMedian = Median(first);
    printf("| %d | %d | %.3f / %.3f | %.3f / %.3f | %.2fx | %.2fx | %.3f | %.2fx |\n", count, items, f, fBest, b, bBest,
           f / b, fBest / bBest, firstMedian, firstMedian / b);
    ForgetTrayMenu();
    FreeSaverList(AppState.savers, AppState.saverCount);
    AppState.savers = nullptr;
    AppState.saverCount = 0;
  }
  DestroyWindow(window);
  return 0;
}
