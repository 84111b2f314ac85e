// Every command identifier through DispatchCommand, with its effect observed for real:
// the registry, timers of the main window, sample savers started, dialogs opened, the
// log; the shell and process entry points only where a real start cannot be watched
// (browser, mail client, Explorer, Control Panel, the tray).
#include "app/dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "build_config.h"
#include "language/language_tags.h"
#include "language/translate.h"
#include "resources/timeout_dialog_ids.h"
#include "settings/policy_store.h"
#include "settings/settings_store.h"
#include "shell/entry_points.h"
#include "state/commands.h"
#include "support/app_fixture.h"
#include "support/dialog_driver.h"
#include "support/menu_walker.h"
#include "support/saver_record.h"
#include "tray/tray_icon.h"
#include "update/update_check.h"

namespace {

std::vector<std::pair<WPARAM, LPARAM>> systemCommands;
int cancelModes = 0;

// The main window: system commands and WM_CANCELMODE are written down, not carried out.
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND) {
    systemCommands.push_back({wParam, lParam});
    return 0;
  }
  if (message == WM_CANCELMODE) cancelModes++;
  return TrayWindowProc(window, message, wParam, lParam);
}

struct ShellCall {
  std::string file;
  std::string parameters;
};
std::vector<ShellCall> shellCalls;
std::vector<std::string> processCalls;
std::vector<DWORD> trayCalls;
std::vector<std::string> trackedMenus;

HINSTANCE RecordShellExecute(HWND, const char*, const char* file, const char* parameters, const char*, int) {
  shellCalls.push_back({file ? file : "", parameters ? parameters : ""});
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

BOOL RecordCreateProcess(const char*, char* commandLine, const char*, STARTUPINFOA*, PROCESS_INFORMATION*) {
  processCalls.push_back(commandLine ? commandLine : "");
  return FALSE;
}

BOOL RecordNotifyIcon(DWORD message, NOTIFYICONDATAA*) {
  trayCalls.push_back(message);
  return TRUE;
}

std::string lastTooltip;
BOOL RecordTooltip(DWORD, NOTIFYICONDATAA* data) {
  if (data && (data->uFlags & NIF_TIP)) lastTooltip = data->szTip;
  return TRUE;
}

BOOL RecordTrackPopupMenu(HMENU menu, UINT, int, int, HWND) {
  trackedMenus.push_back(DumpMenu(menu));
  return 0;
}

class DispatcherTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    systemCommands.clear();
    shellCalls.clear();
    processCalls.clear();
    trayCalls.clear();
    trackedMenus.clear();
    cancelModes = 0;
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
    AppState.recordedCommand = 0;
  }

  void TearDown() override {
    UseLanguage(0);
    SetLanguageSetting("");
    ShellExecuteEntry = RealShellExecute;
    CreateProcessEntry = RealCreateProcess;
    ShellNotifyIconEntry = RealShellNotifyIcon;
    TrackPopupMenuEntry = RealTrackPopupMenu;
    if (!saverFolder_.empty()) RemoveTree(saverFolder_);
    AppFixture::TearDown();
  }

  void Dispatch(int command) { DispatchCommand(window_, command); }

  // Two sample savers in a folder of their own, installed as the saver list through the
  // catalog itself.
  void InstallSampleSavers() {
    saverFolder_ = MakeTempFolder("dispatch savers");
    for (const char* name : {"aurora.scr", "bubbles.scr"})
      CopyFileA(BuildFilePath((std::string("savers\\") + name).c_str()).c_str(),
                (saverFolder_ + "\\" + name).c_str(), FALSE);
    FreeSaverPaths();
    AppState.saverpath[0] = DuplicateText(saverFolder_.c_str());
    Dispatch(kCmdRefreshSavers);
    ASSERT_EQ(AppState.saverCount, 2);
  }
  std::string SaverPath(const char* name) const { return saverFolder_ + "\\" + name; }

  static bool SettingsDword(const char* name, DWORD* value) {
    return ReadRegistryDword(HKEY_CURRENT_USER, kSettingsKey, name, value);
  }
  static bool SettingsSaved() {
    DWORD value;
    return SettingsDword("splitlist", &value);
  }

  std::string saverFolder_;
  SaverRecord record_;
};

// ---- recording

