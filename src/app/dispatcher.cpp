// DispatchCommand. Not yet built beyond what the window procedure needs: reload (40001),
// the icon animation (40002), the tray menu (40003) and exit (40005). The other
// identifiers arrive with the commands and menu work.
#include "app/dispatcher.h"

#include <shellapi.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/tray_icon.h"
#include "app/tray_menu.h"
#include "log/log.h"
#include "settings/settings_store.h"
#include "system/system_saver_settings.h"
#include "system/saver_operations.h"
#include "catalog/saver_catalog.h"

bool ChooseRandomSaver() {
  const char* path = GetRandomScreenSaver();
  return path && SetCurrentSaver(path) != 0;
}

void SetSaverTimeout(int seconds) {
  if (seconds <= 0) return;
  AppState.saverTimeout = seconds;
  SaveWindowsSaverSettings(HKEY_CURRENT_USER);
}

void DispatchCommand(HWND window, int command) {
  switch (command) {
    case kCmdReloadSettings:
      LoadSettings();
      UpdateTrayIcon(NIM_DELETE);
      UpdateTrayIcon(NIM_ADD);
      PostMessageA(window, WM_COMMAND, kCmdAnimateIcon, 0);
      break;
    case kCmdAnimateIcon:
      KillTimer(AppState.mainWindow, kTimerAnimation);
      AppState.animationFrame = 0;
      SetTimer(AppState.mainWindow, kTimerAnimation, kAnimationPeriodMs, nullptr);
      break;
    case kCmdShowTrayMenu:
      ShowTrayMenu(window, (GetKeyState(VK_SHIFT) & 0x8000) ? kTrayMenuShift : 0);
      break;
    case kCmdExit:
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}
