// The tray's images: the nine animation frames in two sets, the disabled-for-a-while icon
// and the menu check mark, each loaded from the image drawn at exactly the small-icon
// size (or check size) of the notification area's DPI, never stretched from another.
// The icons are loaded when first shown (main thread), so the way to the tray icon loads
// one icon, not nineteen; the animation that follows loads the rest one frame at a time.
// A DPI change starts a fresh set and swaps it in (main thread only, as every use).
#include "tray/tray_images.h"

#include <shellapi.h>

#include "log/log.h"
#include "shell/dpi.h"
#include "state/app_state.h"
#include "tray/tray_icon.h"
#include "tray/tray_menu.h"

namespace {

struct TrayImages {
  HICON frames[kAnimationFrames];
  HICON crossed[kAnimationFrames];
  HICON disabled;
  HBITMAP checked;
};

UINT loadedDpi = 0;
int loadedIconSize = 0;

// The check mark now; the icons when first shown.
TrayImages LoadSet(UINT dpi) {
  int iconSize = GetMetricForDpi(SM_CXSMICON, dpi);
  if (iconSize <= 0) iconSize = 16;
  int checkSize = GetMetricForDpi(SM_CXMENUCHECK, dpi);
  LogMessage(kLogLogOnly, "icon sizes: %d, %d (%d DPI)", iconSize, iconSize, static_cast<int>(dpi));
  LogMessage(kLogLogOnly, "menu bitmap sizes: %d, %d", checkSize, checkSize);
  TrayImages images = {};
  images.checked = LoadCheckMarkBitmap(AppState.instance, checkSize);
  loadedDpi = dpi;
  loadedIconSize = iconSize;
  return images;
}

// Unchecked switch items show no image, so there is no unchecked bitmap.
void Store(const TrayImages& images) {
  for (int n = 0; n < kAnimationFrames; n++) {
    AppState.frameIcons[n] = images.frames[n];
    AppState.crossedFrameIcons[n] = images.crossed[n];
  }
  AppState.disabledIcon = images.disabled;
  AppState.checkedBitmap = images.checked;
  AppState.uncheckedBitmap = nullptr;
}

TrayImages Take() {
  TrayImages images = {};
  for (int n = 0; n < kAnimationFrames; n++) {
    images.frames[n] = AppState.frameIcons[n];
    images.crossed[n] = AppState.crossedFrameIcons[n];
  }
  images.disabled = AppState.disabledIcon;
  images.checked = AppState.checkedBitmap;
  if (AppState.uncheckedBitmap) DeleteObject(AppState.uncheckedBitmap);
  Store(TrayImages{});
  return images;
}

void Release(TrayImages* images) {
  for (int n = 0; n < kAnimationFrames; n++) {
    if (images->frames[n]) DestroyIcon(images->frames[n]);
    if (images->crossed[n]) DestroyIcon(images->crossed[n]);
  }
  if (images->disabled) DestroyIcon(images->disabled);
  if (images->checked) DeleteObject(images->checked);
  *images = TrayImages{};
}

HICON LoadedIcon(HICON* icon, const char* name) {
  if (!*icon && loadedIconSize > 0) *icon = LoadIconAtSize(AppState.instance, name, loadedIconSize);
  return *icon;
}

}  // namespace

void LoadIcons() { Store(LoadSet(GetTrayDpi())); }

void FreeIcons() {
  TrayImages images = Take();
  Release(&images);
  loadedDpi = 0;
  loadedIconSize = 0;
}

int LoadedIconSize() { return loadedIconSize; }

bool ReloadIconsForDpi(bool refreshIcon) {
  UINT dpi = GetTrayDpi();
  if (loadedDpi == 0 || dpi == loadedDpi) return false;
  TrayImages fresh = LoadSet(dpi);
  TrayImages old = Take();
  Store(fresh);
  SetMenuCheckBitmaps(AppState.uncheckedBitmap, AppState.checkedBitmap);
  // Sent before the old set goes, so the icon the shell was last given is never one
  // that no longer exists.
  if (refreshIcon) UpdateTrayIcon(NIM_MODIFY);
  Release(&old);
  return true;
}

HICON GetTrayFrameIcon(int frame, bool crossed) {
  if (frame < 0 || frame >= kAnimationFrames) return nullptr;
  char name[16];
  wsprintfA(name, crossed ? "DLANIMX%d" : "DLANIM%d", frame + 1);
  return LoadedIcon(crossed ? &AppState.crossedFrameIcons[frame] : &AppState.frameIcons[frame], name);
}

HICON GetTrayDisabledIcon() { return LoadedIcon(&AppState.disabledIcon, "DOZELITEXC"); }