TEST_F(DispatcherTest, RecordsOnlyRecordableCommandsWhileAPickIsRunning) {
  ShellNotifyIconEntry = RecordNotifyIcon;
  TrackPopupMenuEntry = RecordTrackPopupMenu;
  saverFolder_ = MakeTempFolder("record savers");
  AppState.saverpath[0] = DuplicateText(saverFolder_.c_str());
  struct Case {
    int command;
    bool recorded;
  } cases[] = {{kCmdReloadSettings, true}, {kCmdAnimateIcon, false},      {kCmdShowTrayMenu, false},
               {kCmdExit, false},          {kCmdRunSaverNow, true},       {kCmdRefreshSavers, false},
               {kCmdUninstall, false},     {kCmdRestoreClickDefaults, false}, {kCmdRestoreCornerDefaults, false},
               {40050, true},              {41000, true},                 {42000, true},
               {46999, true},              {39999, true},                 {50000, true}};
  for (const Case& c : cases) {
    AppState.recordedCommand = 1;
    Dispatch(c.command);
    EXPECT_EQ(AppState.recordedCommand, c.recorded ? c.command : 1) << c.command;
    TakePostedCommands(window_);
  }
  // 40020 is never recorded: toggled twice, so the Run entry is as before.
  for (int n = 0; n < 2; n++) {
    AppState.recordedCommand = 1;
    Dispatch(kCmdToggleLoadAtStartup);
    EXPECT_EQ(AppState.recordedCommand, 1);
  }
  // Nothing is recorded while no pick runs, and the command is still carried out.
  AppState.recordedCommand = 0;
  Dispatch(kCmdToggleChooseLaunch);
  EXPECT_EQ(AppState.recordedCommand, 0);
  EXPECT_EQ(AppState.chooselaunch, 1);
  MSG message;
  while (PeekMessageA(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
  }
}

TEST_F(DispatcherTest, RecordedRunSaverNowStillRuns) {
  AppState.recordedCommand = 1;
  Dispatch(kCmdRunSaverNow);
  EXPECT_EQ(AppState.recordedCommand, kCmdRunSaverNow);
  EXPECT_TRUE(Contains(BufferedLog(), "LaunchScreenSaver"));
}

// ---- program switches and their saving

TEST_F(DispatcherTest, SwitchesInvertAndSaveTheSettings) {
  struct Case {
    int command;
    int* field;
    const char* value;
  } cases[] = {{kCmdToggleRandomOnClick, &AppState.randomonclick, "randomonclick"},
               {kCmdToggleRandomOnLoad, &AppState.randomonload, "randomonload"},
               {kCmdToggleSplash, &AppState.nosplash, "nosplash"},
               {kCmdToggleSplitList, &AppState.splitlist, "splitlist"},
               {kCmdToggleChooseLaunch, &AppState.chooselaunch, "chooselaunch"},
               {kCmdToggleUnifiedList, &AppState.unifiedlist, "unifiedlist"},
               {kCmdToggleTips, &AppState.notips, "notips"}};
  for (const Case& c : cases) {
    int before = *c.field;
    for (int expected : {1 - before, before}) {
      Dispatch(c.command);
      EXPECT_EQ(*c.field, expected) << c.value;
      DWORD stored = 99;
      EXPECT_TRUE(SettingsDword(c.value, &stored)) << c.value;
      EXPECT_EQ(stored, static_cast<DWORD>(expected)) << c.value;
    }
  }
}

TEST_F(DispatcherTest, SelectionBaseAndLogSwitchesAreSaved) {
  struct Case {
    int command;
    int base;
  } cases[] = {{kCmdUnifiedLaunch, 44000}, {kCmdUnifiedConfigure, 45000}, {kCmdUnifiedChoose, 41000}};
  for (const Case& c : cases) {
    Dispatch(c.command);
    DWORD stored = 0;
    EXPECT_TRUE(SettingsDword("selectionActionMessageBase", &stored));
    EXPECT_EQ(stored, static_cast<DWORD>(c.base));
    EXPECT_EQ(AppState.selectionActionMessageBase, c.base);
  }
  DWORD stored = 99;
  Dispatch(kCmdToggleAutoLog);
  EXPECT_TRUE(GetAutoLogToFile());
  EXPECT_TRUE(SettingsDword("autolog", &stored) && stored == 1);
  Dispatch(kCmdToggleAutoLog);
  EXPECT_TRUE(SettingsDword("autolog", &stored) && stored == 0);
  Dispatch(kCmdToggleDebugMessages);
  EXPECT_TRUE(GetShowDebugMessages());
  EXPECT_TRUE(SettingsDword("debug", &stored) && stored == 1);
  Dispatch(kCmdToggleDebugMessages);
  EXPECT_FALSE(GetShowDebugMessages());
}

TEST_F(DispatcherTest, CornerSwitchIsSavedAndRandomEveryTimeoutRunsItsTimer) {
  Dispatch(kCmdToggleCornerActions);
  EXPECT_EQ(AppState.corneraction, 1);
  DWORD stored = 0;
  EXPECT_TRUE(SettingsDword("corneraction", &stored) && stored == 1);

  Dispatch(kCmdToggleRandomOnActivate);
  EXPECT_EQ(AppState.randomonactivate, 1);
  EXPECT_TRUE(SettingsDword("randomonactivate", &stored) && stored == 1);
  Dispatch(kCmdToggleRandomOnActivate);
  EXPECT_EQ(AppState.randomonactivate, 0);
  EXPECT_FALSE(KillTimer(window_, kTimerRandomSaver));
  Dispatch(kCmdToggleRandomOnActivate);
  EXPECT_TRUE(KillTimer(window_, kTimerRandomSaver));
}

TEST_F(DispatcherTest, ClickAndCornerDefaultsAreRestoredAndSaved) {
  AppState.singleLeftActionMessage = 40004;
  AppState.topLeftActionMessage = 40004;
  Dispatch(kCmdRestoreClickDefaults);
  EXPECT_EQ(AppState.singleLeftActionMessage, kCmdRunSaverNow);
  DWORD stored = 0;
  EXPECT_TRUE(SettingsDword("singleLeftActionMessage", &stored) && stored == kCmdRunSaverNow);
  Dispatch(kCmdRestoreCornerDefaults);
  EXPECT_EQ(AppState.topLeftActionMessage, kCmdRunSaverNow);
  EXPECT_TRUE(SettingsDword("topLeftActionMessage", &stored) && stored == kCmdRunSaverNow);

  // A pick asks the user first; cancelled, the settings are saved as they are.
  DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
  boxes_->set_answer(IDCANCEL);
  Dispatch(kCmdSetBottomRightCorner);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_TRUE(Contains(boxes()[0].text, "You have chosen to set the action")) << boxes()[0].text;
  EXPECT_TRUE(SettingsSaved());
}

TEST_F(DispatcherTest, CommandsWithoutTheSaveColumnSaveNothing) {
  ShellExecuteEntry = RecordShellExecute;
  for (int command : std::initializer_list<int>{kCmdToggleSaver, kCmdTogglePassword, kCmdDumpLogToFile, kCmdBrowseWebsite, 42005, 40050})
    Dispatch(command);
  EXPECT_FALSE(SettingsSaved());
}

// ---- reload, animation, menu, exit

TEST_F(DispatcherTest, ReloadReadsSettingsReaddsTheIconAndAnimates) {
  ShellNotifyIconEntry = RecordNotifyIcon;
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  DWORD one = 1;
  RegSetValueExA(key, "randomonload", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof(one));
  RegCloseKey(key);
  Dispatch(kCmdReloadSettings);
  EXPECT_EQ(AppState.randomonload, 1);
  ASSERT_GE(trayCalls.size(), 2u);
  EXPECT_EQ(trayCalls[0], static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(trayCalls[1], static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(TakePostedCommands(window_), std::vector<int>{kCmdAnimateIcon});
}

// A second start hands its switches over with a reload: the random saver's timer
// follows the reloaded "randomonactivate" both ways.
TEST_F(DispatcherTest, ReloadStartsOrStopsTheRandomSaverTimer) {
  ShellNotifyIconEntry = RecordNotifyIcon;
  struct Case {
    DWORD stored;
    bool runningBefore;
  } cases[] = {{1, false}, {0, true}, {1, true}, {0, false}};
  for (const Case& c : cases) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "randomonactivate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.stored), sizeof(DWORD));
    RegCloseKey(key);
    AppState.randomonactivate = c.runningBefore ? 1 : 0;
    if (c.runningBefore) SetTimer(window_, kTimerRandomSaver, 600000, nullptr);
    Dispatch(kCmdReloadSettings);
    EXPECT_EQ(KillTimer(window_, kTimerRandomSaver) != 0, c.stored == 1) << c.stored << " " << c.runningBefore;
    TakePostedCommands(window_);
  }
}

// The menu's loop still runs timers and posted commands. A rebuild of the saver list
// asked for meanwhile (timer 345's choice of a saver whose file is gone) would free the
// bitmaps the open menu shows and renumber its items: it waits until the menu closes,
// behind the command chosen in the menu.
SaverInfo* listWhileOpen = nullptr;
HBITMAP bitmapWhileOpen = nullptr;
BOOL MenuDuringWhichTheRandomTimerFires(HMENU, UINT, int, int, HWND owner) {
  SendMessageA(owner, WM_TIMER, kTimerRandomSaver, 0);
  listWhileOpen = AppState.savers;
  bitmapWhileOpen = AppState.savers ? AppState.savers[0].menuBitmap : nullptr;
  BITMAP info;
  if (!bitmapWhileOpen || GetObjectA(bitmapWhileOpen, sizeof(info), &info) == 0) bitmapWhileOpen = nullptr;
  PostMessageA(owner, WM_COMMAND, kRangeChooseSaver + 0, 0);  // the item the user picks
  return TRUE;
}

TEST_F(DispatcherTest, SaverListRebuildWaitsUntilTheMenuHasClosed) {
  InstallSampleSavers();
  SaverInfo* shown = AppState.savers;
  DeleteFileA(SaverPath("aurora.scr").c_str());
  DeleteFileA(SaverPath("bubbles.scr").c_str());
  AppState.randomonactivate = 1;
  TrackPopupMenuEntry = MenuDuringWhichTheRandomTimerFires;
  ShellNotifyIconEntry = RecordNotifyIcon;
  ShowWindow(window_, SW_SHOW);
  Dispatch(kCmdShowTrayMenu);
  ShowWindow(window_, SW_HIDE);
  EXPECT_TRUE(Contains(BufferedLog(), "Can't open file")) << "the timer's choice did not fail";
  EXPECT_EQ(listWhileOpen, shown) << "the list was rebuilt under the open menu";
  EXPECT_NE(bitmapWhileOpen, nullptr);
  EXPECT_EQ(AppState.savers, shown);
  EXPECT_EQ(TakePostedCommands(window_), (std::vector<int>{kRangeChooseSaver, kCmdRefreshSavers}));
  Dispatch(kCmdRefreshSavers);  // now the menu is gone
  EXPECT_EQ(AppState.saverCount, 0);
}

TEST_F(DispatcherTest, AnimationRestartsFromTheFirstFrame) {
  AppState.animationFrame = 5;
  Dispatch(kCmdAnimateIcon);
  EXPECT_EQ(AppState.animationFrame, 0);
  EXPECT_TRUE(KillTimer(window_, kTimerAnimation));
}

TEST_F(DispatcherTest, TrayMenuShowsDebugWhileShiftIsDown) {
  TrackPopupMenuEntry = RecordTrackPopupMenu;
  ShowWindow(window_, SW_SHOW);
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_SHIFT];
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  Dispatch(kCmdShowTrayMenu);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  Dispatch(kCmdShowTrayMenu);
  keys[VK_SHIFT] = saved;
  SetKeyboardState(keys);
  ShowWindow(window_, SW_HIDE);
  ASSERT_EQ(trackedMenus.size(), 2u);
  EXPECT_TRUE(Contains(trackedMenus[0], "  De&bug [popup]\n"));
  EXPECT_FALSE(Contains(trackedMenus[1], "De&bug [popup]"));
}

// A language chosen in the Language submenu is saved and spoken at once: the kept menu
// is built again in it and the tooltip follows; "Windows Default" empties the setting.
// A second start's choice reaches the running copy with the reload.
TEST_F(DispatcherTest, LanguageSubmenuSwitchesAtOnce) {
  ClearLogBuffer();
  ShellNotifyIconEntry = RecordTooltip;
  TrackPopupMenuEntry = RecordTrackPopupMenu;
  ShowWindow(window_, SW_SHOW);
  UpdateTrayIcon(NIM_ADD);
  auto exitLine = [](const std::string& dump) {
    size_t end = dump.find(" [40005]");
    return end == std::string::npos ? std::string() : dump.substr(dump.rfind('\n', end) + 1, end - dump.rfind('\n', end) - 1);
  };
  auto stored = [] {
    std::string value = "<absent>";
    ReadRegistryString(HKEY_CURRENT_USER, kSettingsKey, "language", &value);
    return value;
  };
  Dispatch(kCmdShowTrayMenu);  // the kept menu, in English
  Dispatch(kRangeLanguage + PseudoLanguage());
  EXPECT_EQ(stored(), "qps-ploc");
  EXPECT_EQ(CurrentLanguage(), PseudoLanguage());
  EXPECT_TRUE(Contains(lastTooltip, "\n[")) << lastTooltip;
  Dispatch(kCmdShowTrayMenu);
  Dispatch(kCmdLanguageWindowsDefault);
  EXPECT_EQ(stored(), "");
  EXPECT_EQ(CurrentLanguage(), WindowsLanguage());
  Dispatch(kCmdShowTrayMenu);
  ASSERT_EQ(trackedMenus.size(), 3u);
  EXPECT_EQ(exitLine(trackedMenus[0]), "E&xit");
  EXPECT_EQ(exitLine(trackedMenus[1]).rfind("[", 0), 0u) << exitLine(trackedMenus[1]);
  EXPECT_TRUE(Contains(trackedMenus[1], "[&Qps-ploc] [40156] checked\n")) << trackedMenus[1];
  EXPECT_EQ(exitLine(trackedMenus[2]), "E&xit");
  EXPECT_TRUE(Contains(trackedMenus[2], "&Windows Default [40140] checked\n")) << trackedMenus[2];
  EXPECT_FALSE(Contains(lastTooltip, "[")) << lastTooltip;
  std::string log = BufferedLog();
  EXPECT_TRUE(Contains(log, " Language: qps-ploc (chosen)\r\n")) << log;
  EXPECT_TRUE(Contains(log, " (from Windows)\r\n")) << log;

  WriteRegistryString(HKEY_CURRENT_USER, kSettingsKey, "language", "qps-ploc");
  Dispatch(kCmdReloadSettings);
  EXPECT_EQ(CurrentLanguage(), PseudoLanguage());
  ShowWindow(window_, SW_HIDE);
}

TEST_F(DispatcherTest, ExitAndUninstallCloseTheWindow) {
  Dispatch(kCmdExit);
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  // No installation of this copy's own folder: it asks first. No keeps it running with its
  // settings; Yes removes them and the program exits.
  WriteRegistryDword(HKEY_CURRENT_USER, kSettingsKey, "notips", 1);
  boxes_->set_answer(IDNO);
  Dispatch(kCmdUninstall);
  EXPECT_TRUE(TakePostedCommands(window_).empty());
  DWORD kept = 0;
  EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kSettingsKey, "notips", &kept));
  boxes_->set_answer(IDYES);
  Dispatch(kCmdUninstall);
  EXPECT_EQ(TakePostedCommands(window_), std::vector<int>{kCmdExit});
  EXPECT_FALSE(ReadRegistryDword(HKEY_CURRENT_USER, kSettingsKey, "notips", &kept));
}

