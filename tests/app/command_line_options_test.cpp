// The command line's option table, in-process: every option, the field it sets or the
// call it makes, and how its value is read. Each switch is checked against all the
// others, so an option that sets its neighbour's field instead is caught.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "language/language_tags.h"
#include "language/translate.h"
#include "settings/settings_store.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"

namespace {

std::vector<LPARAM> powerModes;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND && wParam == SC_MONITORPOWER) {
    powerModes.push_back(lParam);
    return 0;
  }
  return TrayWindowProc(window, message, wParam, lParam);
}

std::vector<std::string> started;
BOOL RecordStart(const char*, char* commandLine, const char*, STARTUPINFOA*, PROCESS_INFORMATION*) {
  started.push_back(commandLine);
  return FALSE;
}
BOOL AcceptTray(DWORD, NOTIFYICONDATAA*) { return TRUE; }

void Parse(const std::string& line) {
  std::vector<char> text(line.begin(), line.end());
  text.push_back(0);
  ParseCommandLine(text.data());
}

int DesktopNumber(const char* name) { return atoi(DesktopValue(name).c_str()); }

// The "language" value as saved, and the language in use.
std::string StoredLanguageAndInUse() {
  std::string value = "<absent>";
  ReadRegistryString(HKEY_CURRENT_USER, kSettingsKey, "language", &value);
  return value + " " + CurrentLanguageTag();
}

// A switch: how the test reads its state and puts it to a given value beforehand.
struct Switch {
  const char* option;
  int (*read)();
  void (*write)(int);
};

#define FIELD_SWITCH(name) \
  { #name, [] { return static_cast<int>(AppState.name); }, [](int on) { AppState.name = on; } }

const Switch kSwitches[] = {
    {"debug", [] { return GetShowDebugMessages() ? 1 : 0; }, [](int on) { SetShowDebugMessages(on != 0); }},
    FIELD_SWITCH(kill),
    {"loadatstartup", [] { return GetLoadAtStartup(kProductName) ? 1 : 0; },
     [](int on) { SetLoadAtStartup(kProductName, on != 0); }},
    FIELD_SWITCH(nosplash),
    FIELD_SWITCH(notips),
    FIELD_SWITCH(randomonactivate),
    FIELD_SWITCH(randomonclick),
    FIELD_SWITCH(randomonload),
    FIELD_SWITCH(run),
    // The system's switches: the mirror and the registry must agree.
    {"password",
     [] { return AppState.passwordActive == DesktopNumber("ScreenSaverIsSecure") ? AppState.passwordActive.load() : -1; },
     [](int on) {
       AppState.passwordActive = on;
       SetDesktopValue("ScreenSaverIsSecure", std::to_string(on));
     }},
    {"saver", [] { return AppState.saverActive == DesktopNumber("ScreenSaveActive") ? AppState.saverActive.load() : -1; },
     [](int on) {
       AppState.saverActive = on;
       SetDesktopValue("ScreenSaveActive", std::to_string(on));
     }},
    FIELD_SWITCH(uninstall),
    {"autolog", [] { return GetAutoLogToFile() ? 1 : 0; }, [](int on) { SetAutoLogToFile(on != 0); }},
    FIELD_SWITCH(splitlist),
    FIELD_SWITCH(chooselaunch),
    FIELD_SWITCH(unifiedlist),
    FIELD_SWITCH(corneraction),
};

class CommandLineOptionsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
    ShellNotifyIconEntry = AcceptTray;
    CreateProcessEntry = RecordStart;
    hadRunValue_ = GetLoadAtStartup(kProductName);
  }
  void TearDown() override {
    UseLanguage(0);
    SetLanguageSetting("");
    SetLoadAtStartup(kProductName, hadRunValue_);
    SetShowDebugMessages(false);
    ClearLogBuffer();
    ShellNotifyIconEntry = RealShellNotifyIcon;
    CreateProcessEntry = RealCreateProcess;
    AppFixture::TearDown();
  }
  bool hadRunValue_ = false;
};

