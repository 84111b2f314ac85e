// "HOTKEYDIALOG": sets one of the two hot keys. It uses no hot key control: ten times a
// second it samples the whole keyboard and shows the combination being held; OK makes
// that combination the hot key and registers it on the main window.
#include <cstdio>
#include <cstring>

#include "language/dialog_fit.h"
#include "language/translate.h"
#include "log/log.h"
#include "resources/hotkey_dialog_ids.h"
#include "shell/dpi.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"
#include "triggers/hot_keys.h"

namespace {

constexpr UINT_PTR kSampleTimer = 335;
constexpr UINT kSamplePeriodMs = 100;
// Translators: the title of the hot key dialog; %s is the product name.
constexpr const char* kTitleFormat = TrNoop("%s Hotkey Setting");
constexpr int kHotKeyTextSize = 100;

// The entry of the open dialog; only one hot key dialog works at a time.
HotKeyEntry* openEntry = nullptr;

void OnSample(HWND dialog) {
  if (!openEntry) return;
  BYTE keys[kKeyboardStates];
  if (!GetKeyboardState(keys)) return;
  // Without Ctrl or Alt, the keys that work the dialog (Tab and Shift+Tab, Enter, Escape,
  // Space) are not taken for the combination, so it can be confirmed from the keyboard.
  if (!(keys[VK_CONTROL] & 0x80) && !(keys[VK_MENU] & 0x80)) {
    if (keys[VK_TAB] & 0x80)
      for (int key : {VK_SHIFT, VK_LSHIFT, VK_RSHIFT}) keys[key] = 0;
    for (int key : {VK_TAB, VK_RETURN, VK_ESCAPE, VK_SPACE}) keys[key] = 0;
  }
  SampleHotKeyState(keys, &openEntry->editVirtualKey, &openEntry->editModifiers);
  char text[kHotKeyTextSize];
  FormatHotKeyText(openEntry->editVirtualKey, openEntry->editModifiers, text, sizeof(text));
  // Only a change is sent, so the field does not repaint ten times a second.
  char shown[kHotKeyTextSize];
  GetDlgItemTextA(dialog, IDC_HOTKEY_TEXT, shown, sizeof(shown));
  if (strcmp(shown, text) != 0)
    SendDlgItemMessageA(dialog, IDC_HOTKEY_TEXT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

INT_PTR OnInitDialog(HWND dialog, HotKeyEntry* entry) {
  TranslateDialog(dialog);
  openEntry = entry;
  if (entry) {
    entry->editVirtualKey = entry->virtualKey;
    entry->editModifiers = entry->modifiers;
  }
  SendMessageA(dialog, WM_TIMER, kSampleTimer, 0);
  char title[256];
  snprintf(title, sizeof(title), Tr(kTitleFormat), kProductName);
  SetWindowTextA(dialog, title);
  if (entry) {
    SetDlgItemTextA(dialog, IDC_HOTKEY_PROMPT, Tr(entry->description));
    FitDialogToTexts(dialog);  // the prompt may be longer than the template's
  }
  CenterWindow(dialog);
  SetTimer(dialog, kSampleTimer, kSamplePeriodMs, nullptr);
  SetFocus(GetDlgItem(dialog, IDC_HOTKEY_TEXT));
  return FALSE;
}

// A changed combination replaces the registration; a failure to register is reported,
// and the combination is kept (and saved by the caller) all the same.
void OnOk(HotKeyEntry* entry) {
  if (!entry) return;
  if (entry->editVirtualKey == entry->virtualKey && entry->editModifiers == entry->modifiers) return;
  HWND mainWindow = AppState.mainWindow;
  if (entry->virtualKey != 0) UnregisterHotKey(mainWindow, entry->id);
  entry->virtualKey = entry->editVirtualKey;
  entry->modifiers = entry->editModifiers;
  if (entry->virtualKey != 0 && !RegisterHotKey(mainWindow, entry->id, entry->modifiers, entry->virtualKey))
    LogLastError(kLogError, TrNoop("HotKeyDlgProc: error registering hot key"));
}

void EndHotKeyDialog(HWND dialog, INT_PTR result) {
  KillTimer(dialog, kSampleTimer);
  openEntry = nullptr;
  EndDialog(dialog, result);
}

}  // namespace

INT_PTR CALLBACK HotKeyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DPICHANGED:
      return AnswerDpiChanged(dialog, lParam);
    case WM_INITDIALOG:
      return OnInitDialog(dialog, reinterpret_cast<HotKeyEntry*>(lParam));
    case WM_TIMER:
      if (wParam == kSampleTimer) OnSample(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOk(openEntry);
        EndHotKeyDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndHotKeyDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR ShowHotKeyDialog(HWND owner, HotKeyEntry* entry) {
  LogMessage(kLogLogOnly, "ShowHotKeyDialog");
  return ShowDialogOnce(AppState.instance, owner, "HOTKEYDIALOG", HotKeyDlgProc, Tr(kTitleFormat), kProductName,
                        reinterpret_cast<LPARAM>(entry));
}
