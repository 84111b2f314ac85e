// The file name of a process's program, for the hold-off rules and the full-screen
// detector. Safe on any thread.
#pragma once

#include <windows.h>

// Paths can pass kPathSize by far: 32,767 UTF-16 units, up to three bytes each in the
// UTF-8 code page.
constexpr DWORD kLongPathBytes = 32767 * 3 + 1;

// The file name (no folder) of the process's image, cut to size only at a character's
// end; false, with name empty, when the process cannot be asked or the name does not fit.
bool GetProcessFileName(DWORD processId, char* name, int size);
