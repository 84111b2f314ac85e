// Registration of the hot keys. Not yet built: the dialog arrives with the triggers work.
#include "triggers/hot_keys.h"

#include "app/app_state.h"

void RegisterHotKeys(HWND window) {
  for (const HotKeyEntry& entry : AppState.hotKeys)
    if (entry.virtualKey != 0) RegisterHotKey(window, entry.id, entry.modifiers, entry.virtualKey);
}

void UnregisterHotKeys(HWND window) {
  for (const HotKeyEntry& entry : AppState.hotKeys)
    if (entry.virtualKey != 0) UnregisterHotKey(window, entry.id);
}

INT_PTR ShowHotKeyDialog(HWND, HotKeyEntry*) { return 0; }