// ---- the current saver

TEST_F(DispatcherTest, RunSaverNowChoosesRandomlyWhenAskedAndKeepsTheSaverOff) {
  InstallSampleSavers();
  AppState.randomonclick = 1;
  Dispatch(kCmdRunSaverNow);
  std::string current = DesktopValue("SCRNSAVE.EXE");
  EXPECT_TRUE(current == SaverPath("aurora.scr") || current == SaverPath("bubbles.scr")) << current;
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "0");
  EXPECT_TRUE(Contains(BufferedLog(), "LaunchScreenSaver"));
}

TEST_F(DispatcherTest, ConfigureAndChangePasswordStartTheCurrentSaver) {
  InstallSampleSavers();
  SetSystemSaver(SaverPath("bubbles.scr"));
  Dispatch(kCmdConfigureCurrentSaver);
  Dispatch(kCmdChangePassword);
  std::vector<std::string> lines = record_.WaitLines(2);
  std::string quoted = "\"" + SaverPath("bubbles.scr") + "\"";
  std::vector<std::string> expected = {quoted + " /C:" + std::to_string(reinterpret_cast<INT_PTR>(window_)),
                                       quoted + " /A"};
  std::sort(lines.begin(), lines.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);
}

TEST_F(DispatcherTest, SaverAndPasswordSwitchesWriteTheSystemSettings) {
  Dispatch(kCmdToggleSaver);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
  Dispatch(kCmdToggleSaver);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "0");
  Dispatch(kCmdTogglePassword);
  EXPECT_EQ(DesktopValue("ScreenSaverIsSecure"), "1");
  Dispatch(kCmdTogglePassword);
  EXPECT_EQ(DesktopValue("ScreenSaverIsSecure"), "0");
}

