// The images of the tray icon and the menu check mark, at the size the notification
// area's DPI needs. Start-up loads them with LoadIcons and releases them with FreeIcons.
#pragma once

#include <windows.h>

void LoadIcons();
void FreeIcons();

// Loads the images again when they are loaded and the tray's DPI differs from the one
// they were loaded at, swaps them in and (unless told not to, when the icon is about to
// be added anew) refreshes the icon; returns whether anything was reloaded.
bool ReloadIconsForDpi(bool refreshIcon = true);
// The small-icon size the loaded images were made for (0 before LoadIcons).
int LoadedIconSize();
// The icons of the set, each loaded at its first call (main thread); an icon put in
// AppState beforehand is taken as it is.
HICON GetTrayFrameIcon(int frame, bool crossed);
HICON GetTrayDisabledIcon();
