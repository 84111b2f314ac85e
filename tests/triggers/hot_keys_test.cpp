#include "triggers/hot_keys.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include <algorithm>

#include "app/window_proc.h"
#include "log/log.h"
#include "resources/hotkey_dialog_ids.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "support/test_support.h"

namespace {

struct Keyboard {
  BYTE keys[kKeyboardStates] = {};
  Keyboard(std::initializer_list<int> held) {
    for (int code : held) keys[code] = 0x81;  // down (and toggled, which must not matter)
  }
};

struct Combination {
  UINT key;
  UINT modifiers;
};

Combination Sample(Combination previous, const Keyboard& keyboard) {
  SampleHotKeyState(keyboard.keys, &previous.key, &previous.modifiers);
  return previous;
}

}  // namespace

TEST(SampleHotKeyState, TakesTheHighestKeyAndFoldsTheModifiers) {
  Combination none = {0, 0};
  Combination c = Sample(none, Keyboard{VK_CONTROL, VK_MENU, 'S'});
  EXPECT_EQ(c.key, static_cast<UINT>('S'));
  EXPECT_EQ(c.modifiers, static_cast<UINT>(MOD_CONTROL | MOD_ALT));
  c = Sample(none, Keyboard{VK_RSHIFT, VK_LCONTROL, VK_RMENU, 'A', VK_F5});
  EXPECT_EQ(c.key, static_cast<UINT>(VK_F5)) << "the higher code wins";
  EXPECT_EQ(c.modifiers, static_cast<UINT>(MOD_SHIFT | MOD_CONTROL | MOD_ALT));
  // Toggle bits alone (Caps Lock on, not held) are not presses.
  Keyboard toggled{};
  toggled.keys[VK_CAPITAL] = 0x01;
  EXPECT_EQ(Sample(none, toggled).key, 0u);
}

TEST(SampleHotKeyState, IgnoresMouseButtons) {
  Combination c = Sample({0, 0}, Keyboard{VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON2, 7});
  EXPECT_EQ(c.key, 0u);
  EXPECT_EQ(c.modifiers, 0u);
  c = Sample({0, 0}, Keyboard{VK_LBUTTON, VK_CONTROL, 'Q'});
  EXPECT_EQ(c.key, static_cast<UINT>('Q'));
  EXPECT_EQ(c.modifiers, static_cast<UINT>(MOD_CONTROL));
}

TEST(SampleHotKeyState, ReleaseRulesKeepFullCombinationsAndDropModifierOnlyOnes) {
  Combination ctrlS = {'S', MOD_CONTROL};
  Combination c = Sample(ctrlS, Keyboard{});
  EXPECT_EQ(c.key, static_cast<UINT>('S')) << "letting go keeps the combination";
  EXPECT_EQ(c.modifiers, static_cast<UINT>(MOD_CONTROL));
  c = Sample(ctrlS, Keyboard{VK_CONTROL});
  EXPECT_EQ(c.key, static_cast<UINT>('S')) << "the same modifiers alone still show the key";
  c = Sample(ctrlS, Keyboard{VK_MENU});
  EXPECT_EQ(c.key, 0u);
  EXPECT_EQ(c.modifiers, static_cast<UINT>(MOD_ALT));
  c = Sample(c, Keyboard{});
  EXPECT_EQ(c.key, 0u) << "releasing modifiers alone leaves nothing";
  EXPECT_EQ(c.modifiers, 0u);
}

TEST(FormatHotKeyText, NamesControlAltShiftThenTheKey) {
  char text[100];
  FormatHotKeyText('S', MOD_SHIFT | MOD_ALT | MOD_CONTROL, text, sizeof(text));
  // The layout's names: "Control" on the emulator's English layout.
  EXPECT_STREQ(text, "Control + Alt + Shift + S");
  FormatHotKeyText(VK_F5, 0, text, sizeof(text));
  EXPECT_STREQ(text, "F5");
  char tiny[8];
  FormatHotKeyText('S', MOD_CONTROL | MOD_ALT, tiny, sizeof(tiny));
  EXPECT_STREQ(tiny, "Control");
}

TEST(HotKeyMessage, PostsTheFixedCommandsForIdsZeroAndOneOnly) {
  ResetAppState(GetModuleHandleA(nullptr));
  HWND window = CreateTestWindow(TrayWindowProc);
  SendMessageA(window, WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL, 'S'));
  SendMessageA(window, WM_HOTKEY, 1, 0);
  SendMessageA(window, WM_HOTKEY, 2, 0);
  SendMessageA(window, WM_HOTKEY, static_cast<WPARAM>(IDHOT_SNAPWINDOW), 0);
  EXPECT_EQ(TakePostedCommands(window), (std::vector<int>{kCmdRunSaverNow, kCmdPowerOff}));
  std::string log = BufferedLog();
  EXPECT_NE(log.find("Hot key pressed"), std::string::npos);
  EXPECT_NE(log.find("Hot key power off pressed"), std::string::npos);
  // The main window's WM_DESTROY ends the message loop; this one goes quietly.
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
  DestroyWindow(window);
}

