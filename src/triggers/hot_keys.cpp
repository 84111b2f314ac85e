// The global hot keys: registration for the resident life of the main window, and the
// sampling rules and key-name text that the hot key dialog shows.
#include "triggers/hot_keys.h"

#include "shell/text_helpers.h"
#include "state/app_state.h"

namespace {

constexpr int kKeyNameSize = 20;

void AppendKeyName(UINT virtualKey, char* text, int capacity) {
  char name[kKeyNameSize] = "";
  LONG scanCode = static_cast<LONG>(MapVirtualKeyA(virtualKey, 0));
  GetKeyNameTextA(scanCode << 16, name, sizeof(name));
  AppendText(text, name, capacity);
}

}  // namespace

void RegisterHotKeys(HWND window) {
  for (const HotKeyEntry& entry : AppState.hotKeys)
    if (entry.virtualKey != 0) RegisterHotKey(window, entry.id, entry.modifiers, entry.virtualKey);
}

void UnregisterHotKeys(HWND window) {
  for (const HotKeyEntry& entry : AppState.hotKeys)
    if (entry.virtualKey != 0) UnregisterHotKey(window, entry.id);
}

// Every held code counts in ascending order, so the highest ordinary key wins; mouse
// buttons (codes 1 to 7) never count. With nothing held the previous combination stays,
// unless it had no key: letting go of modifiers alone leaves an empty combination.
// Holding the previous modifiers without a key keeps showing the previous key.
void SampleHotKeyState(const BYTE keys[kKeyboardStates], UINT* key, UINT* modifiers) {
  UINT previousKey = *key;
  UINT previousModifiers = *modifiers;
  UINT heldKey = 0;
  UINT heldModifiers = 0;
  for (UINT code = 0; code < kKeyboardStates; code++) {
    if (!(keys[code] & 0x80)) continue;
    switch (code) {
      case 1: case 2: case 3: case 4: case 5: case 6: case 7:
        break;
      case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT:
        heldModifiers |= MOD_SHIFT;
        break;
      case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL:
        heldModifiers |= MOD_CONTROL;
        break;
      case VK_MENU: case VK_LMENU: case VK_RMENU:
        heldModifiers |= MOD_ALT;
        break;
      default:
        heldKey = code;
        break;
    }
  }
  if (heldKey == 0 && heldModifiers == 0) {
    heldKey = previousKey;
    heldModifiers = previousKey ? previousModifiers : 0;
  }
  if (heldKey == 0 && heldModifiers == previousModifiers) heldKey = previousKey;
  *key = heldKey;
  *modifiers = heldModifiers;
}

void FormatHotKeyText(UINT key, UINT modifiers, char* text, int capacity) {
  if (!text || capacity <= 0) return;
  text[0] = 0;
  const struct {
    UINT flag;
    UINT virtualKey;
  } order[] = {{MOD_CONTROL, VK_CONTROL}, {MOD_ALT, VK_MENU}, {MOD_SHIFT, VK_SHIFT}};
  for (const auto& modifier : order) {
    if (!(modifiers & modifier.flag)) continue;
    AppendKeyName(modifier.virtualKey, text, capacity);
    AppendText(text, " + ", capacity);
  }
  AppendKeyName(key, text, capacity);
}
