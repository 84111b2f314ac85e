// The "&Hold Off" submenu of the tray menu and its three commands.
#pragma once

#include <windows.h>

HMENU BuildHoldOffMenu();
// Names what the submenu is built from: equal keys, equal submenus.
void HoldOffMenuKey(char* key, int size);
// Carries out a hold-off command; false for any other identifier.
bool RunHoldOffCommand(HWND window, int command);