namespace {

// Runs the hot key dialog on this thread while a helper thread plays the user: it waits
// for the dialog, presses the keys with SendInput, releases them, waits until the field
// shows `expected`, optionally takes the combination away first, and presses OK.
class HotKeyDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState(GetModuleHandleA(nullptr));
    resources_ = LoadLibraryExA(BuildFilePath("Dozelite.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(resources_, nullptr);
    AppState.instance = resources_;
    mainWindow_ = CreateTestWindow();
    AppState.mainWindow = mainWindow_;
  }
  void TearDown() override {
    UnregisterHotKey(mainWindow_, 0);
    DestroyWindow(mainWindow_);
    FreeLibrary(resources_);
  }

  static void Press(std::initializer_list<WORD> keys, bool down) {
    for (WORD key : keys) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key;
      input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, 0));
      input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
      SendInput(1, &input, sizeof(input));
    }
  }

  struct Played {
    std::string shown;
    std::string prompt;
    bool found = false;
  };

  // With takeCombination, another window registers the combination just before OK.
  INT_PTR RunDialog(HotKeyEntry* entry, std::initializer_list<WORD> keys, const char* expected, Played* played,
                    bool takeCombination = false) {
    std::thread user([=] {
      HWND dialog = nullptr;
      for (int i = 0; i < 200 && !dialog; i++, Sleep(25)) dialog = FindWindowA("#32770", "Dozelite Hotkey Setting");
      if (!dialog) return;
      played->found = true;
      SetForegroundWindow(dialog);
      Sleep(200);
      Press(keys, true);
      Sleep(400);
      std::vector<WORD> reversed(keys);
      std::reverse(reversed.begin(), reversed.end());
      for (WORD key : reversed) Press({key}, false);
      char text[100] = "";
      for (int i = 0; i < 80; i++, Sleep(25)) {
        GetDlgItemTextA(dialog, IDC_HOTKEY_TEXT, text, sizeof(text));
        if (strcmp(text, expected) == 0) break;
      }
      Sleep(300);  // a few more samples with every key released
      GetDlgItemTextA(dialog, IDC_HOTKEY_TEXT, text, sizeof(text));
      played->shown = text;
      GetDlgItemTextA(dialog, IDC_HOTKEY_PROMPT, text, sizeof(text));
      played->prompt = text;
      HWND other = nullptr;
      if (takeCombination) {
        other = CreateWindowExA(0, "STATIC", "taker", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, 'S');
      }
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      if (other) {
        Sleep(500);  // hold it until the dialog has tried
        UnregisterHotKey(other, 7);
        DestroyWindow(other);
      }
    });
    INT_PTR result = ShowHotKeyDialog(nullptr, entry);
    user.join();
    return result;
  }

  HMODULE resources_ = nullptr;
  HWND mainWindow_ = nullptr;
};

}  // namespace

TEST_F(HotKeyDialogTest, OkRegistersTheCombinationHeld) {
  HotKeyEntry* entry = &AppState.hotKeys[1];
  Played played;
  MessageBoxCapture boxes;
  EXPECT_EQ(RunDialog(entry, {VK_CONTROL, VK_MENU, 'S'}, "Control + Alt + S", &played), 1);
  ASSERT_TRUE(played.found);
  EXPECT_EQ(played.shown, "Control + Alt + S");
  EXPECT_EQ(played.prompt, "power off you monitor");
  EXPECT_EQ(entry->virtualKey, static_cast<UINT>('S'));
  EXPECT_EQ(entry->modifiers, static_cast<UINT>(MOD_CONTROL | MOD_ALT));
  EXPECT_TRUE(boxes.boxes().empty());
  // Registered on the main window under the entry's id: taking it again elsewhere fails,
  // and unregistering it there succeeds.
  HWND other = CreateTestWindow();
  EXPECT_FALSE(RegisterHotKey(other, 9, MOD_CONTROL | MOD_ALT, 'S'));
  EXPECT_TRUE(UnregisterHotKey(mainWindow_, 1));
  DestroyWindow(other);
}

TEST_F(HotKeyDialogTest, FailureToRegisterIsReportedAndTheCombinationKept) {
  HotKeyEntry* entry = &AppState.hotKeys[0];
  Played played;
  MessageBoxCapture boxes;
  EXPECT_EQ(RunDialog(entry, {VK_CONTROL, VK_MENU, 'S'}, "Control + Alt + S", &played, true), 1);
  ASSERT_TRUE(played.found);
  EXPECT_EQ(entry->virtualKey, static_cast<UINT>('S'));
  EXPECT_EQ(entry->modifiers, static_cast<UINT>(MOD_CONTROL | MOD_ALT));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  const MessageBoxRecord& box = boxes.boxes()[0];
  EXPECT_EQ(box.text.rfind("HotKeyDlgProc: error registering hot key : ", 0), 0u) << box.text;
  EXPECT_NE(box.text.find("(errorCode: 1409)"), std::string::npos) << box.text;
  EXPECT_TRUE(box.type & MB_ICONERROR);
}

TEST_F(HotKeyDialogTest, OkWithNothingPressedKeepsTheRegistration) {
  HotKeyEntry* entry = &AppState.hotKeys[0];
  entry->virtualKey = VK_F9;
  entry->modifiers = MOD_SHIFT;
  ASSERT_TRUE(RegisterHotKey(mainWindow_, 0, MOD_SHIFT, VK_F9));
  Played played;
  EXPECT_EQ(RunDialog(entry, {}, "Shift + F9", &played), 1);
  EXPECT_EQ(played.shown, "Shift + F9");
  EXPECT_EQ(played.prompt, "activate your screen saver");
  EXPECT_EQ(entry->virtualKey, static_cast<UINT>(VK_F9));
  EXPECT_TRUE(UnregisterHotKey(mainWindow_, 0)) << "the registration was left alone";
}
