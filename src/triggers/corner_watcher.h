// The corner watcher: watches the cursor through a low-level mouse hook (polling only where
// no hook can be installed) and posts the screen corner actions. It runs on a thread of its
// own (CornerWatcherThread) or as one watch of a thread that waits on more (WatcherThread).
#pragma once

#include <windows.h>

// Its hidden window's class (the window receives display, session and power changes).
constexpr const char* kCornerWatcherClassName = "DozeliteCornerWatcher";
// Sent or posted to that window: look at the corner settings again, as the event asks.
constexpr UINT kCornerWakeMessage = WM_APP + 481;

// The watch's parts, for the thread that serves it (one per process): OpenCornerWatch
// makes the event and the hidden window on the calling thread (false, and logged, without
// a window); the thread then waits on CornerWatchEvent() (when not null) and on its
// messages, and after each wake-up calls ServeCornerWatch, `signaled` when the event
// woke it.
bool OpenCornerWatch();
HANDLE CornerWatchEvent();
void ServeCornerWatch(bool signaled);

DWORD WINAPI CornerWatcherThread(void* parameter);

// Sets "CornersActionEvent": the watcher looks at the corner settings again at once.
void WakeCornerWatcher();

// Installs the low-level mouse hook; tests replace it to see the polling fallback.
using InstallMouseHookEntryFn = HHOOK (*)(HOOKPROC procedure, HINSTANCE module);
extern InstallMouseHookEntryFn InstallMouseHookEntry;
HHOOK RealInstallMouseHook(HOOKPROC procedure, HINSTANCE module);
