// The items of settings an organisation gives by policy: greyed, their state shown as
// the policy sets it, and the text "(set by your organisation)" added to each fixed item.
#include <cstring>

#include "settings/policy_store.h"
#include "shell/text_helpers.h"
#include "state/commands.h"
#include "tray/tray_menu_parts.h"

namespace {

constexpr int kItemTextSize = 512;

bool EndsWith(const char* text, const char* ending) {
  size_t length = strlen(text);
  size_t endingLength = strlen(ending);
  return length >= endingLength && strcmp(text + length - endingLength, ending) == 0;
}

// A fixed item gets the text once, however often the kept menu is marked again.
void AddPolicyText(HMENU menu, UINT position) {
  char text[kItemTextSize] = "";
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING | MIIM_FTYPE;
  info.dwTypeData = text;
  info.cch = sizeof(text) - 1;
  if (!GetMenuItemInfoA(menu, position, TRUE, &info) || (info.fType & (MFT_OWNERDRAW | MFT_BITMAP)) != 0) return;
  if (EndsWith(text, kPolicyItemText)) return;
  AppendText(text, kPolicyItemText, sizeof(text));
  if (!EndsWith(text, kPolicyItemText)) return;  // no room: the greying alone says it
  MENUITEMINFOA change = {};
  change.cbSize = sizeof(change);
  change.fMask = MIIM_STRING;
  change.dwTypeData = text;
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
    if (id == static_cast<UINT>(-1) || id == 0 || !PolicyLockingCommand(static_cast<int>(id))) continue;
    EnableMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_GRAYED);
    if (IsFixedItem(static_cast<int>(id))) AddPolicyText(menu, static_cast<UINT>(position));
  }
}
