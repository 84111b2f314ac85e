// The hold-off rules under HKEY_CURRENT_USER\Software\Dozelite\HoldOff: the DWORD switches
// "enabled" and "fullscreen", and one text value per program. An organisation gives the
// same values under the HoldOff subkey of its policy keys (HKLM, then HKCU, machine wins):
// its switches override the user's, its programs are added to the user's and marked
// fromPolicy, and neither is ever written into the user's key.
#pragma once

#include "holdoff/holdoff_rules.h"

constexpr const char* kHoldOffKey = "Software\\Dozelite\\HoldOff";
constexpr const char* kHoldOffEnabledValue = "enabled";
constexpr const char* kHoldOffFullScreenValue = "fullscreen";
constexpr const char* kHoldOffPolicyKey = "Software\\Policies\\Dozelite\\HoldOff";

// Reads the rules over the defaults; each value that cannot be used is left out with one
// log line. Returns whether the key exists.
bool LoadHoldOffRules(HoldOffRules* rules);
// Writes the switches and the programs the organisation does not give; the programs of `previous` (the rules as read)
// missing from `rules` are removed. Values that were never read as rules (bad data,
// programs past the limit) are left for the user to see.
bool SaveHoldOffRules(const HoldOffRules& previous, const HoldOffRules& rules);
// Writes one switch only (the command line's hand-over). When a policy sets the switch,
// logs "Policy: HoldOff\\<name> is set by your organisation" and writes nothing.
bool SaveHoldOffSwitch(const char* name, bool on);
