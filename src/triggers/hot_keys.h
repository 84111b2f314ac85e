// The two global hot keys and their dialog.
#pragma once

#include <windows.h>

struct HotKeyEntry;

constexpr int kKeyboardStates = 256;

void RegisterHotKeys(HWND window);
void UnregisterHotKeys(HWND window);
INT_PTR ShowHotKeyDialog(HWND owner, HotKeyEntry* entry);
INT_PTR CALLBACK HotKeyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// One sampling step of the dialog: the combination held in `keys` (GetKeyboardState
// layout) replaces *key and *modifiers, which hold the previous combination on entry.
void SampleHotKeyState(const BYTE keys[kKeyboardStates], UINT* key, UINT* modifiers);
// "Ctrl + Alt + S": the layout's key names of the modifiers and the key.
void FormatHotKeyText(UINT key, UINT modifiers, char* text, int capacity);
