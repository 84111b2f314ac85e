// The program's one notification-area icon: icon and tooltip chosen from the state,
// only what changed sent to the shell. Called on the main thread only.
#pragma once

#include <windows.h>

int UpdateTrayIcon(DWORD type);
int SetTrayIcon(HWND window, DWORD message, const char* tooltip, HICON icon);

// Refreshes what the announced kinds of change (state/announce.h) show.
void ApplyAnnouncedChanges(unsigned kinds);

// For tests: forget the icon and tooltip last sent.
void ResetTrayIconRecord();