TEST_F(DispatcherTest, RandomChoiceAndRandomLaunch) {
  InstallSampleSavers();
  AppState.chooselaunch = 1;
  Dispatch(kCmdChooseRandomSaver);
  std::string current = DesktopValue("SCRNSAVE.EXE");
  EXPECT_TRUE(current == SaverPath("aurora.scr") || current == SaverPath("bubbles.scr")) << current;
  EXPECT_TRUE(Contains(BufferedLog(), "LaunchScreenSaver"));

  Dispatch(kCmdLaunchRandomSaver);
  std::vector<std::string> lines = record_.WaitLines(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0] == "\"" + SaverPath("aurora.scr") + "\" /S" ||
              lines[0] == "\"" + SaverPath("bubbles.scr") + "\" /S")
      << lines[0];

  // With no saver to pick from, the current saver is launched.
  SetSystemSaver(SaverPath("aurora.scr"));
  InstallSavers({});
  Dispatch(kCmdLaunchRandomSaver);
  lines = record_.WaitLines(2);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "\"" + SaverPath("aurora.scr") + "\" /S");
}

TEST_F(DispatcherTest, RefreshRebuildsTheListAndNoneClearsTheSaver) {
  InstallSampleSavers();
  EXPECT_STREQ(AppState.savers[0].displayName, "Aurora Ribbons");
  EXPECT_STREQ(AppState.savers[1].displayName, "Soap Bubbles");
  DeleteFileA(SaverPath("bubbles.scr").c_str());
  Dispatch(kCmdRefreshSavers);
  EXPECT_EQ(AppState.saverCount, 1);

  SetSystemSaver(SaverPath("aurora.scr"));
  Dispatch(kCmdChooseNoSaver);
  EXPECT_EQ(DesktopValue("SCRNSAVE.EXE"), "<absent>");
  EXPECT_TRUE(Contains(BufferedLog(), "Chosen saver: (None)"));
}

