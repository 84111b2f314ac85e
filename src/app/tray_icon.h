// The program's one notification-area icon: icon and tooltip chosen from the state,
// only what changed sent to the shell. Calls are serialised between threads.
#pragma once

#include <windows.h>

int UpdateTrayIcon(DWORD type);
int SetTrayIcon(HWND window, DWORD message, const char* tooltip, HICON icon);

// Held by UpdateTrayIcon and by whoever rebuilds the saver list, so the tooltip's
// lookup of the current saver never meets a half-built list.
struct TrayIconLock {
  TrayIconLock();
  ~TrayIconLock();
  TrayIconLock(const TrayIconLock&) = delete;
  TrayIconLock& operator=(const TrayIconLock&) = delete;
};

// For tests: forget the icon and tooltip last sent.
void ResetTrayIconRecord();
