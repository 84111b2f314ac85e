// The tip of the day.
#pragma once

#include <windows.h>

INT_PTR ShowTipsDialog(HWND owner, int tip);
