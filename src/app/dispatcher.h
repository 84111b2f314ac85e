// The command dispatcher: carries out every command identifier on the main thread.
#pragma once

#include <windows.h>

void DispatchCommand(HWND window, int command);
