// TrayWindowProc: a thin switch over the messages of the main window. Every handler runs
// inside a catch-all, so a fault in a command is reported and the program keeps running.
//
// Tray clicks: both buttons share two counters and only one button is counted at a
// time. A button whose single and double actions are equal acts on release at once;
// otherwise the first press starts timer 234 for the double-click time, and when it
// fires one press means the single action and two or more the double action.
//
// The tray callback comes in two forms. Version 4 (when the shell took it) carries the
// event in the low word of lParam, the icon's id in the high word and the icon's anchor
// in wParam; the older form carries the id in wParam and the mouse message alone in
// lParam. The high word tells them apart. Version 4 adds the keyboard's events: select
// (Enter or Space on the focused icon) runs the single-left-click action at once, and
// the context menu (Shift+F10, the Applications key) opens the tray menu at the anchor.
// The shell sends the same two events after mouse clicks too; those are left to the
// click counting above, so a click still acts once.
//
// A WM_COMMAND's lParam says where it came from (CommandSource): after a command from a
// hot key, a corner or a second start's hand-off the outcome is told in a balloon. A
// tray menu opened from the icon that closes without a choice gives the focus back to
// the icon, so a keyboard user is where they started.
#include "app/window_proc.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app/dispatcher.h"
#include "catalog/catalog_loader.h"
#include "diagnose/diagnose.h"
#include "holdoff/clock_holds.h"
#include "holdoff/holdoff_state.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/dpi.h"
#include "state/announce.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/saver_operations.h"
#include "system/system_saver_settings.h"
#include "tray/notifications.h"
#include "tray/open_menus.h"
#include "tray/saver_context_menu.h"
#include "tray/tray_icon.h"
#include "tray/tray_images.h"
#include "triggers/registry_watcher.h"
#include "update/update_check.h"
#include "update/update_scheduler.h"

namespace {

void PostCommand(HWND window, int command, CommandSource source = kSourceMenu) {
  PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), source);
}

// When the last mouse button message came from the icon, and when the last keyboard
// select was acted on (the shell may send one press twice).
DWORD lastIconButtonTick = 0;
bool iconButtonSeen = false;
DWORD lastKeySelectTick = 0;
bool keySelectSeen = false;

bool Within(bool seen, DWORD since, DWORD period) { return seen && GetTickCount() - since <= period; }

struct ButtonActions {
  int* ownClicks;
  int* otherClicks;
  int singleAction;
  int doubleAction;
};

ButtonActions LeftButton() {
  return {&AppState.leftClicks, &AppState.rightClicks, AppState.singleLeftActionMessage,
          AppState.doubleLeftActionMessage};
}

ButtonActions RightButton() {
  return {&AppState.rightClicks, &AppState.leftClicks, AppState.singleRightActionMessage,
          AppState.doubleRightActionMessage};
}

void OnButtonPress(HWND window, const ButtonActions& button) {
  if (*button.otherClicks != 0) return;
  if (button.singleAction == button.doubleAction) return;
  UpdateTrayIcon(NIM_MODIFY);
  GetCursorPos(&AppState.clickPoint);
  if (AppState.leftClicks == 0 && AppState.rightClicks == 0)
    SetTimer(window, kTimerDoubleClick, GetDoubleClickTime(), nullptr);
  (*button.ownClicks)++;
}

void OnButtonRelease(HWND window, const ButtonActions& button) {
  if (*button.otherClicks != 0) return;
  if (button.singleAction != button.doubleAction) return;
  GetCursorPos(&AppState.clickPoint);
  PostCommand(window, button.singleAction ? button.singleAction : kCmdShowTrayMenu, kSourceTrayIcon);
}

int Candidate(int clicks, int singleAction, int doubleAction) {
  if (clicks == 1) return singleAction;
  if (clicks >= 2) return doubleAction;
  return 0;
}

void OnDoubleClickTimer(HWND window) {
  if (AppState.leftClicks <= 0 && AppState.rightClicks <= 0) return;
  KillTimer(window, kTimerDoubleClick);
  int left = Candidate(AppState.leftClicks, AppState.singleLeftActionMessage, AppState.doubleLeftActionMessage);
  if (left != 0) {
    PostCommand(window, left, kSourceTrayIcon);
  } else {
    int right =
        Candidate(AppState.rightClicks, AppState.singleRightActionMessage, AppState.doubleRightActionMessage);
    PostCommand(window, right ? right : kCmdShowTrayMenu, kSourceTrayIcon);
  }
  AppState.leftClicks = 0;
  AppState.rightClicks = 0;
}

