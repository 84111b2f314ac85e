// The command line end to end: Dozelite.exe started under the emulator with options,
// its effects read back from the registry and from its own log (each run gets its own
// temporary folder, so its own log), and the hand-off to a running instance.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

constexpr const char* kSettingsKey = "Software\\Dozelite";
constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr DWORD kRunTimeoutMs = 30000;

bool ReadSetting(const char* name, DWORD* value) {
  return ReadRegistryDword(HKEY_CURRENT_USER, kSettingsKey, name, value);
}

DWORD Setting(const char* name) {
  DWORD value = 0xDEADBEEF;
  ReadSetting(name, &value);
  return value;
}

void WriteSetting(const char* name, DWORD value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != 0)
    return;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

std::string DesktopValue(const char* name) {
  std::string value;
  ReadRegistryString(HKEY_CURRENT_USER, kDesktopKey, name, &value);
  return value;
}

void SetDesktopValue(const char* name, const std::string& value) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) != 0) return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

HWND FindDozelite() { return FindWindowA("DozeliteTrayIconClass", "Dozelite"); }

// One start of the program with its own temporary folder.
class Start {
 public:
  explicit Start(const char* name) : folder_(MakeTempFolder(name)) {}
  ~Start() {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
      CloseHandle(process_);
    }
  }
  std::vector<std::string> Environment() const { return {"TEMP=" + folder_, "TMP=" + folder_}; }
  std::string CommandLine(const std::string& options) const {
    return "\"" + BuildFilePath("Dozelite.exe") + "\"" + (options.empty() ? "" : " " + options);
  }
  // Runs to the end; returns the exit code, or -1 when it did not end in time.
  long Run(const std::string& options) {
    ProcessResult result = RunProcess(CommandLine(options), Environment(), kRunTimeoutMs);
    return result.finished ? static_cast<long>(result.exitCode) : -1;
  }
  // Starts a resident instance and waits for its main window.
  HWND StartResident(const std::string& options) {
    process_ = StartProcess(CommandLine(options), Environment());
    HWND window = nullptr;
    WaitFor([&] { return (window = FindDozelite()) != nullptr; }, kRunTimeoutMs);
    return window;
  }
  bool Close(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return WaitForEnd();
  }
  bool WaitForEnd() { return process_ && WaitForSingleObject(process_, kRunTimeoutMs) == WAIT_OBJECT_0; }
  std::string Log() const { return ReadTextFile(folder_ + "\\Dozelite.log"); }
  const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
  HANDLE process_ = nullptr;
};

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
    savedTimeout_ = DesktopValue("ScreenSaveTimeOut");
    savedSaver_ = DesktopValue("SCRNSAVE.EXE");
  }
  void TearDown() override {
    if (HWND left = FindDozelite()) PostMessageA(left, WM_CLOSE, 0, 0);
    SetDesktopValue("ScreenSaveTimeOut", savedTimeout_.empty() ? "600" : savedTimeout_);
    if (savedSaver_.empty())
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE");
    else
      SetDesktopValue("SCRNSAVE.EXE", savedSaver_);
    DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
  }
  std::string savedTimeout_;
  std::string savedSaver_;
};

