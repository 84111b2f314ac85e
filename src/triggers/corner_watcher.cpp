// The corner watcher: a thread's message loop, a message-only window and (once corners
// are on) a hidden top-level window. While corner actions are on (and the session is
// unlocked and the monitors are on) it keeps a low-level mouse hook whose callback does
// constant work per event: find the corner from the monitor layout computed beforehand,
// and start or stop the dwell timer. Firing itself (the last checks for a held button and
// a full-screen window, then the post) runs from the message loop, outside the callback.
// With the mouse still nothing of this watch wakes the thread, except one check a minute
// that the hook is still there. The thread may serve the registry watch too
// (WatcherThread): its reads are short, and the hook's events wait meanwhile.
//
// Windows removes a hook that once answers too slowly, without telling. The check
// compares the cursor with where the hook last saw it: if it moved unseen, the hook is
// installed afresh. It runs once a minute and on every display or session change.
// Where no hook can be installed at all, the cursor is polled every 250 ms instead.
//
// This thread reads AppState's atomic corner fields only and never writes AppState.
#include "triggers/corner_watcher.h"

#include <atomic>

#include <wtsapi32.h>

#include "holdoff/fullscreen.h"
#include "log/log.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "triggers/corner_geometry.h"
#include "triggers/corner_stay.h"

InstallMouseHookEntryFn InstallMouseHookEntry = RealInstallMouseHook;

HHOOK RealInstallMouseHook(HOOKPROC procedure, HINSTANCE module) {
  return SetWindowsHookExA(WH_MOUSE_LL, procedure, module, 0);
}

namespace {

constexpr UINT kCornerFireMessage = WM_APP + 480;  // wParam corner, lParam monitor index
constexpr UINT_PTR kTimerCornerDwell = 920;
constexpr UINT_PTR kTimerCornerPoll = 921;
constexpr UINT_PTR kTimerCornerHookCheck = 922;
constexpr UINT kCornerPollMs = 250;
constexpr UINT kHookCheckMs = 60000;

// GUID_CONSOLE_DISPLAY_STATE: the console's monitors are off (0), on (1) or dimmed (2).
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// The watcher thread's own state; no other thread touches it.
struct Watcher {
  HWND window;        // message-only: the timers, the wake and fire messages
  HWND noticeWindow;  // hidden top-level: display, session and power changes
  bool noticeTried;
  HHOOK hook;
  bool polling;
  bool fallbackLogged;
  bool locked;
  bool displayOff;
  CornerLayout layout;
  CornerStay stay;
  POINT lastSeen;  // where the hook (or the last look) saw the cursor
};

Watcher watcher;
std::atomic<HANDLE> cornersEvent{nullptr};
std::atomic<HWND> watcherWindow{nullptr};

int CornerAction(int corner) {
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

bool AnyButtonHeld() {
  static const int kButtons[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2};
  for (int button : kButtons)
    if (GetAsyncKeyState(button) & 0x8000) return true;
  return false;
}

// Hook events carry per-monitor (physical) pixels; so must the monitor rectangles, so
// this thread asks for them unscaled where the system knows the setting.
void UsePhysicalPixels() {
  using SetContextFn = HANDLE(WINAPI*)(HANDLE);
  HMODULE user = GetModuleHandleA("user32.dll");
  FARPROC found = user ? GetProcAddress(user, "SetThreadDpiAwarenessContext") : nullptr;
  auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(found));
  if (!setContext) return;
  // Per-monitor aware, version 2 first, then version 1.
  if (!setContext(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4))))
    setContext(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3)));
}

struct MonitorList {
  ScreenRect rects[kMaxCornerMonitors];
  int count;
  int primary;
};

ScreenRect ToCornerRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM parameter) {
  MonitorList* list = reinterpret_cast<MonitorList*>(parameter);
  if (list->count >= kMaxCornerMonitors) return FALSE;
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  if (info.dwFlags & MONITORINFOF_PRIMARY) list->primary = list->count;
  list->rects[list->count++] = ToCornerRect(info.rcMonitor);
  return TRUE;
}

// Recomputed when the display or the corner settings change, never per event.
void BuildLayout() {
  MonitorList list = {};
  list.primary = -1;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
  if (list.count == 0) {
    list.rects[0] = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    list.count = 1;
  }
  if (list.primary < 0) list.primary = 0;
  BuildCornerLayout(&watcher.layout, list.rects, list.count, list.primary, AppState.cornerscope != 0);
}

void Carry(CornerStep step) {
  switch (step) {
    case kCornerStartDwell:
      SetTimer(watcher.window, kTimerCornerDwell, static_cast<UINT>(CornerDelayMs(AppState.cornerdelay)), nullptr);
      break;
    case kCornerCancelDwell:
      KillTimer(watcher.window, kTimerCornerDwell);
      break;
    case kCornerFire:
      KillTimer(watcher.window, kTimerCornerDwell);
      PostMessageA(watcher.window, kCornerFireMessage, static_cast<WPARAM>(watcher.stay.at.corner),
                   static_cast<LPARAM>(watcher.stay.at.monitor));
      break;
    default:
      break;
  }
}