void OnMouseMove() {
  DWORD now = GetTickCount();
  if (now - AppState.lastMouseMoveTick > kMouseMoveRefreshMs) {
    LoadWindowsSaverSettings();
    UpdateTrayIcon(NIM_MODIFY);
    AppState.lastMouseMoveTick = GetTickCount();
  }
}

// Where the icon is: the anchor of a version-4 callback, else the cursor.
POINT IconPoint(const TrayCallback& callback) {
  POINT point = callback.anchor;
  if (!callback.hasAnchor) GetCursorPos(&point);
  return point;
}

// Enter or Space on the focused icon: the single-left-click action, at once.
void OnIconSelect(HWND window, const TrayCallback& callback) {
  DWORD period = GetDoubleClickTime();
  if (Within(iconButtonSeen, lastIconButtonTick, period)) return;  // after a mouse click
  if (Within(keySelectSeen, lastKeySelectTick, period)) return;      // the same press again
  lastKeySelectTick = GetTickCount();
  keySelectSeen = true;
  AppState.clickPoint = IconPoint(callback);
  int action = AppState.singleLeftActionMessage;
  PostCommand(window, action ? action : kCmdShowTrayMenu, kSourceTrayIcon);
}

// Shift+F10 or the Applications key on the icon: the tray menu at the icon.
void OnIconContextMenu(HWND window, const TrayCallback& callback) {
  if (Within(iconButtonSeen, lastIconButtonTick, GetDoubleClickTime())) return;  // after a right click
  AppState.clickPoint = IconPoint(callback);
  PostCommand(window, kCmdShowTrayMenu, kSourceTrayIcon);
}

void OnTrayCallback(HWND window, const TrayCallback& callback) {
  switch (callback.event) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
      lastIconButtonTick = GetTickCount();
      iconButtonSeen = true;
      break;
    default:
      break;
  }
  switch (callback.event) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButtonPress(window, LeftButton());
      break;
    case WM_LBUTTONUP:
      OnButtonRelease(window, LeftButton());
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      OnButtonPress(window, RightButton());
      break;
    case WM_RBUTTONUP:
      OnButtonRelease(window, RightButton());
      break;
    case WM_MOUSEMOVE:
      OnMouseMove();
      break;
    case NIN_SELECT:
    case NIN_KEYSELECT:
      OnIconSelect(window, callback);
      break;
    case WM_CONTEXTMENU:
      OnIconContextMenu(window, callback);
      break;
    default:
      break;
  }
}

// The check mark, the icons and the savers' menu pictures (drawn on the menu's colour)
// are made again in the new colours; the kept menu goes with the old check mark.
void OnColoursChanged(HWND window) {
  LogMessage(kLogLogOnly, "System colours changed");
  ReloadImagesForColours();
  PostCommand(window, kCmdRefreshSavers);
}

// A tray menu opened from the icon closed: when nothing was chosen (no command waits),
// the focus goes back to the icon.
void AfterMenuFromIcon(HWND window) {
  MSG waiting;
  if (PeekMessageA(&waiting, window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE)) return;
  SetTrayIconFocus();
}

void OnTimer(HWND window, UINT_PTR id) {
  switch (id) {
    case kTimerDoubleClick:
      OnDoubleClickTimer(window);
      break;
    case kTimerRandomSaver:
      LoadWindowsSaverSettings();
      UpdateTrayIcon(NIM_MODIFY);
      ChooseRandomSaver();
      SetRandomSaverOnActivate(false);
      SetRandomSaverOnActivate(true);
      break;
    case kTimerAnimation:
      if (++AppState.animationFrame > kAnimationFrames) {
        KillTimer(AppState.mainWindow, kTimerAnimation);
        AppState.animationFrame = 0;
      }
      UpdateTrayIcon(NIM_MODIFY);
      break;
    case kTimerDisablePeriod:
      DisableSaverTimeout(0);
      break;
    case kTimerUpdateCheck:
      OnUpdateTimer(window);
      break;
    case kTimerUpdateJoin:
      OnUpdateJoinTimer(window);
      break;
    case kTimerHoldOffClock:
      RefreshClockHolds();
      break;
    default:
      break;
  }
}

