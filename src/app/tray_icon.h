// The program's one notification-area icon: icon and tooltip chosen from the state,
// only what changed sent to the shell. Called on the main thread only.
#pragma once

#include <windows.h>

int UpdateTrayIcon(DWORD type);
int SetTrayIcon(HWND window, DWORD message, const char* tooltip, HICON icon);
// Gives the keyboard focus back to the icon (a menu opened from it closed unused);
// 0 when the icon was never added or the shell refused.
int SetTrayIconFocus();
// Whether the shell took the version-4 callback at the last add.
bool TrayIconSpeaksVersion4();

// Held by the tooltip's lookup of the current saver and by whoever replaces the saver
// list, so the lookup never meets a half-built list. Hold it for nothing else: no shell
// call, box or log line happens under it.
struct TrayIconLock {
  TrayIconLock();
  ~TrayIconLock();
  TrayIconLock(const TrayIconLock&) = delete;
  TrayIconLock& operator=(const TrayIconLock&) = delete;
};

// For tests: forget the icon and tooltip last sent.
void ResetTrayIconRecord();