// A saver file in a folder whose name has a dash, as a path would be given.
std::string FixtureSaver(const std::string& folder) {
  std::string savers = folder + "\\my-savers";
  CreateDirectoryA(savers.c_str(), nullptr);
  std::string path = savers + "\\Fixture.scr";
  CopyFileA(BuildFilePath("savers\\aurora.scr").c_str(), path.c_str(), FALSE);
  return path;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

TEST_F(CommandLineTest, CapitalsAndSlashesActLikeDashedLowerCaseOptions) {
  Start start("cmd-capitals");
  EXPECT_EQ(start.Run("/KILL /NoSplash -NOTIPS /SplitList=0 CornerAction"), 0);
  EXPECT_EQ(Setting("nosplash"), 1u);
  EXPECT_EQ(Setting("notips"), 1u);
  EXPECT_EQ(Setting("splitlist"), 0u);
  EXPECT_EQ(Setting("corneraction"), 1u);
  // The value is on unless it begins with 0; a word that only begins with the name counts.
  EXPECT_EQ(start.Run("kill nosplash=0 notipsplease randomonclick=yes"), 0);
  EXPECT_EQ(Setting("nosplash"), 0u);
  EXPECT_EQ(Setting("notips"), 1u);
  EXPECT_EQ(Setting("randomonclick"), 1u);
}

TEST_F(CommandLineTest, CornerOptionsAreTakenAndTheirDelayKeptInRange) {
  Start start("cmd-corners");
  EXPECT_EQ(start.Run("kill cornerscope cornerdelay=500 cornersfullscreen=1"), 0);
  EXPECT_EQ(Setting("cornerscope"), 1u);
  EXPECT_EQ(Setting("cornerdelay"), 500u);
  EXPECT_EQ(Setting("cornersfullscreen"), 1u);
  EXPECT_EQ(start.Run("kill cornerscope=0 \"cornerdelay=-3\""), 0);
  EXPECT_EQ(Setting("cornerscope"), 0u);
  EXPECT_EQ(Setting("cornerdelay"), 500u) << "a negative delay is ignored";
  EXPECT_EQ(start.Run("kill cornerdelay=-3"), 0);
  EXPECT_EQ(Setting("cornerdelay"), 500u) << "a delay without a number is ignored";
  EXPECT_EQ(Setting("cornersfullscreen"), 1u);
  EXPECT_EQ(start.Run("kill cornerdelay=99999 cornersfullscreen=0"), 0);
  EXPECT_EQ(Setting("cornerdelay"), 10000u) << "kept to the longest delay";
  EXPECT_EQ(Setting("cornersfullscreen"), 0u);
}

TEST_F(CommandLineTest, DelayAndTimeoutIgnoreValuesOutOfRange) {
  Start start("cmd-numbers");
  SetDesktopValue("ScreenSaveTimeOut", "300");
  EXPECT_EQ(start.Run("kill delay=250 timeout=0"), 0);
  EXPECT_EQ(Setting("delay"), 250u);
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "300");
  // A dash separates words, so a negative value needs quotes to arrive whole.
  EXPECT_EQ(start.Run("kill \"delay=-5\" \"timeout=-60\""), 0);
  EXPECT_EQ(Setting("delay"), 250u);
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "300");
  EXPECT_EQ(start.Run("kill delay=0 timeout=600 delay=99999999999"), 0);
  EXPECT_EQ(Setting("delay"), 2147483647u) << "the last occurrence counts, kept within range";
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "600");
  EXPECT_EQ(start.Run("kill delay=12 delay=0"), 0);
  EXPECT_EQ(Setting("delay"), 0u);
}

TEST_F(CommandLineTest, PowerModeNeedsOneOfItsFourValues) {
  Start start("cmd-power");
  EXPECT_EQ(start.Run("kill powermode"), 0);
  EXPECT_EQ(start.Run("kill powermode=sideways"), 0);
  EXPECT_EQ(start.Log().find("SetPowerMode"), std::string::npos);
  EXPECT_EQ(start.Run("kill PowerMode=Off"), 0);
  EXPECT_NE(start.Log().find("SetPowerMode: 2"), std::string::npos);
  EXPECT_EQ(start.Run("kill powermode=standby"), 0);
  EXPECT_NE(start.Log().find("SetPowerMode: 0"), std::string::npos);
}

TEST_F(CommandLineTest, QuotedSaverPathKeepsItsDash) {
  Start start("cmd-setsaver");
  std::string saver = FixtureSaver(start.folder());
  EXPECT_EQ(start.Run("kill \"setsaver=" + saver + "\""), 0);
  EXPECT_EQ(Lower(DesktopValue("SCRNSAVE.EXE")), Lower(saver)) << "the command line is read in lower case";
}