void OnHotKey(HWND window, int id) {
  if (id == 0) {
    LogMessage(kLogLogOnly, "Hot key pressed");
    PostCommand(window, kCmdRunSaverNow, kSourceHotKey);
  } else if (id == 1) {
    LogMessage(kLogLogOnly, "Hot key power off pressed");
    PostCommand(window, kCmdPowerOff, kSourceHotKey);
  }
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      AppState.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      // Commands that need the saver list wait for it; each is told (as a balloon, where
      // nobody saw it happen) when it is carried out.
      if (!DeferUntilSaverCatalog(LOWORD(wParam), lParam)) {
        DispatchCommand(window, LOWORD(wParam));
        if (LOWORD(wParam) == kCmdShowTrayMenu && lParam == kSourceTrayIcon) AfterMenuFromIcon(window);
        TellCommandOutcome(LOWORD(wParam), lParam);
      }
      return 0;
    case kCatalogLoadedMessage:
      OnSaverCatalogLoaded(window);
      return 0;
    case kUpdateCheckedMessage:
      OnUpdateChecked(window, lParam);
      return 0;
    case WM_TIMER:
      OnTimer(window, wParam);
      return 0;
    case WM_MENUSELECT:
      NoteMenuSelect(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), HIWORD(wParam));
      break;
    case WM_MENURBUTTONUP:
      ShowSaverContextMenu(window, reinterpret_cast<HMENU>(lParam), static_cast<UINT>(wParam));
      break;
    case WM_HOTKEY:
      OnHotKey(window, static_cast<int>(wParam));
      break;
    case kTrayCallbackMessage:
      OnTrayCallback(window, DecodeTrayCallback(wParam, lParam));
      return 0;
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
      ReloadIconsForDpi();
      break;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) ReloadIconsForDpi();  // the taskbar moved or changed
      if (wParam == SPI_SETSCREENSAVETIMEOUT || wParam == SPI_SETSCREENSAVEACTIVE) EvaluateHoldOff();  // new moment
      if (wParam == SPI_SETHIGHCONTRAST) OnColoursChanged(window);
      // Group Policy applied anew (lParam "Policy"): the settings are read again with it.
      if (lParam && lstrcmpiA(reinterpret_cast<const char*>(lParam), "Policy") == 0)
        PostMessageA(window, WM_COMMAND, kCmdReloadSettings, 0);
      break;
    case WM_SYSCOLORCHANGE:
      OnColoursChanged(window);
      break;
    case kSaverSettingsReadMessage:
      OnSaverSettingsRead(window, lParam);
      return 0;
    case kChangesAnnouncedMessage:
      ApplyAnnouncedChanges(TakeAnnouncedChanges());
      return 0;
    case kHoldOffRunningMessage:
      OnHoldOffRunningChanged();
      return 0;
    case WM_TIMECHANGE:
      OnClockChanged();
      return 0;
    case WM_POWERBROADCAST:
      OnHoldOffPowerBroadcast(wParam);
      return TRUE;
    case kUpdateCheckDoneMessage:
      OnUpdateCheckDone(window, lParam);
      return 0;
    case kDiagnoseHandOffMessage:
      return OnDiagnoseHandOff();
    default:
      if (message != 0 && message == AppState.taskbarCreatedMessage) {
        ReloadIconsForDpi(false);  // the add sends the icon
        UpdateTrayIcon(NIM_ADD);
      }
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void ForgetTrayInput() {
  iconButtonSeen = false;
  keySelectSeen = false;
}

TrayCallback DecodeTrayCallback(WPARAM wParam, LPARAM lParam) {
  TrayCallback callback = {};
  callback.event = LOWORD(lParam);
  callback.hasAnchor = HIWORD(lParam) == kTrayIconId;
  if (callback.hasAnchor) callback.anchor = POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)};
  return callback;
}

void ReportUnexpectedError() {
  LogMessage(kLogError,
             TrNoop("An error occured.\r\nPlease contact support (using the options in the Help menu) to report "
                    "this error and have it resolved."));
  LogFileDump();
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    ReportUnexpectedError();
    return DefWindowProcA(window, message, wParam, lParam);
  }
}