TEST_F(CommandLineOptionsTest, EachSwitchSetsItsOwnStateAndNoOther) {
  // On unless the value begins with the digit 0; a bare word is on.
  struct Value {
    const char* text;
    int on;
  } values[] = {{"", 1}, {"=1", 1}, {"=yes", 1}, {"=0", 0}, {"=07", 0}};
  for (const Switch& option : kSwitches) {
    for (const Value& value : values) {
      for (const Switch& other : kSwitches) other.write(1 - value.on);
      Parse(std::string(option.option) + value.text);
      for (const Switch& other : kSwitches)
        EXPECT_EQ(other.read(), &other == &option ? value.on : 1 - value.on)
            << "\"" << option.option << value.text << "\" left " << other.option;
    }
  }
}

std::string Joined(const std::vector<LPARAM>& modes) {
  std::string text;
  for (LPARAM mode : modes) text += (text.empty() ? "" : ",") + std::to_string(mode);
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(CommandLineOptionsTest, OptionsThatActCallWhatTheyName) {
  const std::string saver = BuildFilePath("savers\\aurora.scr");
  InstallSavers({{"Aurora Ribbons", saver}});
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_USERS, ".DEFAULT\\Control Panel\\desktop", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  auto defaultUserSaver = [] {
    std::string value;
    ReadRegistryString(HKEY_USERS, ".DEFAULT\\Control Panel\\desktop", "SCRNSAVE.EXE", &value);
    return Lower(value);
  };
  struct Case {
    std::string line;
    std::function<std::string()> observe;
    std::string expected;
  } cases[] = {
      {"delay=250", [] { return std::to_string(AppState.delay); }, "250"},
      {"timeout=420", [] { return DesktopValue("ScreenSaveTimeOut") + " " + std::to_string(AppState.saverTimeout); },
       "420 420"},
      {"\"setsaver=" + saver + "\"", [] { return Lower(DesktopValue("SCRNSAVE.EXE")); }, Lower(saver)},
      {"randomchoose", [] { return DesktopValue("SCRNSAVE.EXE"); }, saver},
      {"randomlaunch", [] { return started.empty() ? "" : started.back(); }, "\"" + saver + "\" /S"},
      {"powermode=on", [] { return Joined(powerModes); }, ""},
      {"powermode=off", [] { return Joined(powerModes); }, "2"},
      {"powermode=suspend", [] { return Joined(powerModes); }, "1"},
      {"powermode=standby", [] { return Joined(powerModes); }, "0"},
      {"powermode=sideways", [] { return Joined(powerModes); }, ""},
      {"\"setsaver=" + saver + "\" setwindowsdefault", defaultUserSaver, Lower(saver)},
      {"help", [] { return std::to_string(AppState.help); }, "1"},
      {"?", [] { return std::to_string(AppState.help); }, "1"},
      // The language: saved and in use at once; an unknown tag leaves the last choice;
      // an empty one follows Windows.
      {"language=qps-ploc", StoredLanguageAndInUse, "qps-ploc qps-ploc"},
      {"language=xx-nowhere", StoredLanguageAndInUse, "qps-ploc qps-ploc"},
      // Kept as the language's own tag: Chinese in Hong Kong is Traditional Chinese.
      {"LANGUAGE=zh-Hant-HK run=0", StoredLanguageAndInUse, "zh-TW zh-TW"},
      {"language=", StoredLanguageAndInUse, std::string(" ") + Languages(nullptr)[WindowsLanguage()].tag},
  };
  for (const Case& c : cases) {
    AppState.delay = 0;
    AppState.help = 0;
    powerModes.clear();
    started.clear();
    SetSystemSaver("");
    Parse(c.line);
    EXPECT_EQ(c.observe(), c.expected) << c.line;
  }
  RegDeleteKeyValueA(HKEY_USERS, ".DEFAULT\\Control Panel\\desktop", "SCRNSAVE.EXE");
}

}  // namespace
