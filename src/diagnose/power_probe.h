// The power facts of the diagnosis and the elevated run of the system's power report,
// behind replaceable entry points: tests answer with recorded values instead.
#pragma once

#include <windows.h>

struct PowerProbe {
  // The active plan's display time-outs in seconds (0: never), each kFactUnknown when
  // the system does not tell it.
  void (*readDisplayTimeouts)(int* acSeconds, int* dcSeconds);
  // The system's execution state (ES_* bits); false when the call fails.
  bool (*readExecutionState)(DWORD* state);
};

extern PowerProbe PowerProbeEntry;
PowerProbe RealPowerProbe();

// Runs the program elevated ("runas") with the parameters, hidden, and waits for it at
// most timeoutMs; true when it ran to its end.
using RunElevatedFn = bool (*)(const char* file, const char* parameters, DWORD timeoutMs);
extern RunElevatedFn RunElevatedEntry;
bool RealRunElevated(const char* file, const char* parameters, DWORD timeoutMs);