TEST_F(DispatcherTest, PowerCommandsSendTheirModes) {
  for (int command : std::initializer_list<int>{kCmdPowerOn, kCmdPowerOff, kCmdPowerSuspend, kCmdPowerStandby}) Dispatch(command);
  std::vector<std::pair<WPARAM, LPARAM>> expected = {{SC_MONITORPOWER, 2}, {SC_MONITORPOWER, 1}, {SC_MONITORPOWER, 0}};
  EXPECT_EQ(systemCommands, expected);
}

TEST_F(DispatcherTest, ControlPanelPagesStartControlFromTheRightFolder) {
  CreateProcessEntry = RecordCreateProcess;
  char system[MAX_PATH];
  char windows[MAX_PATH];
  GetSystemDirectoryA(system, sizeof(system));
  GetWindowsDirectoryA(windows, sizeof(windows));
  Dispatch(kCmdDisplayProperties);
  Dispatch(kCmdPowerOptions);
  AppState.osVersion.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  Dispatch(kCmdDisplayProperties);
  std::vector<std::string> expected = {std::string(system) + "\\control.exe desk.cpl,,1",
                                       std::string(system) + "\\control.exe powercfg.cpl",
                                       std::string(windows) + "\\control.exe desk.cpl,,1"};
  EXPECT_EQ(processCalls, expected);
  std::string log = BufferedLog();
  EXPECT_TRUE(Contains(log, "OpenControlPanel desktop"));
  EXPECT_TRUE(Contains(log, "OpenControlPanel power"));
}

