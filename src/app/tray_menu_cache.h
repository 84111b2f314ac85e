// Submenus of the tray menu that depend on a few values only are kept from one opening
// to the next and built again only when those values change.
#pragma once

#include <windows.h>

#include <cstdint>

enum TrayMenuSlot : int {
  kSlotPower,
  kSlotHelp,
  kSlotClick,
  kSlotRandom,
  kSlotSelectionAction,
  kSlotWait,
  kTrayMenuSlots
};

// Appends the submenu kept in `slot` under `text` when it was built for the same `key`,
// else builds it anew (the old one is destroyed).
void AppendKeptSubmenu(HMENU parent, TrayMenuSlot slot, uint64_t key, HMENU (*build)(), const char* text,
                       bool greyed = false);
// Detaches the kept submenus from the tree, then destroys the rest of it.
void ReleaseTrayMenu(HMENU top);
// Forgets and destroys every kept submenu.
void DiscardKeptMenus();
