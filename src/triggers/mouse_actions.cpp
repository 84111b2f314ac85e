// Not yet built: only the two restore-defaults commands work until the triggers work
// lands; the others log that they are not available.
#include "triggers/mouse_actions.h"

#include "app/app_state.h"
#include "app/commands.h"
#include "log/log.h"

int SetMouseAction(int command) {
  if (command == kCmdRestoreClickDefaults) {
    AppState.singleLeftActionMessage = kCmdRunSaverNow;
    AppState.doubleLeftActionMessage = kCmdToggleSaver;
    AppState.singleRightActionMessage = 0;
    AppState.doubleRightActionMessage = 0;
    return 1;
  }
  if (command == kCmdRestoreCornerDefaults) {
    AppState.topLeftActionMessage = kCmdRunSaverNow;
    AppState.bottomLeftActionMessage = 0;
    AppState.topRightActionMessage = kCmdToggleSaver;
    AppState.bottomRightActionMessage = 0;
    return 1;
  }
  return 0;
}
