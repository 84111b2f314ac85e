// The worker that notices programs of "running" rules: a process-list scan every 5 s
// and a wait on each match's process handle for its exit, on a thread that exists only
// while such a rule is in force.
#pragma once

#include <windows.h>

#include "holdoff/holdoff_rules.h"

// Names the window that gets `message` whenever the program the worker reports changes.
void StartProcessWatcher(HWND window, UINT message);
// Ends the worker, if it runs, and waits for it (5 s at most).
void StopProcessWatcher();
// Hands the worker a copy of the rules and wakes it. Its thread runs only while the rules
// are on and have a "running" rule: it starts here when one appears and ends when the
// last one goes (forgetting the program it saw).
void WatchRunningPrograms(const HoldOffRules& rules);
// The first program (in rule order) the worker last saw running, "" if none.
void GetRunningProgram(char* name, int size);
