// The crash report: what is left behind when a fault ends the program.
#pragma once

#include <windows.h>

// Installs the process-wide filter for faults nothing else handles, on any thread.
void InstallCrashReporter();
// The report line of a fault: "Unhandled exception 0x%08lX at <module>+0x<offset> ...".
void FormatCrashLine(char* destination, int capacity, DWORD code, const void* address, DWORD threadId);
