// Images in the system's colours: the menu check mark, and the tray icon's silhouettes
// for high contrast.
#pragma once

#include <windows.h>

enum TrayIconLook { kLookPlain, kLookCrossed, kLookDisabledForAWhile };

// The drawn check mark (black ink on white, grey levels between) painted in the menu's
// text and background colours; a new bitmap, or null. The caller keeps `drawn`.
HBITMAP TintCheckMark(HBITMAP drawn);
// Whether the user's high-contrast setting is on.
bool HighContrastOn();
// The icon's shape in the system's colours for the look; a new icon, or null.
HICON MakeContrastTrayIcon(HICON source, TrayIconLook look);
