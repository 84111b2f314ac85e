// The corner options: the main thread changes them, saves them and then wakes the
// corner watcher, which reads them (all atomic) and never writes them.
#include "triggers/corner_options.h"

#include "language/text.h"
#include "log/log.h"
#include "settings/settings_store.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "triggers/corner_watcher.h"

// Translators: the items of the corner delay submenu, how long the cursor stays in a
// corner before its action runs; each needs its own access key.
const CornerDelayChoice kCornerDelayChoices[kCornerDelayChoiceCount] = {
    {kCmdCornerDelayNone, 0, TrNoop("&None")},         {kCmdCornerDelay150, 150, TrNoop("&150 ms")},
    {kCmdCornerDelay300, 300, TrNoop("&300 ms")},      {kCmdCornerDelay500, 500, TrNoop("&500 ms")},
    {kCmdCornerDelay1000, 1000, TrNoop("1 &s")},
};

bool IsCornerOptionCommand(int command) {
  return command >= kCmdToggleCornerEveryMonitor && command <= kCmdCornerDelay1000;
}

void RunCornerOptionCommand(int command) {
  if (command == kCmdToggleCornerEveryMonitor) {
    AppState.cornerscope = AppState.cornerscope ? 0 : 1;
  } else if (command == kCmdToggleCornersOverFullScreen) {
    AppState.cornersfullscreen = AppState.cornersfullscreen ? 0 : 1;
  } else {
    for (const CornerDelayChoice& choice : kCornerDelayChoices)
      if (choice.command == command) AppState.cornerdelay = choice.milliseconds;
  }
  LogMessage(kLogLogOnly, "Corner options: every monitor %d, delay %d ms, over full-screen windows %d",
             static_cast<int>(AppState.cornerscope), static_cast<int>(AppState.cornerdelay),
             static_cast<int>(AppState.cornersfullscreen));
  // Saved before the watcher wakes, so it never acts on options that are not stored.
  SaveSettings();
  WakeCornerWatcher();
}
