// The HTML help file beside the executable, opened through the HTML Help control.
#pragma once

#include <windows.h>

// No window shuts the help system down. Context 0 shows the contents.
INT_PTR ShowHelp(HWND owner, int context);
