// The "&Hold Off" submenu: what holds now (a greyed line), the full-screen switch, the
// programs dialog and the master switch; and the commands behind them, which save the
// changed switch at once and apply it.
#include "tray/holdoff_menu.h"

#include <cstdio>

#include "holdoff/holdoff_dialog.h"
#include "holdoff/holdoff_state.h"
#include "holdoff/holdoff_store.h"
#include "state/commands.h"
#include "tray/tray_menu.h"

namespace {

// The rules are 33 KB: kept off the stack (main thread only).
HoldOffRules menuRules;

void FormatNow(char* now, int size) {
  char reason[kHoldOffReasonSize];
  if (GetHoldOffReason(reason, sizeof(reason)))
    snprintf(now, static_cast<size_t>(size), "Now: %s", reason);
  else
    snprintf(now, static_cast<size_t>(size), "Now: not held");
}

}  // namespace

HMENU BuildHoldOffMenu() {
  HoldOffRules& rules = menuRules;
  GetHoldOffRules(&rules);
  char now[kHoldOffReasonSize + 16];
  FormatNow(now, sizeof(now));
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, now);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdToggleFullScreenHoldOff, "While a &Full-Screen Window Is in Front");
  CheckMenuItemWithBitmaps(menu, kCmdToggleFullScreenHoldOff, rules.fullscreen != 0);
  AppendMenuA(menu, MF_STRING, kCmdHoldOffPrograms, "&Programs...");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdToggleHoldOff, "&Enabled");
  CheckMenuItemWithBitmaps(menu, kCmdToggleHoldOff, rules.enabled != 0);
  return menu;
}

void HoldOffMenuKey(char* key, int size) {
  GetHoldOffRules(&menuRules);
  char now[kHoldOffReasonSize + 16];
  FormatNow(now, sizeof(now));
  snprintf(key, static_cast<size_t>(size), "%d%d %s", menuRules.enabled != 0, menuRules.fullscreen != 0, now);
}

bool RunHoldOffCommand(HWND window, int command) {
  HoldOffRules* rules = nullptr;
  switch (command) {
    case kCmdToggleFullScreenHoldOff:
    case kCmdToggleHoldOff: {
      static HoldOffRules changed;  // 33 KB: kept off the stack
      GetHoldOffRules(&changed);
      int* setting = command == kCmdToggleHoldOff ? &changed.enabled : &changed.fullscreen;
      *setting = *setting ? 0 : 1;
      rules = &changed;
      break;
    }
    case kCmdHoldOffPrograms: {
      static HoldOffRules edited;
      GetHoldOffRules(&edited);
      if (ShowHoldOffProgramsDialog(window, &edited)) rules = &edited;
      break;
    }
    default:
      return false;
  }
  if (rules) SetHoldOffRules(*rules);
  return true;
}
