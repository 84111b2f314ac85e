// ParseCommandLine: the start-up options. Each option is looked up in a fixed order and
// acts at once or sets a switch; unless the command line is empty, the program's
// settings are saved afterwards so that a running instance can reload them.
#include "app/command_line.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "app/dispatcher.h"
#include "app/language_choice.h"
#include "catalog/saver_catalog.h"
#include "diagnose/diagnose.h"
#include "holdoff/clock_holds.h"
#include "holdoff/holdoff_store.h"
#include "log/log.h"  // SetShowDebugMessages, SetAutoLogToFile
#include "settings/policy_store.h"
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
  // An option for a setting some policy gives is refused, and named in the log.
  bool Take(const char* name, const char* policy = nullptr) {
    return Find(name) && !RefuseIfSetByPolicy(policy ? policy : name);
  }
  bool OnlyWord() const { return tokens[0] != 0 && tokens[strlen(tokens) + 1] == 0; }
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

// A language tag keeps its dashes ("language=zh-TW"), which elsewhere on the command
// line start a new word: the tag is read again from the text itself, after the last
// "language=" that begins a word, as far as letters, digits, "-" and "_" go.
void ReadLanguageTag(const char* commandLine, char* tag, int size) {
  const char* found = nullptr;
  for (const char* p = commandLine; *p; p++) {
    bool wordStart = p == commandLine || strchr(" \t/-\"", p[-1]) != nullptr;
    if (wordStart && _strnicmp(p, "language=", 9) == 0) found = p + 9;
  }
  if (!found || size <= 0) return;
  if (*found == '"') found++;
  int length = 0;
  while (length + 1 < size && (isalnum(static_cast<unsigned char>(found[length])) || found[length] == '-' ||
                               found[length] == '_'))
    length++;
  memcpy(tag, found, static_cast<size_t>(length));
  tag[length] = 0;
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
  // First, so that any box the later options show speaks the chosen language.
  if (options.Find("language")) {
    ReadLanguageTag(commandLine, options.value, sizeof(options.value));
    TakeLanguageOption(value);
  }
  if (options.Take("delay")) {
    int delay = ReadNumber(value);
    if (delay >= 0) AppState.delay = delay;
  }
  // A kiosk's program is not ended: "kill" alone is refused (with other options it only
  // keeps this start from staying resident while it applies them).
  if (options.Find("kill")) {
    bool refused = IsOn(value) && options.OnlyWord() && !ExitAllowed();
    if (refused)
      LogMessage(kLogLogOnly, "Policy: allowexit is set by your organisation");
    else
      AppState.kill = IsOn(value);
  }
  if (options.Find("loadatstartup")) SetLoadAtStartup(kProductName, IsOn(value));
  if (options.Take("nosplash")) AppState.nosplash = IsOn(value);
  if (options.Take("notips")) AppState.notips = IsOn(value);
  if (options.Take("randomonactivate")) AppState.randomonactivate = IsOn(value);
  if (options.Take("randomonclick")) AppState.randomonclick = IsOn(value);
  if (options.Take("randomonload")) AppState.randomonload = IsOn(value);
  if (options.Take("randomchoose", kSaverFilePolicy)) ChooseRandomSaver();
  if (options.Find("randomlaunch")) LaunchRandomSaver();
  if (options.Find("run")) AppState.run = IsOn(value);
  if (options.Take("setsaver", kSaverFilePolicy)) SetCurrentSaver(value);
  if (options.Take("timeout", kSaverTimeoutPolicy)) SetSaverTimeout(ReadNumber(value));
  if (options.Take("password", kSaverSecurePolicy)) EnablePassword(IsOn(value));
  if (options.Take("saver", kSaverActivePolicy)) EnableSaver(IsOn(value));
  if (options.Find("uninstall")) AppState.uninstall = IsOn(value);
  if (options.Take("autolog")) SetAutoLogToFile(IsOn(value));
  if (options.Take("splitlist")) AppState.splitlist = IsOn(value);
  if (options.Take("chooselaunch")) AppState.chooselaunch = IsOn(value);
  if (options.Take("unifiedlist")) AppState.unifiedlist = IsOn(value);
  if (options.Take("corneraction")) AppState.corneraction = IsOn(value);
  if (options.Take("cornerscope")) AppState.cornerscope = IsOn(value);
  // Only a number sets the corner delay (a dash splits "-5" off, leaving no value).
  if (options.Take("cornerdelay") && isdigit(static_cast<unsigned char>(value[0])))
    AppState.cornerdelay = CornerDelayMs(ReadNumber(value));
  if (options.Take("cornersfullscreen")) AppState.cornersfullscreen = IsOn(value);
  if (options.Find("setwindowsdefault")) SaveDefaultUserSettings();
  if (options.Find("powermode") && value[0]) ApplyPowerMode(value);
  if (options.Find("diagnose")) DiagnoseFromCommandLine();
  if (options.Find("?") || options.Find("help")) AppState.help = 1;
  // The hold-off switches are written at once; a running copy reads them on reload.
  if (options.Find("holdoff")) SaveHoldOffSwitch(kHoldOffEnabledValue, IsOn(value));
  if (options.Find("fullscreenholdoff")) SaveHoldOffSwitch(kHoldOffFullScreenValue, IsOn(value));
  if (options.Find("holduntil")) HoldUntilFromCommandLine(value);

  SaveSettings();
}