TEST_F(CommandLineTest, SeparatorsAloneSaveButAnEmptyLineSavesNothing) {
  WriteSetting("nosplash", 1);
  WriteSetting("notips", 1);
  // With an identifier stored, start-up itself has nothing to save.
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key), 0);
  const char id[] = "0f0e0d0c-0b0a-4908-8706-050403020100";
  RegSetValueExA(key, "id", 0, REG_SZ, reinterpret_cast<const BYTE*>(id), sizeof(id));
  RegCloseKey(key);
  {
    Start start("cmd-empty");
    HWND window = start.StartResident("");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(start.Close(window));
  }
  DWORD value;
  EXPECT_FALSE(ReadSetting("splitlist", &value)) << "an empty command line saved the settings";
  {
    Start start("cmd-separators");
    HWND window = start.StartResident("- / -");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(start.Close(window));
  }
  EXPECT_TRUE(ReadSetting("splitlist", &value));
  EXPECT_EQ(value, 1u);
}

TEST_F(CommandLineTest, SecondStartChangesTheSaverAndTheRunningInstanceReloads) {
  Start first("cmd-first");
  HWND window = first.StartResident("nosplash notips delay=150");
  ASSERT_NE(window, nullptr);
  // Any command that changes a setting saves them all, so what the running instance
  // holds can be read back: first its own delay...
  PostMessageA(window, WM_COMMAND, 40021, 0);
  ASSERT_TRUE(WaitFor([] { return Setting("randomonclick") == 1; }, 5000));
  WriteSetting("delay", 1);
  PostMessageA(window, WM_COMMAND, 40021, 0);
  ASSERT_TRUE(WaitFor([] { return Setting("randomonclick") == 0; }, 5000));
  EXPECT_EQ(Setting("delay"), 150u) << "a write behind its back is not picked up without a reload";

  Start second("cmd-second");
  std::string saver = FixtureSaver(second.folder());
  EXPECT_EQ(second.Run("kill delay=777 \"setsaver=" + saver + "\""), 0);
  EXPECT_EQ(Lower(DesktopValue("SCRNSAVE.EXE")), Lower(saver)) << "the second process set the saver itself";
  EXPECT_EQ(Setting("delay"), 777u);
  EXPECT_EQ(second.Log().find("Tray icon"), std::string::npos);

  // ...then, after the hand-off, the value the second start saved.
  Sleep(500);
  PostMessageA(window, WM_COMMAND, 40021, 0);
  ASSERT_TRUE(WaitFor([] { return Setting("randomonclick") == 1; }, 5000));
  EXPECT_EQ(Setting("delay"), 777u) << "the running instance did not reload";
  EXPECT_TRUE(first.Close(window));
}

TEST_F(CommandLineTest, HoldOffSwitchesAreSavedAndTheRunningInstanceFollowsThem) {
  constexpr const char* kHoldOffKey = "Software\\Dozelite\\HoldOff";
  // The full-screen window is in front before the resident instance starts: it looks
  // at the front when it starts (the emulator raises no foreground events).
  DWORD windowId = 0;
  HANDLE fullScreen = StartProcess("\"" + BuildFilePath("window_kinds.exe") + "\" popup", {}, &windowId);
  ASSERT_NE(fullScreen, nullptr);
  EXPECT_NE(BringProcessToFront(windowId, kRunTimeoutMs), nullptr);
  Start first("cmd-holdoff");
  HWND window = first.StartResident("nosplash notips");
  ASSERT_NE(window, nullptr);
  auto logHas = [&](const char* text) { return first.Log().find(text) != std::string::npos; };
  EXPECT_TRUE(WaitFor([&] { return logHas("HoldOff: start (a full-screen window is in front)"); }, 5000));

  Start off("cmd-holdoff-off");
  EXPECT_EQ(off.Run("kill holdoff=0"), 0);
  DWORD value = 9;
  EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, "enabled", &value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(WaitFor([&] { return logHas("HoldOff: end"); }, 5000)) << "the running instance did not reload";

  Start on("cmd-holdoff-on");
  EXPECT_EQ(on.Run("kill holdoff fullscreenholdoff=0"), 0);
  EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, "enabled", &value));
  EXPECT_EQ(value, 1u);
  EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, "fullscreen", &value));
  EXPECT_EQ(value, 0u);
  WaitFor([] { return false; }, 1500);
  std::string log = first.Log();
  EXPECT_EQ(log.find("HoldOff: start"), log.rfind("HoldOff: start")) << "held again with the full-screen rule off";

  TerminateProcess(fullScreen, 0);
  CloseHandle(fullScreen);
  EXPECT_TRUE(first.Close(window));
}

