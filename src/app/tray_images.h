// The images of the tray icon and the menu check mark, at the size the notification
// area's DPI needs. LoadIcons and FreeIcons (declared with start-up) load and release them.
#pragma once

#include <windows.h>

// Loads the images again when they are loaded and the tray's DPI differs from the one
// they were loaded at, swaps them in and (unless told not to, when the icon is about to
// be added anew) refreshes the icon; returns whether anything was reloaded.
bool ReloadIconsForDpi(bool refreshIcon = true);
// The small-icon size the loaded images were made for (0 before LoadIcons).
int LoadedIconSize();
