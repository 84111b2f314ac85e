// The application state record and its start values (see the parts in state/app_state.h).
#include "state/app_state.h"

#include <cstdlib>
#include <cstring>

#include "language/text.h"

ApplicationState AppState;

static void SetHotKey(HotKeyEntry* entry, int id, const char* description, const char* keyValueName,
                      const char* modifiersValueName) {
  entry->id = id;
  entry->virtualKey = 0;
  entry->modifiers = 0;
  entry->editVirtualKey = 0;
  entry->editModifiers = 0;
  entry->description = description;
  entry->keyValueName = keyValueName;
  entry->modifiersValueName = modifiersValueName;
}

void ResetAppState(HINSTANCE instance) {
  AppState.instance = instance;
  AppState.mainWindow = nullptr;
  AppState.versionText[0] = 0;
  AppState.legalText[0] = 0;
  memset(&AppState.osVersion, 0, sizeof(AppState.osVersion));
  AppState.osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);

  AppState.savers = nullptr;
  AppState.saverCount = 0;

  AppState.saverActive = 0;
  AppState.passwordActive = 0;
  AppState.saverTimeout = 600;
  AppState.disableSeconds = 0;
  AppState.disableStartTick = 0;

  AppState.delay = 150;
  AppState.nosplash = 0;
  AppState.notips = 0;
  AppState.notifications = 1;
  AppState.tipnumber = 0;
  memset(AppState.showntips, '1', kShownTipsSize - 1);
  AppState.showntips[kShownTipsSize - 1] = 0;
  AppState.randomonclick = 0;
  AppState.randomonload = 0;
  AppState.randomonactivate = 0;
  AppState.corneraction = 0;
  AppState.splitlist = 1;
  AppState.chooselaunch = 0;
  AppState.unifiedlist = 0;
  AppState.selectionActionMessageBase = 41000;
  AppState.singleLeftActionMessage = 0;
  AppState.doubleLeftActionMessage = 0;
  AppState.singleRightActionMessage = 0;
  AppState.doubleRightActionMessage = 0;
  AppState.topLeftActionMessage = 0;
  AppState.bottomLeftActionMessage = 0;
  AppState.topRightActionMessage = 0;
  AppState.bottomRightActionMessage = 0;
  AppState.cornerscope = 0;
  AppState.cornerdelay = 0;
  AppState.cornersfullscreen = 0;
  // The list ends at its first null entry; the entries past it are never touched (not
  // even read), so the untouched part of the 4096 costs no memory.
  for (int n = 0; n < kMaxSaverPaths && AppState.saverpath[n]; n++) AppState.saverpath[n] = nullptr;
  memset(AppState.id, 0, sizeof(AppState.id));
  // Translators: the second line of the hot key dialog, after "Press the key combination that will".
  SetHotKey(&AppState.hotKeys[0], 0, TrNoop("activate your screen saver"), "hotkey", "hotkeymodifiers");
  // Translators: the second line of the hot key dialog, after "Press the key combination that will".
  SetHotKey(&AppState.hotKeys[1], 1, TrNoop("power off you monitor"), "hotkeypoweroff", "hotkeypoweroffmodifiers");

  AppState.kill = 0;
  AppState.help = 0;
  AppState.run = 0;
  AppState.uninstall = 0;

  AppState.leftClicks = 0;
  AppState.rightClicks = 0;
  AppState.clickPoint = POINT{0, 0};
  AppState.lastMouseMoveTick = 0;
  AppState.animationFrame = 0;
  AppState.taskbarCreatedMessage = 0;
  AppState.recordedCommand = 40006;

  for (HICON& icon : AppState.frameIcons) icon = nullptr;
  for (HICON& icon : AppState.crossedFrameIcons) icon = nullptr;
  AppState.disabledIcon = nullptr;
  AppState.uncheckedBitmap = nullptr;
  AppState.checkedBitmap = nullptr;
}

void FreeSaverPaths() {
  for (int n = 0; n < kMaxSaverPaths && AppState.saverpath[n]; n++) {
    free(AppState.saverpath[n]);
    AppState.saverpath[n] = nullptr;
  }
}

bool IsNtPlatform() { return AppState.osVersion.dwPlatformId == VER_PLATFORM_WIN32_NT; }

// The NT family up to 4, the 9x family before 4 or exactly 4.0 (Windows 95) cannot
// serve the newer menus.
bool IsLegacyWindows() {
  const OSVERSIONINFOA& os = AppState.osVersion;
  if (os.dwPlatformId == VER_PLATFORM_WIN32_NT) return os.dwMajorVersion <= 4;
  if (os.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
    return os.dwMajorVersion < 4 || (os.dwMajorVersion == 4 && os.dwMinorVersion == 0);
  return false;
}