TEST_F(DispatcherTest, RunAtStartupTogglesTheRunValue) {
  const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  std::string value;
  bool before = ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "Dozelite", &value);
  Dispatch(kCmdToggleLoadAtStartup);
  EXPECT_NE(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "Dozelite", &value), before);
  EXPECT_TRUE(Contains(BufferedLog(), before ? "LoadAtStartup: 0" : "LoadAtStartup: 1"));
  Dispatch(kCmdToggleLoadAtStartup);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kRunKey, "Dozelite", &value), before);
}

TEST_F(DispatcherTest, WindowsDefaultCopiesTheSaverToTheLogOnUser) {
  InstallSampleSavers();
  SetSystemSaver(SaverPath("aurora.scr"));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_USERS, ".DEFAULT\\Control Panel\\desktop", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  Dispatch(kCmdSetWindowsDefault);
  std::string stored;
  ASSERT_TRUE(ReadRegistryString(HKEY_USERS, ".DEFAULT\\Control Panel\\desktop", "SCRNSAVE.EXE", &stored));
  EXPECT_EQ(stored, SaverPath("aurora.scr"));
}

// ---- dialogs

DriveResult DispatchWithDialog(HWND window, int command, const char* title,
                               const std::function<void(HWND)>& drive) {
  return DriveDialog(
      title,
      [&] {
        DispatchCommand(window, command);
        return static_cast<INT_PTR>(0);
      },
      drive);
}

