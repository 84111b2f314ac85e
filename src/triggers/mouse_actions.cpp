// The eight triggers (four click kinds on the tray icon, four screen corners) and the
// procedure that binds a command to one of them: a message box explains what to do,
// and while it is open the dispatcher records the last command the user gives.
#include "triggers/mouse_actions.h"

#include <atomic>
#include <cstdio>

#include "language/text.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"

namespace {

// recordedCommand while the box is open and nothing was given yet.
constexpr int kNothingRecorded = 1;

// One trigger: its field in the application state and the words the messages use.
// Exactly one of the two field pointers is set.
struct Trigger {
  int command;
  int* clickField;
  std::atomic<int>* cornerField;
  const char* description;
};

Trigger FindTrigger(int command) {
  switch (command) {
    // Translators: what the user does to a trigger; it follows "whenever you" in the
    // messages about setting its action.
    case kCmdSetLeftClick:
      return {command, &AppState.singleLeftActionMessage, nullptr, TrNoop("Click the Left mouse button")};
    case kCmdSetLeftDoubleClick:
      return {command, &AppState.doubleLeftActionMessage, nullptr, TrNoop("Double-Click the Left mouse button")};
    case kCmdSetRightClick:
      return {command, &AppState.singleRightActionMessage, nullptr, TrNoop("Click the Right mouse button")};
    case kCmdSetRightDoubleClick:
      return {command, &AppState.doubleRightActionMessage, nullptr, TrNoop("Double-Click the Right mouse button")};
    case kCmdSetTopLeftCorner:
      return {command, nullptr, &AppState.topLeftActionMessage, TrNoop("Move the cursor to the Top-Left screen corner")};
    case kCmdSetBottomLeftCorner:
      return {command, nullptr, &AppState.bottomLeftActionMessage,
              TrNoop("Move the cursor to the Bottom-Left screen corner")};
    case kCmdSetTopRightCorner:
      return {command, nullptr, &AppState.topRightActionMessage, TrNoop("Move the cursor to the Top-Right screen corner")};
    case kCmdSetBottomRightCorner:
      return {command, nullptr, &AppState.bottomRightActionMessage,
              TrNoop("Move the cursor to the Bottom-Right screen corner")};
    default:
      return {0, nullptr, nullptr, nullptr};
  }
}

// The click triggers other than `own` whose action is 0, i.e. that still open the menu.
int CountMenuClicks(const int* own) {
  int* clicks[] = {&AppState.singleLeftActionMessage, &AppState.doubleLeftActionMessage,
                   &AppState.singleRightActionMessage, &AppState.doubleRightActionMessage};
  int count = 0;
  for (int* click : clicks)
    if (click != own && *click == 0) count++;
  return count;
}

void RestoreClickDefaults() {
  AppState.singleLeftActionMessage = kCmdRunSaverNow;
  AppState.doubleLeftActionMessage = kCmdToggleSaver;
  AppState.singleRightActionMessage = 0;
  AppState.doubleRightActionMessage = 0;
}

void RestoreCornerDefaults() {
  AppState.topLeftActionMessage = kCmdRunSaverNow;
  AppState.bottomLeftActionMessage = 0;
  AppState.topRightActionMessage = kCmdToggleSaver;
  AppState.bottomRightActionMessage = 0;
}

}  // namespace

// The menu is reachable only through a click whose action is 0, so the last such click
// cannot be changed. Returns 1 when defaults were restored or OK was pressed.
int SetMouseAction(int command) {
  if (command == kCmdRestoreClickDefaults) {
    RestoreClickDefaults();
    return 1;
  }
  if (command == kCmdRestoreCornerDefaults) {
    RestoreCornerDefaults();
    return 1;
  }
  Trigger trigger = FindTrigger(command);
  if (!trigger.description) return 0;

  char text[4000];  // a translated text with the description three times
  const char* does = Tr(trigger.description);
  if (CountMenuClicks(trigger.clickField) == 0) {
    // Translators: %s is what the user does, as "Click the Left mouse button".
    snprintf(text, sizeof(text),
             Tr("You have chosen to set the action that will occur whenever you %s.\n\nYou cannot change this "
                "setting, becuase it is the only click combination that can access the Menu. To change this, you "
                "must first set one of the other click combinations to perform no action. This will cause it to "
                "display the Menu."),
             does);
    MessageBoxEntry(AppState.mainWindow, text, kProductName, MB_OK | MB_ICONWARNING);
    AppState.recordedCommand = 0;
    return 0;
  }
  // Translators: each %s is what the user does, as "Click the Left mouse button".
  snprintf(text, sizeof(text),
           Tr("You have chosen to set the action that will occur whenever you %s.\n\nSelect now any action from "
              "the Menu as you would normally, and then press OK (below).\nYour selected action will then occur "
              "every time you %s.\n\nTo perform no action when you %s, click OK right now.\n\nClick Cancel to "
              "leave the settings as they are."),
           does, does, does);

  AppState.recordedCommand = kNothingRecorded;
  // The box is modal but the main window keeps running: the user gives commands from
  // the tray menu meanwhile, and the dispatcher records each recordable one.
  int answer = MessageBoxEntry(AppState.mainWindow, text, kProductName, MB_OKCANCEL);
  bool accepted = answer == IDOK;
  if (accepted) {
    int action = AppState.recordedCommand;
    if (action == kNothingRecorded) action = 0;
    if (trigger.clickField)
      *trigger.clickField = action;
    else
      *trigger.cornerField = action;
    LogMessage(kLogLogOnly, "SetMouseAction: Setting Message %d for action '%s'", action, trigger.description);
  }
  AppState.recordedCommand = 0;
  return accepted ? 1 : 0;
}
