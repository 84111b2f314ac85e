// Pieces shared by the files that build the tray menu.
#pragma once

#include <windows.h>

// Appends `submenu` under `text`, greyed when asked.
void AppendSubmenu(HMENU parent, HMENU submenu, const char* text, bool greyed = false);
void AppendSeparator(HMENU menu);
HMENU BuildSettingsMenu(UINT flags);
// "&Every Monitor", "&Delay" and "Also Over &Full-Screen Windows" of the corner submenu.
void AppendCornerOptions(HMENU menu);
HMENU BuildHelpMenu();