TEST_F(CommandLineTest, HelpAndUninstallAreHandedToTheRunningInstance) {
  Start first("cmd-resident");
  HWND window = first.StartResident("nosplash notips");
  ASSERT_NE(window, nullptr);

  Start help("cmd-help");
  EXPECT_EQ(help.Run("help nosplash=0"), 0);
  ASSERT_TRUE(WaitFor([&] { return first.Log().find("ShowHelp") != std::string::npos; }, 5000));
  ASSERT_TRUE(WaitFor([&] { return first.Log().find("ShowHelp: '") != std::string::npos; }, 5000));
  EXPECT_EQ(help.Log().find("ShowHelp: '"), std::string::npos) << "the help opened in the second process";
  EXPECT_TRUE(IsWindow(window));

  Start uninstall("cmd-uninstall");
  EXPECT_EQ(uninstall.Run("uninstall"), 0);
  EXPECT_NE(uninstall.Log().find("UninstallDozelite()"), std::string::npos);
  // The running instance carries the request out: no installation of its own folder, so it
  // asks before it removes its own settings, and ends on Yes.
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindWindowA("#32770", "Dozelite")) != nullptr; }, 10000));
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(first.WaitForEnd());
  EXPECT_NE(first.Log().find("UninstallDozelite()"), std::string::npos);
}

// Options for settings an organisation gives by policy are refused by name, and the
// user's own values stay as they were; options without a policy are still taken.
TEST_F(CommandLineTest, OptionsOfSettingsGivenByPolicyAreRefusedAndOwnValuesKept) {
  constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";
  constexpr const char* kDesktopPolicyKey = "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
  struct Cleanup {
    ~Cleanup() {
      DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
      DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey);
      DeleteRegistryTree(HKEY_CURRENT_USER, kDesktopPolicyKey);
    }
  } cleanup;
  WriteSetting("randomonload", 1);
  WriteSetting("nosplash", 0);
  ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kPolicyKey, "randomonload", 0));
  ASSERT_TRUE(WriteRegistryDword(HKEY_LOCAL_MACHINE, kPolicyKey, "nosplash", 1));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kDesktopPolicyKey, "ScreenSaveTimeOut", "900"));
  SetDesktopValue("ScreenSaveTimeOut", "600");

  Start start("cmd-policy");
  EXPECT_EQ(start.Run("kill randomonload=0 nosplash=0 timeout=60 notips"), 0);
  std::string log = start.Log();
  EXPECT_NE(log.find("Policy: randomonload is set by your organisation"), std::string::npos) << log;
  EXPECT_NE(log.find("Policy: nosplash is set by your organisation"), std::string::npos) << log;
  EXPECT_NE(log.find("Policy: ScreenSaveTimeOut is set by your organisation"), std::string::npos) << log;
  EXPECT_EQ(Setting("randomonload"), 1u);
  EXPECT_EQ(Setting("nosplash"), 0u);
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "600");
  EXPECT_EQ(Setting("notips"), 1u);
  EXPECT_EQ(log.find("Policy: notips"), std::string::npos) << log;
}

// A kiosk (allowexit 0): "kill" alone is refused and the program stays; with other
// options it still only keeps that start from staying while it applies them.
TEST_F(CommandLineTest, KillAloneIsRefusedWhenThePolicyForbidsExit) {
  constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";
  struct Cleanup {
    ~Cleanup() { DeleteRegistryTree(HKEY_LOCAL_MACHINE, kPolicyKey); }
  } cleanup;
  ASSERT_TRUE(WriteRegistryDword(HKEY_LOCAL_MACHINE, kPolicyKey, "allowexit", 0));
  WriteSetting("nosplash", 1);
  WriteSetting("notips", 1);

  Start options("cmd-kiosk-options");
  EXPECT_EQ(options.Run("kill notips"), 0);

  Start alone("cmd-kiosk-alone");
  HWND window = alone.StartResident("kill");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(alone.Close(window));  // closing the window (as at log-off) still ends it
  EXPECT_NE(alone.Log().find("Policy: allowexit is set by your organisation"), std::string::npos) << alone.Log();
}
