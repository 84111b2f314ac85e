// ParseCommandLine: the start-up options. Each option is looked up in a fixed order and
// acts at once or sets a switch; unless the command line is empty, the program's
// settings are saved afterwards so that a running instance can reload them.
#include "app/command_line.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "app/dispatcher.h"
#include "catalog/saver_catalog.h"
#include "diagnose/diagnose.h"
#include "holdoff/holdoff_store.h"
#include "log/log.h"  // SetShowDebugMessages, SetAutoLogToFile
#include "settings/settings_store.h"
#include "shell/command_line_tokens.h"
#include "state/app_state.h"
#include "system/default_user.h"
#include "system/saver_operations.h"
#include "system/system_saver_settings.h"
#include "triggers/corner_stay.h"

namespace {

// A value beginning with the digit 0 is off; anything else, the empty value too, is on.
bool IsOn(const char* value) { return value[0] != '0'; }

// A decimal number as atoi reads it (leading blanks, a sign, digits, anything after is
// ignored; no digits read as 0), kept within the int range instead of overflowing.
int ReadNumber(const char* value) {
  long number = strtol(value, nullptr, 10);
  if (number > INT_MAX) return INT_MAX;
  if (number < INT_MIN) return INT_MIN;
  return static_cast<int>(number);
}

struct Options {
  char tokens[kTokenBufferSize];
  char value[kOptionValueSize];

  bool Find(const char* name) { return FindOption(tokens, name, value, sizeof(value)); }
};

void ApplyPowerMode(const char* value) {
  if (strcmp(value, "on") == 0)
    SetPowerMode(-1);
  else if (strcmp(value, "off") == 0)
    SetPowerMode(2);
  else if (strcmp(value, "suspend") == 0)
    SetPowerMode(1);
  else if (strcmp(value, "standby") == 0)
    SetPowerMode(0);
}

void LaunchRandomSaver() {
  const char* path = GetRandomScreenSaver();
  if (path && path[0]) RunSaverFile(path, "/S");
}

}  // namespace

void ParseCommandLine(char* commandLine) {
  if (!commandLine || commandLine[0] == 0) return;
  static Options options;  // the main thread's only; keeps 772 bytes off the stack
  TokenizeCommandLine(commandLine, options.tokens, sizeof(options.tokens), true);
  const char* value = options.value;

  if (options.Find("debug")) SetShowDebugMessages(IsOn(value));
  if (options.Find("delay")) {
    int delay = ReadNumber(value);
    if (delay >= 0) AppState.delay = delay;
  }
  if (options.Find("kill")) AppState.kill = IsOn(value);
  if (options.Find("loadatstartup")) SetLoadAtStartup(kProductName, IsOn(value));
  if (options.Find("nosplash")) AppState.nosplash = IsOn(value);
  if (options.Find("notips")) AppState.notips = IsOn(value);
  if (options.Find("randomonactivate")) AppState.randomonactivate = IsOn(value);
  if (options.Find("randomonclick")) AppState.randomonclick = IsOn(value);
  if (options.Find("randomonload")) AppState.randomonload = IsOn(value);
  if (options.Find("randomchoose")) ChooseRandomSaver();
  if (options.Find("randomlaunch")) LaunchRandomSaver();
  if (options.Find("run")) AppState.run = IsOn(value);
  if (options.Find("setsaver")) SetCurrentSaver(value);
  if (options.Find("timeout")) SetSaverTimeout(ReadNumber(value));
  if (options.Find("password")) EnablePassword(IsOn(value));
  if (options.Find("saver")) EnableSaver(IsOn(value));
  if (options.Find("uninstall")) AppState.uninstall = IsOn(value);
  if (options.Find("autolog")) SetAutoLogToFile(IsOn(value));
  if (options.Find("splitlist")) AppState.splitlist = IsOn(value);
  if (options.Find("chooselaunch")) AppState.chooselaunch = IsOn(value);
  if (options.Find("unifiedlist")) AppState.unifiedlist = IsOn(value);
  if (options.Find("corneraction")) AppState.corneraction = IsOn(value);
  if (options.Find("cornerscope")) AppState.cornerscope = IsOn(value);
  // Only a number sets the corner delay (a dash splits "-5" off, leaving no value).
  if (options.Find("cornerdelay") && isdigit(static_cast<unsigned char>(value[0])))
    AppState.cornerdelay = CornerDelayMs(ReadNumber(value));
  if (options.Find("cornersfullscreen")) AppState.cornersfullscreen = IsOn(value);
  if (options.Find("setwindowsdefault")) SaveDefaultUserSettings();
  if (options.Find("powermode") && value[0]) ApplyPowerMode(value);
  if (options.Find("diagnose")) DiagnoseFromCommandLine();
  if (options.Find("?") || options.Find("help")) AppState.help = 1;
  // The hold-off switches are written at once; a running copy reads them on reload.
  if (options.Find("holdoff")) SaveHoldOffSwitch(kHoldOffEnabledValue, IsOn(value));
  if (options.Find("fullscreenholdoff")) SaveHoldOffSwitch(kHoldOffFullScreenValue, IsOn(value));

  SaveSettings();
}
