// The corner options in the "Screen &Corner Action" submenu: two switches and the
// dwell delay, whose current choice carries the check (none does for a delay set
// outside the menu, e.g. on the command line).
#include "language/text.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "tray/tray_menu.h"
#include "tray/tray_menu_parts.h"
#include "triggers/corner_options.h"

void AppendCornerOptions(HMENU menu) {
  AppendSwitch(menu, kCmdToggleCornerEveryMonitor, Tr("Every &Monitor"), AppState.cornerscope != 0);
  HMENU delays = CreatePopupMenu();
  int delay = AppState.cornerdelay;
  for (const CornerDelayChoice& choice : kCornerDelayChoices)
    AppendSwitch(delays, choice.command, Tr(choice.text), choice.milliseconds == delay);
  AppendSubmenu(menu, delays, Tr("Dela&y"));
  AppendSwitch(menu, kCmdToggleCornersOverFullScreen, Tr("Also Over &Full-Screen Windows"),
               AppState.cornersfullscreen != 0);
}
