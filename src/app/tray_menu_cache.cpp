// The kept submenus of the tray menu. Each slot holds one submenu, the key of the values
// it was built from and the menu it hangs in while the tray menu is open. A kept submenu
// destroyed with its tree by someone else (a caller that destroys the whole tree) is
// noticed with IsMenu and built again. Main thread only.
#include "app/tray_menu_cache.h"

#include "app/tray_menu_parts.h"

namespace {

struct KeptMenu {
  HMENU menu;
  HMENU parent;
  uint64_t key;
};

KeptMenu kept[kTrayMenuSlots] = {};

void Detach(KeptMenu* slot) {
  if (!slot->parent || !slot->menu) return;
  int count = GetMenuItemCount(slot->parent);
  for (int i = 0; i < count; i++) {
    if (GetSubMenu(slot->parent, i) == slot->menu) {
      RemoveMenu(slot->parent, static_cast<UINT>(i), MF_BYPOSITION);
      break;
    }
  }
  slot->parent = nullptr;
}

}  // namespace

void AppendKeptSubmenu(HMENU parent, TrayMenuSlot slot, uint64_t key, HMENU (*build)(), const char* text,
                       bool greyed) {
  KeptMenu& entry = kept[slot];
  bool usable = entry.menu && !entry.parent && entry.key == key && IsMenu(entry.menu);
  if (!usable) {
    Detach(&entry);
    if (entry.menu && IsMenu(entry.menu)) DestroyMenu(entry.menu);
    entry.menu = build();
    entry.key = key;
  }
  entry.parent = parent;
  AppendSubmenu(parent, entry.menu, text, greyed);
}

void ReleaseTrayMenu(HMENU top) {
  for (KeptMenu& entry : kept) {
    if (entry.parent && IsMenu(entry.parent)) Detach(&entry);
    entry.parent = nullptr;
  }
  if (top) DestroyMenu(top);
}

void DiscardKeptMenus() {
  for (KeptMenu& entry : kept) {
    if (entry.parent && IsMenu(entry.parent)) Detach(&entry);
    if (entry.menu && IsMenu(entry.menu)) DestroyMenu(entry.menu);
    entry = KeptMenu{};
  }
}
