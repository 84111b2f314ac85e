// The registry watcher: a worker thread that reads the system saver settings after every
// change and hands its reading to the main window, which applies it.
#pragma once

#include <windows.h>

DWORD WINAPI RegistryWatcherThread(void* parameter);

// Applies a reading the watcher posted with kSaverSettingsReadMessage (lParam) and
// releases it; refreshes the icon and asks for the animation.
void OnSaverSettingsRead(HWND window, LPARAM reading);
