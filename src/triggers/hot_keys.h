// The two global hot keys and their dialog.
#pragma once

#include <windows.h>

struct HotKeyEntry;

void RegisterHotKeys(HWND window);
void UnregisterHotKeys(HWND window);
INT_PTR ShowHotKeyDialog(HWND owner, HotKeyEntry* entry);
