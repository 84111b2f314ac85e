// TrayWindowProc: a thin switch over the messages of the main window. Every handler runs
// inside a catch-all, so a fault in a command is reported and the program keeps running.
//
// Tray clicks: both buttons share two counters and only one button is counted at a
// time. A button whose single and double actions are equal acts on release at once;
// otherwise the first press starts timer 234 for the double-click time, and when it
// fires one press means the single action and two or more the double action.
//
// A WM_COMMAND's lParam says where it came from (CommandSource): after a command from a
// hot key, a corner or a second start's hand-off the outcome is told in a balloon.
#include "app/window_proc.h"

#include <shellapi.h>

#include "app/dispatcher.h"
#include "catalog/catalog_loader.h"
#include "holdoff/holdoff_state.h"
#include "log/log.h"
#include "shell/dpi.h"
#include "state/announce.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/saver_operations.h"
#include "system/system_saver_settings.h"
#include "tray/notifications.h"
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
  PostCommand(window, button.singleAction ? button.singleAction : kCmdShowTrayMenu);
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
    PostCommand(window, left);
  } else {
    int right =
        Candidate(AppState.rightClicks, AppState.singleRightActionMessage, AppState.doubleRightActionMessage);
    PostCommand(window, right ? right : kCmdShowTrayMenu);
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

void OnTrayCallback(HWND window, UINT mouseMessage) {
  switch (mouseMessage) {
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
    default:
      break;
  }
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
        TellCommandOutcome(LOWORD(wParam), lParam);
      }
      return 0;
    case kCatalogLoadedMessage:
      OnSaverCatalogLoaded(window);
      return 0;
    case kUpdateCheckedMessage:
      OnUpdateChecked(window, static_cast<int>(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(window, wParam);
      return 0;
    case WM_MENURBUTTONUP:
      ShowSaverContextMenu(window, reinterpret_cast<HMENU>(lParam), static_cast<UINT>(wParam));
      break;
    case WM_HOTKEY:
      OnHotKey(window, static_cast<int>(wParam));
      break;
    case kTrayCallbackMessage:
      OnTrayCallback(window, LOWORD(lParam));
      return 0;
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
      ReloadIconsForDpi();
      break;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) ReloadIconsForDpi();  // the taskbar moved or changed
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
    case kUpdateCheckDoneMessage:
      OnUpdateCheckDone(window, lParam);
      return 0;
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

void ReportUnexpectedError() {
  LogMessage(kLogError,
             "An error occured.\r\nPlease contact support (using the options in the Help menu) to report this "
             "error and have it resolved.");
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
