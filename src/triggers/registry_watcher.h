// The registry watcher: reads the system saver settings after every change and hands its
// reading to the main window, which applies it. It runs on a thread of its own
// (RegistryWatcherThread) or as one watch of a thread that waits on more (WatcherThread).
#pragma once

#include <windows.h>

constexpr DWORD kRegistryPollMs = 1000;  // the poll where no change notification can be armed

// One watch of the desktop key, owned by the thread that serves it.
struct RegistryWatch {
  HKEY key;
  HANDLE event;     // set by the system on a change while armed
  bool armed;       // the notification is armed; otherwise the key is polled
  DWORD lastServe;  // GetTickCount() of the last arming or poll
};

// Opens the key, makes the event and arms the notification; false (nothing held) without the key.
bool OpenRegistryWatch(RegistryWatch* watch);
// How long the thread may wait before the watch needs serving: INFINITE while armed. The
// thread waits on the event only while the watch is armed.
DWORD RegistryWatchTimeout(const RegistryWatch& watch);
// After any wake-up of the thread: `signaled` when the watch's event woke it. Arms the
// notification again, then reads and posts, when a change came or a poll is due.
void ServeRegistryWatch(RegistryWatch* watch, bool signaled);

DWORD WINAPI RegistryWatcherThread(void* parameter);

// Applies a reading the watcher posted with kSaverSettingsReadMessage (lParam) and
// releases it; refreshes the icon and asks for the animation.
void OnSaverSettingsRead(HWND window, LPARAM reading);
