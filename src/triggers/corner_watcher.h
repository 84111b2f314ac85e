// The corner watcher thread: watches the cursor through a low-level mouse hook (polling
// only where no hook can be installed) and posts the screen corner actions.
#pragma once

#include <windows.h>

// Its hidden window's class (the window receives display, session and power changes).
constexpr const char* kCornerWatcherClassName = "DozeliteCornerWatcher";
// Sent or posted to that window: look at the corner settings again, as the event asks.
constexpr UINT kCornerWakeMessage = WM_APP + 481;

DWORD WINAPI CornerWatcherThread(void* parameter);

// Sets "CornersActionEvent": the watcher looks at the corner settings again at once.
void WakeCornerWatcher();

// Installs the low-level mouse hook; tests replace it to see the polling fallback.
using InstallMouseHookEntryFn = HHOOK (*)(HOOKPROC procedure, HINSTANCE module);
extern InstallMouseHookEntryFn InstallMouseHookEntry;
HHOOK RealInstallMouseHook(HOOKPROC procedure, HINSTANCE module);
