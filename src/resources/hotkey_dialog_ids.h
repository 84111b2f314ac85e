/* Control ids of the hot key dialog "HOTKEYDIALOG". */
#pragma once

#define IDC_HOTKEY_TEXT 1014
#define IDC_HOTKEY_PROMPT 1023