TEST_F(DispatcherTest, TimeoutDialogsSetTheTimeoutOrTheDisablePeriod) {
  auto type = [](const char* h, const char* m, const char* s) {
    return [=](HWND dialog) {
      SetDlgItemTextA(dialog, IDC_TIMEOUT_HOURS, h);
      SetDlgItemTextA(dialog, IDC_TIMEOUT_MINUTES, m);
      SetDlgItemTextA(dialog, IDC_TIMEOUT_SECONDS, s);
      PressButton(dialog, IDOK);
    };
  };
  DriveResult run = DispatchWithDialog(window_, kCmdOtherTimeout, "Dozelite Timer Setting", type("0", "7", "30"));
  EXPECT_TRUE(run.found && run.closed);
  EXPECT_EQ(AppState.saverTimeout, 450);
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "450");

  run = DispatchWithDialog(window_, kCmdOtherDisablePeriod, "Dozelite Timer Setting", type("1", "0", "0"));
  EXPECT_TRUE(run.found && run.closed);
  EXPECT_EQ(AppState.disableSeconds, 3600);
  // A period of nothing at all ends nothing and starts nothing: the hour runs on.
  run = DispatchWithDialog(window_, kCmdOtherDisablePeriod, "Dozelite Timer Setting", type("0", "0", "0"));
  EXPECT_TRUE(run.found && run.closed);
  EXPECT_EQ(AppState.disableSeconds, 3600);
  EXPECT_EQ(AppState.saverActive, 0);
  EXPECT_TRUE(KillTimer(window_, kTimerDisablePeriod));

  // Cancel changes nothing.
  AppState.disableSeconds = 0;
  run = DispatchWithDialog(window_, kCmdOtherTimeout, "Dozelite Timer Setting",
                           [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  EXPECT_TRUE(run.found && run.closed);
  run = DispatchWithDialog(window_, kCmdOtherDisablePeriod, "Dozelite Timer Setting",
                           [](HWND dialog) { PressButton(dialog, IDCANCEL); });
  EXPECT_EQ(AppState.saverTimeout, 450);
  EXPECT_EQ(AppState.disableSeconds, 0);
  EXPECT_FALSE(KillTimer(window_, kTimerDisablePeriod));
}

TEST_F(DispatcherTest, DialogCommandsOpenTheirDialogs) {
  struct Case {
    int command;
    const char* title;
    bool saves;
  } cases[] = {{kCmdEditSaverPaths, "Screen Saver Search Paths", false},
               {kCmdDumpLogToDisplay, "Dozelite", false},
               {kCmdActivationHotKey, "Dozelite Hotkey Setting", true},
               {kCmdPowerOffHotKey, "Dozelite Hotkey Setting", true},
               {kCmdTipOfTheDay, "Dozelite Tip of the Day", true},  // the dialog stores the next tip
               {kCmdAbout, "Dozelite (splash)", false}};
  for (const Case& c : cases) {
    DeleteRegistryTree(HKEY_CURRENT_USER, kSettingsKey);
    DriveResult run =
        DispatchWithDialog(window_, c.command, c.title, [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_TRUE(run.found) << c.command;
    EXPECT_EQ(SettingsSaved(), c.saves) << c.command;
  }
}

TEST_F(DispatcherTest, HelpAndUpdateCheckReportWhatTheyFind) {
  Dispatch(kCmdHelp);
  EXPECT_TRUE(Contains(BufferedLog(), "ShowHelp"));
  // The update host of a test build does not exist: the check asked from the menu runs
  // on a worker, so the command returns at once, and the main window reports the failure
  // in a box when the worker is done.
  Dispatch(kCmdCheckForUpdates);
  EXPECT_TRUE(boxes().empty());
  ASSERT_TRUE(WaitFor([&] { return !boxes().empty(); }, 70000));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].caption, "Dozelite Update");
  EXPECT_EQ(boxes()[0].text.rfind("Error: ", 0), 0u) << boxes()[0].text;
}

// ---- log, web and mail

TEST_F(DispatcherTest, LogCommandsWriteShowAndClearTheFile) {
  std::string folder = MakeTempFolder("dispatch log");
  std::string path = folder + "\\Dozelite.log";
  InitLog(nullptr, kProductName, path.c_str());
  SetAutoLogToFile(false);
  ShellExecuteEntry = RecordShellExecute;
  LogMessage(kLogLogOnly, "a line to keep");
  Dispatch(kCmdDumpLogToFile);
  EXPECT_TRUE(Contains(ReadTextFile(path), "a line to keep"));

  InstallSavers({{"Aurora Ribbons", "C:\\Savers\\aurora.scr"}});
  Dispatch(kCmdDumpSavers);
  EXPECT_TRUE(Contains(ReadTextFile(path), "'Aurora Ribbons'\t'C:\\Savers\\aurora.scr'"));

  Dispatch(kCmdOpenLogFolder);
  ASSERT_EQ(shellCalls.size(), 1u);
  EXPECT_EQ(shellCalls[0].file, "explorer.exe");
  EXPECT_EQ(shellCalls[0].parameters, " /select," + path);

  Dispatch(kCmdClearLog);
  EXPECT_FALSE(Contains(ReadTextFile(path), "a line to keep"));
  ClearLogBuffer();
  RemoveTree(folder);
}

TEST_F(DispatcherTest, WebPagesCarryTheTrackingFieldsAndMailHasItsTexts) {
  ShellExecuteEntry = RecordShellExecute;
  Dispatch(kCmdBrowseWebsite);
  Dispatch(kCmdDonate);
  Dispatch(kCmdFeedback);
  Dispatch(kCmdTellAFriend);
  ASSERT_EQ(shellCalls.size(), 4u);
  const std::string tracking = "?v=2.5.0&u=0f8fad5b-d9cb-469f-a165-70867728950e";
  EXPECT_EQ(shellCalls[0].file, DOZELITE_WEB_URL + tracking);
  EXPECT_EQ(shellCalls[1].file, DOZELITE_DONATE_URL + tracking);
  EXPECT_EQ(shellCalls[2].file.rfind("mailto:" DOZELITE_SUPPORT_EMAIL "?subject=Dozelite", 0), 0u)
      << shellCalls[2].file;
  EXPECT_FALSE(Contains(shellCalls[2].file, "body="));
  EXPECT_EQ(shellCalls[3].file.rfind("mailto:?subject=Dozelite", 0), 0u) << shellCalls[3].file;
  EXPECT_TRUE(Contains(shellCalls[3].file, "&body=Hi%21")) << shellCalls[3].file;
}

// ---- the ranges

TEST_F(DispatcherTest, SaverRangesChooseLaunchConfigureAndShowProperties) {
  InstallSampleSavers();
  Dispatch(41001);
  EXPECT_EQ(DesktopValue("SCRNSAVE.EXE"), SaverPath("bubbles.scr"));
  Dispatch(44000);
  Dispatch(45001);
  std::vector<std::string> lines = record_.WaitLines(2);
  std::sort(lines.begin(), lines.end());
  std::vector<std::string> expected = {
      "\"" + SaverPath("aurora.scr") + "\" /S",
      "\"" + SaverPath("bubbles.scr") + "\" /C:" + std::to_string(reinterpret_cast<INT_PTR>(window_))};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);

  Dispatch(46000);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Name:\tAurora Ribbons\nFilename:\taurora.scr\nLocation:\t" + saverFolder_ + "\\");
  EXPECT_TRUE(boxes()[0].type & MB_ICONINFORMATION);

  std::string log = BufferedLog();
  EXPECT_TRUE(Contains(log, "Chosen saver: Soap Bubbles"));
  EXPECT_TRUE(Contains(log, "Launching saver: Aurora Ribbons"));
  EXPECT_TRUE(Contains(log, "Configuring saver: Soap Bubbles"));
  EXPECT_TRUE(Contains(log, "Properties of saver: Aurora Ribbons"));

  // Choosing with "launch when chosen" also runs the saver.
  AppState.chooselaunch = 1;
  ClearLogBuffer();
  Dispatch(41000);
  EXPECT_EQ(DesktopValue("SCRNSAVE.EXE"), SaverPath("aurora.scr"));
  EXPECT_TRUE(Contains(BufferedLog(), "LaunchScreenSaver"));
}