void SeeCursor(POINT point) {
  watcher.lastSeen = point;
  CornerHit hit = FindCorner(watcher.layout, point.x, point.y);
  int action = hit.corner == kNoCorner ? 0 : CornerAction(hit.corner);
  // The buttons are asked for only when a corner is entered.
  bool entering = action != 0 && watcher.stay.at.corner == kNoCorner;
  Carry(MoveCornerStay(&watcher.stay, hit, action, entering && AnyButtonHeld(), AppState.cornerdelay,
                       GetTickCount()));
}

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && AppState.corneraction) {
    const MSLLHOOKSTRUCT* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
    switch (message) {
      case WM_MOUSEMOVE:
        SeeCursor(event->pt);
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_XBUTTONDOWN:
        Carry(PressCornerButton(&watcher.stay));
        break;
      default:
        break;
    }
  }
  return CallNextHookEx(nullptr, code, message, data);
}

// The last checks before a corner's action is posted: corners never fire while a mouse
// button is held, nor, unless the user wants them to, under a full-screen window in
// front on that corner's monitor.
void OnFire(int corner, int monitor) {
  int action = CornerAction(corner);
  if (action == 0 || !AppState.corneraction) return;
  if (AnyButtonHeld()) {
    LogMessage(kLogLogOnly, "CornerWatcher: corner %d held off while a mouse button is down", corner);
    return;
  }
  if (!AppState.cornersfullscreen && monitor >= 0 && monitor < watcher.layout.count) {
    HMONITOR fullScreen = nullptr;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (FindFullScreenForeground(&fullScreen) && GetMonitorInfoA(fullScreen, &info) &&
        FullScreenOverMonitor(watcher.layout, monitor, ToCornerRect(info.rcMonitor))) {
      LogMessage(kLogLogOnly, "CornerWatcher: corner %d held off by a full-screen window", corner);
      return;
    }
  }
  PostMessageA(AppState.mainWindow, WM_COMMAND, static_cast<WPARAM>(action), kSourceCorner);
}

void StopWatching() {
  if (watcher.hook) UnhookWindowsHookEx(watcher.hook);
  watcher.hook = nullptr;
  watcher.polling = false;
  KillTimer(watcher.window, kTimerCornerDwell);
  KillTimer(watcher.window, kTimerCornerPoll);
  KillTimer(watcher.window, kTimerCornerHookCheck);
  ResetCornerStay(&watcher.stay);
}

// Installs the hook, or starts polling when it cannot be had. Returns whether watching
// started just now.
bool StartWatching() {
  if (watcher.hook || watcher.polling) return false;
  watcher.hook = InstallMouseHookEntry(LowLevelMouseProc, GetModuleHandleA(nullptr));
  if (watcher.hook) {
    SetTimer(watcher.window, kTimerCornerHookCheck, kHookCheckMs, nullptr);
    return true;
  }
  if (!watcher.fallbackLogged) {
    LogLastError(kLogLogOnly, "CornerWatcher: no mouse hook, polling the cursor every 250 ms");
    watcher.fallbackLogged = true;
  }
  watcher.polling = true;
  SetTimer(watcher.window, kTimerCornerPoll, kCornerPollMs, nullptr);
  return true;
}

