// The worker threads. Each is an endless loop started once after the tray icon exists;
// they read shared fields (all atomic) and reach the main thread only by posting
// WM_COMMAND, never by calling the dispatcher.
#include "triggers/watchers.h"

#include <shellapi.h>

#include <atomic>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/tray_icon.h"
#include "system/system_saver_settings.h"
#include "update/update_scheduler.h"

namespace {

constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr DWORD kRegistryPollMs = 1000;

void PostCommand(int command) {
  PostMessageA(AppState.mainWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

}  // namespace

// Waits for any write under the desktop key (any process), rereads the system saver
// settings, refreshes the icon and asks for its animation. When the notification cannot
// be armed it polls once a second and refreshes only on a real change.
DWORD WINAPI RegistryWatcherThread(void*) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "RegistryChangeEvent");
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) {
    if (event) CloseHandle(event);
    return 0;
  }
  for (;;) {
    bool notified = false;
    if (event) {
      ResetEvent(event);
      if (RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE) == ERROR_SUCCESS)
        notified = WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0;
    }
    if (!notified) Sleep(kRegistryPollMs);
    int changed = LoadWindowsSaverSettings();
    if (notified || changed) {
      UpdateTrayIcon(NIM_MODIFY);
      PostCommand(kCmdAnimateIcon);
    }
  }
}

// Checks for a newer version at once and then after randomised waits of hours or days.
DWORD WINAPI UpdateSchedulerThread(void*) { RunUpdateScheduler(); }

