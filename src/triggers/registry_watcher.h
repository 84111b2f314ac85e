// The main window's side of the registry watcher's hand-over (the thread itself is
// declared with the other workers in watchers.h).
#pragma once

#include <windows.h>

// Applies a reading the watcher posted with kSaverSettingsReadMessage (lParam) and
// releases it; refreshes the icon and asks for the animation.
void OnSaverSettingsRead(HWND window, LPARAM reading);