TEST_F(DispatcherTest, SaverIndexesPastTheListAndEmptyPathsDoNothing) {
  InstallSavers({{"Aurora Ribbons", "C:\\Savers\\aurora.scr"}, {"No Path", ""}});
  SetSystemSaver("C:\\keep.scr");
  ClearLogBuffer();
  for (int command : {41002, 44002, 45002, 46002, 41999}) Dispatch(command);
  EXPECT_FALSE(Contains(BufferedLog(), "saver:")) << BufferedLog();

  for (int command : {41001, 44001, 45001, 46001}) Dispatch(command);
  std::string log = BufferedLog();
  EXPECT_TRUE(Contains(log, "Chosen saver: No Path"));
  EXPECT_TRUE(Contains(log, "Launching saver: No Path"));
  EXPECT_TRUE(Contains(log, "Configuring saver: No Path"));
  EXPECT_TRUE(Contains(log, "Properties of saver: No Path"));
  EXPECT_EQ(DesktopValue("SCRNSAVE.EXE"), "C:\\keep.scr");
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(record_.LinesAfterQuiet().empty());
}

TEST_F(DispatcherTest, TimeoutRangeSetsMinutesAndZeroChangesNothing) {
  Dispatch(42015);
  EXPECT_EQ(AppState.saverTimeout, 900);
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "900");
  Dispatch(42000);
  EXPECT_EQ(AppState.saverTimeout, 900);
  Dispatch(42999);
  EXPECT_EQ(DesktopValue("ScreenSaveTimeOut"), "59940");
}

TEST_F(DispatcherTest, DisableRangeStartsAndEndsThePeriod) {
  AppState.saverActive = 1;
  Dispatch(43005);
  EXPECT_EQ(AppState.disableSeconds, 300);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "0");
  Dispatch(kCmdDisableOneDay);
  EXPECT_EQ(AppState.disableSeconds, 1440 * 60);
  Dispatch(43000);
  EXPECT_EQ(AppState.disableSeconds, 0);
  EXPECT_EQ(AppState.saverActive, 1);
  EXPECT_EQ(DesktopValue("ScreenSaveActive"), "1");
  EXPECT_FALSE(KillTimer(window_, kTimerDisablePeriod));
}

TEST_F(DispatcherTest, IdentifiersOutsideTheTableDoNothing) {
  ShellExecuteEntry = RecordShellExecute;
  CreateProcessEntry = RecordCreateProcess;
  InstallSavers({{"Aurora Ribbons", "C:\\Savers\\aurora.scr"}});
  ClearLogBuffer();
  for (int command : {0, 40000, 40050, 40066, 47000, 47439, 47441, 48000, 65535}) Dispatch(command);
  EXPECT_EQ(BufferedLog(), "");
  EXPECT_TRUE(shellCalls.empty());
  EXPECT_TRUE(processCalls.empty());
  EXPECT_TRUE(TakePostedCommands(window_).empty());
  EXPECT_EQ(AppState.saverTimeout, 600);
  EXPECT_EQ(AppState.disableSeconds, 0);
  EXPECT_FALSE(SettingsSaved());
}

}  // namespace

// A command for what a policy gives (from a hot key, corner or click: the menu item is
// greyed) is refused by name and changes nothing; Exit is refused when ending is not allowed.
TEST_F(DispatcherTest, CommandsLockedByPolicyAreRefused) {
  constexpr const char* kPolicyKey = "Software\\Policies\\Dozelite";
  struct Cleanup {
    ~Cleanup() {
      DeleteRegistryTree(HKEY_CURRENT_USER, kPolicyKey);
      LoadPolicies();
    }
  } cleanup;
  ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kPolicyKey, "randomonclick", 1));
  ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kPolicyKey, "allowexit", 0));
  LoadSettings();
  ASSERT_EQ(AppState.randomonclick, 1);
  Dispatch(kCmdToggleRandomOnClick);
  Dispatch(kCmdExit);
  EXPECT_EQ(AppState.randomonclick, 1);
  DWORD stored = 99;
  EXPECT_FALSE(SettingsDword("randomonclick", &stored));
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  std::string log = BufferedLog();
  EXPECT_NE(log.find("Policy: randomonclick is set by your organisation"), std::string::npos) << log;
  EXPECT_NE(log.find("Policy: allowexit is set by your organisation"), std::string::npos) << log;
  Dispatch(kCmdToggleRandomOnActivate);  // no policy: taken
  EXPECT_EQ(AppState.randomonactivate, 1);
}
