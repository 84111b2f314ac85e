// The corner options: the main thread changes them, saves them and then wakes the
// corner watcher, which reads them (all atomic) and never writes them.
#include "triggers/corner_options.h"

#include "log/log.h"
#include "settings/settings_store.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "triggers/corner_watcher.h"

const CornerDelayChoice kCornerDelayChoices[kCornerDelayChoiceCount] = {
    {kCmdCornerDelayNone, 0, "&None"},        {kCmdCornerDelay150, 150, "&150 ms"},
    {kCmdCornerDelay300, 300, "&300 ms"},     {kCmdCornerDelay500, 500, "&500 ms"},
    {kCmdCornerDelay1000, 1000, "&1 s"},
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
