// Pieces shared by the files that build the tray menu.
#pragma once

#include <windows.h>

// Appends `submenu` under `text`, greyed when asked.
void AppendSubmenu(HMENU parent, HMENU submenu, const char* text, bool greyed = false);
void AppendSeparator(HMENU menu);
HMENU BuildSettingsMenu(UINT flags);
HMENU BuildHelpMenu();
