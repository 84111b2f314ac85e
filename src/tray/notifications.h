// Balloons for commands nobody saw being given: a hot key, a screen corner or a second
// start's hand-off. Menu commands are seen by the user and never told.
#pragma once

#include <windows.h>

// After `command` was carried out: shows what happened in a balloon over the tray icon
// when the source (the WM_COMMAND's lParam, a CommandSource) is not the menu and the
// "notifications" setting is on. Returns whether a balloon was sent.
bool TellCommandOutcome(int command, LPARAM source);
// The text TellCommandOutcome would show for `command` in the present state; false and
// an empty text for commands with nothing to tell.
bool DescribeCommandOutcome(int command, LPARAM source, char* text, int size);