// Display changes are broadcast to top-level windows only, so the changes the watch
// follows come to a hidden top-level window. Under the emulator a thread's first
// top-level window opens a display connection and input method of the thread's own
// (about 700 KiB), which watching needs anyway for the cursor position; so the window
// is made when corners are first switched on, and until then the session counts as
// unlocked and the monitors as on. Where no top-level window can be made (no display)
// the message-only window takes the session and power notifications.
void MakeNoticeWindow() {
  if (watcher.noticeTried) return;
  watcher.noticeTried = true;
  watcher.noticeWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kCornerWatcherClassName, "", WS_POPUP, 0, 0, 0, 0,
                                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND target = watcher.noticeWindow ? watcher.noticeWindow : watcher.window;
  WTSRegisterSessionNotification(target, NOTIFY_FOR_THIS_SESSION);
  RegisterPowerSettingNotification(target, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
}

// Looks at the switches again. `resumed`: the user comes back from a locked session or
// dark monitors; a corner the cursor already sits in then does not fire by itself.
void Reconsider(bool resumed) {
  if (AppState.corneraction) MakeNoticeWindow();
  if (!AppState.corneraction || watcher.locked || watcher.displayOff) {
    StopWatching();
    return;
  }
  BuildLayout();
  bool started = StartWatching();
  POINT point;
  if (!GetCursorPos(&point)) return;
  if (resumed) {
    CornerHit hit = FindCorner(watcher.layout, point.x, point.y);
    KillTimer(watcher.window, kTimerCornerDwell);
    ResumeCornerStay(&watcher.stay, hit, hit.corner == kNoCorner ? 0 : CornerAction(hit.corner));
    watcher.lastSeen = point;
    return;
  }
  if (started) ResetCornerStay(&watcher.stay);
  SeeCursor(point);
}

// A cursor that moved where the hook did not see it means the hook is gone (or the move
// came from SetCursorPos, which no hook sees): install it afresh, take the position.
void CheckHook() {
  if (!watcher.hook) return;
  POINT point;
  if (!GetCursorPos(&point)) return;
  if (point.x == watcher.lastSeen.x && point.y == watcher.lastSeen.y) return;
  UnhookWindowsHookEx(watcher.hook);
  watcher.hook = nullptr;
  KillTimer(watcher.window, kTimerCornerHookCheck);
  StartWatching();
  SeeCursor(point);
}

void OnTimer(UINT_PTR id) {
  switch (id) {
    case kTimerCornerDwell:
      KillTimer(watcher.window, kTimerCornerDwell);
      Carry(FinishCornerDwell(&watcher.stay, GetTickCount()));
      break;
    case kTimerCornerPoll: {
      if (!AppState.corneraction) break;
      POINT point;
      if (GetCursorPos(&point)) SeeCursor(point);
      // No button events reach a poll: a button held during the dwell spoils the stay.
      if (watcher.stay.dwelling && AnyButtonHeld()) Carry(PressCornerButton(&watcher.stay));
      break;
    }
    case kTimerCornerHookCheck:
      CheckHook();
      break;
    default:
      break;
  }
}

void OnSessionChange(WPARAM change) {
  if (change == WTS_SESSION_LOCK) {
    watcher.locked = true;
    Reconsider(false);
  } else if (change == WTS_SESSION_UNLOCK) {
    watcher.locked = false;
    Reconsider(true);
  } else {
    CheckHook();
  }
}

void OnPowerBroadcast(WPARAM event, LPARAM data) {
  if (event == PBT_APMRESUMEAUTOMATIC) {
    CheckHook();
    return;
  }
  if (event != PBT_POWERSETTINGCHANGE || !data) return;
  const POWERBROADCAST_SETTING* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
  if (!IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) || setting->DataLength < sizeof(DWORD)) return;
  DWORD state = *reinterpret_cast<const DWORD*>(setting->Data);
  bool off = state == 0;
  if (off == watcher.displayOff) return;
  watcher.displayOff = off;
  Reconsider(!off);
}

LRESULT CALLBACK WatcherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case kCornerFireMessage:
      OnFire(static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    case kCornerWakeMessage:
      Reconsider(false);
      return 0;
    case WM_DISPLAYCHANGE:
      if (watcher.hook || watcher.polling) {
        BuildLayout();
        CheckHook();
      }
      break;
    case WM_WTSSESSION_CHANGE:
      OnSessionChange(wParam);
      return 0;
    case WM_POWERBROADCAST:
      OnPowerBroadcast(wParam, lParam);
      return TRUE;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The message-only window; the top-level one of the same class comes later (MakeNoticeWindow).
HWND CreateWatcherWindow() {
  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WatcherWindowProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kCornerWatcherClassName;
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, kCornerWatcherClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
}

}  // namespace

bool OpenCornerWatch() {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "CornersActionEvent");
  UsePhysicalPixels();
  watcher = Watcher{};
  ResetCornerStay(&watcher.stay);
  watcher.window = CreateWatcherWindow();
  if (!watcher.window) {
    LogLastError(kLogLogOnly, "CornerWatcher: no window, screen corners stay off");
    if (event) CloseHandle(event);
    return false;
  }
  watcherWindow = watcher.window;
  cornersEvent = event;
  Reconsider(false);
  return true;
}

HANDLE CornerWatchEvent() { return cornersEvent; }

void ServeCornerWatch(bool signaled) {
  if (signaled) {
    ResetEvent(cornersEvent);
    Reconsider(false);
  }
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

DWORD WINAPI CornerWatcherThread(void*) {
  if (!OpenCornerWatch()) return 0;
  for (;;) {
    HANDLE event = CornerWatchEvent();
    DWORD handles = event ? 1 : 0;
    DWORD woke = MsgWaitForMultipleObjectsEx(handles, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    ServeCornerWatch(handles && woke == WAIT_OBJECT_0);
  }
}

void WakeCornerWatcher() {
  HANDLE event = cornersEvent;
  if (event) {
    SetEvent(event);
    return;
  }
  HWND window = watcherWindow;
  if (window) PostMessageA(window, kCornerWakeMessage, 0, 0);
}
