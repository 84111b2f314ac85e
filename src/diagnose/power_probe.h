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

// Starts the program elevated ("runas") with the parameters, hidden: its process handle
// (the caller closes it), or null when the elevation was declined or failed.
using StartElevatedFn = HANDLE (*)(const char* file, const char* parameters);
extern StartElevatedFn StartElevatedEntry;
HANDLE RealStartElevated(const char* file, const char* parameters);
