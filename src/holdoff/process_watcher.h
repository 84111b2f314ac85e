// The worker that notices programs of "running" rules: a process-list scan every 5 s
// while such a rule exists, and a wait on each match's process handle for its exit.
#pragma once

#include <windows.h>

#include "holdoff/holdoff_rules.h"

// Starts the worker once; it posts `message` to `window` whenever the program it
// reports changes.
bool StartProcessWatcher(HWND window, UINT message);
// Asks the worker to end and waits for it (5 s at most).
void StopProcessWatcher();
// Hands the worker a copy of the rules and wakes it.
void WatchRunningPrograms(const HoldOffRules& rules);
// The first program (in rule order) the worker last saw running, "" if none.
void GetRunningProgram(char* name, int size);
