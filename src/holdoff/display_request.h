// The display power request that holds the saver off, and the shell's own full-screen
// report: both reached through one replaceable entry point each, because their effect
// (a saver that does not start, a game the shell knows about) cannot be seen headlessly.
#pragma once

#include <windows.h>

// Holds the display on with `reason` as the request's readable text, replacing any hold
// already taken; a null reason releases it. Returns whether the system took the request.
using DisplayRequestEntryFn = bool (*)(const char* reason);
// True while the shell reports a Direct3D full-screen program or presentation mode.
using ShellFullScreenEntryFn = bool (*)();

extern DisplayRequestEntryFn DisplayRequestEntry;
extern ShellFullScreenEntryFn ShellFullScreenEntry;

bool RealDisplayRequest(const char* reason);
bool RealShellFullScreen();

// The system's power request calls under RealDisplayRequest, one entry point each: the
// emulator lacks some of them (the hold then takes the execution state), and where they
// exist only a test that sees the type asked for can tell a display request from a
// system one. A create that returns null means no request can be made.
using PowerCreateRequestEntryFn = HANDLE (*)(REASON_CONTEXT* context);
using PowerRequestEntryFn = BOOL (*)(HANDLE request, POWER_REQUEST_TYPE type);
extern PowerCreateRequestEntryFn PowerCreateRequestEntry;
extern PowerRequestEntryFn PowerSetRequestEntry;
extern PowerRequestEntryFn PowerClearRequestEntry;

HANDLE RealPowerCreateRequest(REASON_CONTEXT* context);
BOOL RealPowerSetRequest(HANDLE request, POWER_REQUEST_TYPE type);
BOOL RealPowerClearRequest(HANDLE request, POWER_REQUEST_TYPE type);
