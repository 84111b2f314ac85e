// Start-up, the single-instance hand-off, the message loop and shutdown.
#pragma once

#include <windows.h>

int RunDozelite(HINSTANCE instance, char* commandLine);
