// The items of settings an organisation gives by policy: greyed, their state shown as
// the policy sets it, and the text "(set by your organisation)" added to each fixed item.
#include <cstdio>

#include "holdoff/holdoff_state.h"
#include "language/text.h"
#include "settings/policy_store.h"
#include "state/commands.h"
#include "tray/tray_menu_parts.h"

namespace {

constexpr int kItemTextSize = 512;
// The item data of an item that says it already: the kept menu is marked again at every
// opening.
constexpr ULONG_PTR kNamesPolicy = 0x504F4C59;

void AddPolicyText(HMENU menu, UINT position) {
  char text[kItemTextSize] = "";
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_DATA;
  info.dwTypeData = text;
  info.cch = sizeof(text) - 1;
  if (!GetMenuItemInfoA(menu, position, TRUE, &info) || (info.fType & (MFT_OWNERDRAW | MFT_BITMAP)) != 0) return;
  if (info.dwItemData == kNamesPolicy) return;
  char marked[kItemTextSize];
  // Translators: %s is a menu item's text, access key included; the item is greyed.
  int length = snprintf(marked, sizeof(marked), Tr("%s (set by your organisation)"), text);
  if (length < 0 || length >= static_cast<int>(sizeof(marked))) return;  // no room: the greying alone says it
  MENUITEMINFOA change = {};
  change.cbSize = sizeof(change);
  change.fMask = MIIM_STRING | MIIM_DATA;
  change.dwTypeData = marked;
  change.dwItemData = kNamesPolicy;
  SetMenuItemInfoA(menu, position, TRUE, &change);
}

bool IsFixedItem(int id) {
  return (id >= kFirstFixedCommand && id <= kLastFixedCommand) || (id >= kFirstLaterCommand && id <= kLastLaterCommand);
}

}  // namespace

void MarkPolicyItems(HMENU menu) {
  int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; position++) {
    HMENU submenu = GetSubMenu(menu, position);
    if (submenu) {
      MarkPolicyItems(submenu);
      continue;
    }
    UINT id = GetMenuItemID(menu, position);
    if (id == static_cast<UINT>(-1) || id == 0) continue;
    int command = static_cast<int>(id);
    if (!PolicyLockingCommand(command) && !HoldOffPolicyLocking(command)) continue;
    EnableMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_GRAYED);
    if (IsFixedItem(static_cast<int>(id))) AddPolicyText(menu, static_cast<UINT>(position));
  }
}
