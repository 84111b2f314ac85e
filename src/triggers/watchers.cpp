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

namespace {

constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr DWORD kRegistryPollMs = 1000;
constexpr DWORD kCornerPollMs = 250;
constexpr DWORD kCornerFiredPauseMs = 750;
constexpr int kLeftTopZone = 5;      // coordinates 0 to 4
constexpr int kRightBottomZone = 4;  // coordinates size - 4 to size - 1

std::atomic<HANDLE> cornersEvent{nullptr};

void PostCommand(int command) {
  PostMessageA(AppState.mainWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

int CornerAction(ScreenCorner corner) {
  switch (corner) {
    case kTopLeftCorner:
      return AppState.topLeftActionMessage;
    case kTopRightCorner:
      return AppState.topRightActionMessage;
    case kBottomLeftCorner:
      return AppState.bottomLeftActionMessage;
    case kBottomRightCorner:
      return AppState.bottomRightActionMessage;
    default:
      return 0;
  }
}

// One zone index along an axis: -1 before, 0 the low zone, 1 the high zone, 2 neither.
int Zone(int position, int size) {
  if (position >= 0 && position < kLeftTopZone && position < size) return 0;
  if (position >= size - kRightBottomZone && position < size && position >= 0) return 1;
  return 2;
}

}  // namespace

// The left and top zones are 5 pixels wide, the right and bottom ones 4. Points left of
// or above the primary screen (other monitors) and at or past its size are no corner.
ScreenCorner FindScreenCorner(int x, int y, int width, int height) {
  int column = Zone(x, width);
  int row = Zone(y, height);
  if (column == 2 || row == 2) return kNoCorner;
  if (row == 0) return column == 0 ? kTopLeftCorner : kTopRightCorner;
  return column == 0 ? kBottomLeftCorner : kBottomRightCorner;
}

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

// Polls the cursor every 250 ms while corner actions are on and sleeps on its event
// while they are off. A corner fires once per stay: the cursor must be seen outside
// every corner that has an action before any corner fires again.
DWORD WINAPI CornerWatcherThread(void*) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "CornersActionEvent");
  cornersEvent = event;
  for (;;) {
    bool fired = false;
    while (AppState.corneraction) {
      POINT cursor;
      if (GetCursorPos(&cursor)) {
        ScreenCorner corner =
            FindScreenCorner(cursor.x, cursor.y, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        int action = CornerAction(corner);
        if (action != 0) {
          if (!fired) {
            PostCommand(action);
            fired = true;
            Sleep(kCornerFiredPauseMs);
          }
        } else {
          fired = false;
        }
      }
      Sleep(kCornerPollMs);
    }
    if (event) {
      WaitForSingleObject(event, INFINITE);
      ResetEvent(event);
    } else {
      Sleep(kCornerPollMs);  // without the event, look at the switch now and then
    }
  }
}

// Checks for a newer version at once and then after randomised waits of hours or days.
void WakeCornerWatcher() {
  HANDLE event = cornersEvent;
  if (event) SetEvent(event);
}
