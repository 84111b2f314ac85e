// Pieces shared by the files that build the tray menu. The menu is made of parts, one
// submenu each. A part's key is a short text naming every value its submenu is built
// from: while the key stays the same, the submenu kept from the last opening is still
// right and is shown again instead of being built afresh.
#pragma once

#include <windows.h>

#include "tray/tray_menu.h"

struct SaverInfo;

constexpr int kMenuKeySize = 400;

// What the parts share, read once per opening.
struct MenuContext {
  UINT flags;             // kTrayMenuShift
  MenuScreen screen;
  const char* currentPath;
  bool saverSet;          // a saver is set (the path may still name no listed saver)
  const SaverInfo* current;  // the listed current saver, or null
  bool loading;           // the catalog is still being built
  bool empty;             // the catalog is built and holds no saver
};

// Reads the current saver into currentPath (size characters) and fills the rest; a
// current saver outside the search paths has its folder added and the list rebuilt.
MenuContext ReadMenuContext(UINT flags, const MenuScreen& screen, char* currentPath, int size);

// Appends `submenu` under `text`, greyed when asked.
void AppendSubmenu(HMENU parent, HMENU submenu, const char* text, bool greyed = false);
void AppendSeparator(HMENU menu);
void AppendItem(HMENU menu, int id, const char* text);
// Appends an item with the check-mark images, checked when `on`.
void AppendSwitch(HMENU menu, int id, const char* text, bool on);
// Puts `submenu` in place of the one at `position` of `parent`, which is destroyed.
void ReplaceSubmenu(HMENU parent, int position, HMENU submenu, const char* text, bool greyed);

HMENU BuildScreenSaverMenu(const MenuContext& context);
void ScreenSaverPartKey(const MenuContext& context, char* key, int size);
// Replaces the saver lists of a kept "&Screen Saver" submenu with lists built afresh.
void RefreshSaverLists(HMENU menu, const MenuContext& context);

HMENU BuildPasswordMenu(const MenuContext& context);
void PasswordPartKey(const MenuContext& context, char* key, int size);
HMENU BuildWaitMenu(const MenuContext& context);
void WaitPartKey(const MenuContext& context, char* key, int size);
HMENU BuildDisableMenu(const MenuContext& context);
void DisablePartKey(const MenuContext& context, char* key, int size);
HMENU BuildPowerMenu(const MenuContext& context);
void PowerPartKey(const MenuContext& context, char* key, int size);

HMENU BuildSettingsMenu(const MenuContext& context);
void SettingsPartKey(const MenuContext& context, char* key, int size);
// "Every &Monitor", "Dela&y" and "Also Over &Full-Screen Windows" of the corner submenu.
void AppendCornerOptions(HMENU menu);
HMENU BuildHelpMenu(const MenuContext& context);

// Greys every item of `menu` and its submenus whose setting a policy gives; fixed items
// also say "(set by your organisation)", once.
void MarkPolicyItems(HMENU menu);
void HelpPartKey(const MenuContext& context, char* key, int size);
