// The "Hold O&ff" submenu: what holds now (a greyed line), the full-screen switch, the
// programs dialog, the hold until a time (or its end), the schedules and the master
// switch; and the commands behind them, which save the changed setting at once and apply it.
#include "tray/holdoff_menu.h"

#include <cstdio>

#include "holdoff/clock_dialogs.h"
#include "holdoff/clock_holds.h"
#include "holdoff/holdoff_dialog.h"
#include "holdoff/holdoff_state.h"
#include "holdoff/holdoff_store.h"
#include "language/clock_text.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/commands.h"
#include "tray/tray_menu.h"

namespace {

// "Now: " and the reason, in the language in use.
constexpr int kNowSize = kHoldOffReasonSize + 128;

// The rules are 33 KB: kept off the stack (main thread only).
HoldOffRules menuRules;

void FormatNow(char* now, int size) {
  char reason[kHoldOffReasonSize];
  char why[kHoldOffReasonSize];
  if (GetHoldOffPause(why, sizeof(why), reason, sizeof(reason)))
    // Translators: the first %s says why the hold is paused, the second what would hold.
    snprintf(now, static_cast<size_t>(size), Tr("Now: paused (%s): %s"), why, reason);
  else if (GetHoldOffReason(reason, sizeof(reason)))
    // Translators: %s says what holds the saver off now.
    snprintf(now, static_cast<size_t>(size), Tr("Now: %s"), reason);
  else
    CopyText(now, Tr("Now: not held"), size);
}

}  // namespace

HMENU BuildHoldOffMenu() {
  HoldOffRules& rules = menuRules;
  GetHoldOffRules(&rules);
  char now[kNowSize];
  FormatNow(now, sizeof(now));
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, now);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdToggleFullScreenHoldOff, Tr("While a &Full-Screen Window Is in Front"));
  CheckMenuItemWithBitmaps(menu, kCmdToggleFullScreenHoldOff, rules.fullscreen != 0);
  AppendMenuA(menu, MF_STRING, kCmdHoldOffPrograms, Tr("&Programs..."));
  int until = 0;
  if (GetHoldUntil(&until)) {
    char clock[64];
    char item[256];
    FormatClockText(clock, sizeof(clock), until);
    // Translators: %s is a time of day in the user's format.
    snprintf(item, sizeof(item), Tr("Held until %s - &End Now"), clock);
    AppendMenuA(menu, MF_STRING, kCmdEndHoldUntil, item);
  } else {
    AppendMenuA(menu, MF_STRING, kCmdHoldUntil, Tr("Hold &Until..."));
  }
  AppendMenuA(menu, MF_STRING, kCmdHoldOffSchedules, Tr("&Schedules..."));
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kCmdToggleHoldOff, Tr("&Enabled"));
  CheckMenuItemWithBitmaps(menu, kCmdToggleHoldOff, rules.enabled != 0);
  return menu;
}

void HoldOffMenuKey(char* key, int size) {
  GetHoldOffRules(&menuRules);
  char now[kNowSize];
  FormatNow(now, sizeof(now));
  int until = -1;
  GetHoldUntil(&until);
  snprintf(key, static_cast<size_t>(size), "%d%d %d %s", menuRules.enabled != 0, menuRules.fullscreen != 0, until,
           now);
}

bool RunHoldOffCommand(HWND window, int command) {
  HoldOffRules* rules = nullptr;
  switch (command) {
    case kCmdToggleFullScreenHoldOff:
    case kCmdToggleHoldOff: {
      if (RefuseHoldOffByPolicy(command)) break;
      static HoldOffRules changed;  // 33 KB: kept off the stack
      GetHoldOffRules(&changed);
      int* setting = command == kCmdToggleHoldOff ? &changed.enabled : &changed.fullscreen;
      *setting = *setting ? 0 : 1;
      rules = &changed;
      break;
    }
    case kCmdHoldOffPrograms: {
      // Only what the user changed is saved, into the rules as they are at OK: a reload
      // or a hand-over while the dialog was open is kept. One dialog at a time keeps
      // these copies its own.
      static HoldOffRules before;
      static HoldOffRules edited;
      static HoldOffRules now;
      if (BringHoldOffProgramsDialogToFront()) break;
      GetHoldOffRules(&before);
      edited = before;
      if (!ShowHoldOffProgramsDialog(window, &edited)) break;
      GetHoldOffRules(&now);
      if (!ApplyHoldOffEdits(before, edited, &now))
        LogMessage(kLogError, TrNoop("The hold-off list is full: not every program added could be kept."));
      rules = &now;
      break;
    }
    case kCmdHoldUntil: {
      // The picker starts an hour from now, or at the time already held until.
      int minute = 0;
      if (!GetHoldUntil(&minute)) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        minute = ((now.wHour + 1) % 24) * 60 + now.wMinute;
      }
      if (ShowHoldUntilDialog(window, &minute)) StartHoldUntil(minute);
      break;
    }
    case kCmdEndHoldUntil:
      EndHoldUntil();
      break;
    case kCmdHoldOffSchedules: {
      static HoldSchedules edited;  // 5 KB: kept off the stack
      GetHoldSchedules(&edited);
      if (ShowSchedulesDialog(window, &edited)) SetHoldSchedules(edited);
      break;
    }
    default:
      return false;
  }
  if (rules) SetHoldOffRules(*rules);
  return true;
}
