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

// Refreshes what the announced kinds of change (state/announce.h) show.
void ApplyAnnouncedChanges(unsigned kinds);

// For tests: forget the icon and tooltip last sent.
void ResetTrayIconRecord();
