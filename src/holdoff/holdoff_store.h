// The hold-off rules under HKEY_CURRENT_USER\Software\Dozelite\HoldOff: the DWORD switches
// "enabled" and "fullscreen", and one text value per program.
#pragma once

#include "holdoff/holdoff_rules.h"

constexpr const char* kHoldOffKey = "Software\\Dozelite\\HoldOff";
constexpr const char* kHoldOffEnabledValue = "enabled";
constexpr const char* kHoldOffFullScreenValue = "fullscreen";

// Reads the rules over the defaults; each value that cannot be used is left out with one
// log line. Returns whether the key exists.
bool LoadHoldOffRules(HoldOffRules* rules);
// Writes the switches and the programs; program values no longer listed are removed,
// values that were never valid rules are left for the user to see.
bool SaveHoldOffRules(const HoldOffRules& rules);
// Writes one switch only (the command line's hand-over).
bool SaveHoldOffSwitch(const char* name, bool on);
