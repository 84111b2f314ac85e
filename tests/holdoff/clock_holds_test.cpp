// The clock's holds run for real under the emulator with the clock behind its entry point:
// a clock set to a chosen instant that then runs at the real pace, so the one timer has to
// fire at the boundary. The power source is fed through its entry point and announced with
// the broadcast the system would send; the display request is seen through its own.
#include "holdoff/clock_holds.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "state/commands.h"
#include "app/dispatcher.h"
#include "holdoff/clock_store.h"
#include "holdoff/display_request.h"
#include "tray/holdoff_menu.h"
#include "holdoff/holdoff_state.h"
#include "holdoff/holdoff_store.h"
#include "holdoff/system_clock.h"
#include "language/clock_text.h"
#include "language/language_tags.h"
#include "language/translate.h"
#include "resources/clock_dialogs_ids.h"
#include "shell/entry_points.h"
#include "support/app_fixture.h"
#include "support/dialog_driver.h"

namespace {

std::vector<std::string> requests;  // "" for a release
std::string tooltip;
UtcMs clockBase = 0;
DWORD tickBase = 0;
PowerReading power = {false, -1};

bool RecordRequest(const char* reason) {
  requests.push_back(reason ? reason : "");
  return true;
}
BOOL RecordTooltip(DWORD, NOTIFYICONDATAA* data) {
  tooltip = data->szTip;
  return TRUE;
}
UtcMs TestClock() { return clockBase + static_cast<UtcMs>(GetTickCount() - tickBase); }
PowerReading TestPower() { return power; }

// Sets the clock to `minute` of today's local day plus `ms`; it runs on from there.
void SetClock(int minute, int ms) {
  int64_t today = 0;
  int now = 0;
  UtcToLocal(RealClock(), SystemZone(), &today, &now);
  clockBase = LocalToUtc(today, minute, SystemZone()) + ms;
  tickBase = GetTickCount();
}

// The reason as the log has it; the tooltip and the menu show it in the language in use
// with the user's clock format.
std::string Reason() {
  char reason[kHoldOffReasonSize];
  GetHoldOffLogReason(reason, sizeof(reason));
  return reason;
}

std::string ShownReason() {
  char reason[kHoldOffReasonTextSize];
  GetHoldOffReason(reason, sizeof(reason));
  return reason;
}

std::string Clock(int minute) {
  char text[64];
  FormatClockText(text, sizeof(text), minute);
  return text;
}

std::string MenuItemText(HMENU menu, int id) {
  char text[256] = "";
  GetMenuStringA(menu, static_cast<UINT>(id), text, sizeof(text), MF_BYCOMMAND);
  return text;
}

std::string NowLine() {
  HMENU menu = BuildHoldOffMenu();
  char text[256] = "";
  GetMenuStringA(menu, 0, text, sizeof(text), MF_BYPOSITION);
  DestroyMenu(menu);
  return text;
}

int CountLines(const std::string& log, const std::string& part) {
  int count = 0;
  for (size_t at = log.find(part); at != std::string::npos; at = log.find(part, at + 1)) count++;
  return count;
}

class ClockHoldsTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey);
    requests.clear();
    tooltip.clear();
    power = {false, -1};
    SetClock(9 * 60, 0);
    DisplayRequestEntry = RecordRequest;
    ShellNotifyIconEntry = RecordTooltip;
    ClockEntry = TestClock;
    PowerStatusEntry = TestPower;
    // No full-screen hold from whatever the emulator has in front.
    WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, kHoldOffFullScreenValue, 0);
  }
  void TearDown() override {
    StopHoldOff();
    DisplayRequestEntry = RealDisplayRequest;
    ShellNotifyIconEntry = RealShellNotifyIcon;
    ClockEntry = RealClock;
    PowerStatusEntry = RealPowerStatus;
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffPolicyKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kHoldOffPolicyKey);
    AppFixture::TearDown();
  }
  static void Schedule(const char* label, const char* text) {
    WriteRegistryString(HKEY_CURRENT_USER, kSchedulesKey, label, text);
  }
  static bool HeldFor(const std::string& reason, DWORD ms) {
    return WaitFor([&] { return Reason() == reason; }, ms);
  }
  static bool StoredUntil(ULONGLONG* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kHoldOffKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = sizeof(*value);
    LONG status = RegQueryValueExA(key, kHoldUntilValue, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_QWORD;
  }
  static void CommandLine(const char* text) {
    char line[64];
    snprintf(line, sizeof(line), "%s", text);
    ParseCommandLine(line);
  }
};

}  // namespace

// One schedule ends and the next begins at 12:00 (the hold passes from one to the other
// without a release); that one ends at 12:01, reached by a change of the system's time.
TEST_F(ClockHoldsTest, SchedulesStartAndEndWhileRunning) {
  Schedule("Morning", "daily 11:00-12:00");
  Schedule("Noon", "daily 12:00-12:01");
  SetClock(11 * 60 + 59, 59200);
  StartHoldOff(window_);
  EXPECT_EQ(Reason(), "the schedule \"Morning\" runs until 12:00");
  DWORD start = GetTickCount();
  ASSERT_TRUE(HeldFor("the schedule \"Noon\" runs until 12:01", 3000));
  EXPECT_LE(GetTickCount() - start, 2000u);
  EXPECT_GE(GetTickCount() - start, 700u) << "not before its start";
  EXPECT_EQ(requests, (std::vector<std::string>{"Dozelite: the schedule \"Morning\" runs until 12:00",
                                                "Dozelite: the schedule \"Noon\" runs until 12:01"}));
  EXPECT_TRUE(Contains(BufferedLog(), "HoldOff: start (the schedule \"Noon\" runs until 12:01)"));
  EXPECT_TRUE(Contains(tooltip, "\nHeld off: the schedule \"Noon\" runs until " + Clock(12 * 60 + 1))) << tooltip;

  SetClock(12 * 60, 59300);
  SendMessageA(window_, WM_TIMECHANGE, 0, 0);
  start = GetTickCount();
  ASSERT_TRUE(HeldFor("", 3000));
  EXPECT_GE(GetTickCount() - start, 500u) << "not before its end";
  EXPECT_EQ(requests.back(), "");
  EXPECT_EQ(requests.size(), 3u);
  EXPECT_EQ(CountLines(BufferedLog(), "HoldOff: end"), 1);
}

// A second start hands "holduntil" over as any option: it writes the registry and the
// running copy reloads. The end time is absolute and the value goes when the hold ends.
TEST_F(ClockHoldsTest, HoldUntilIsHandedOverEndsAtItsMinuteAndEndsOnDemand) {
  StartHoldOff(window_);
  SetClock(14 * 60, 59000);
  CommandLine("holduntil=14:01");
  ULONGLONG stored = 0;
  ASSERT_TRUE(StoredUntil(&stored));
  int64_t today = 0;
  int minute = 0;
  UtcToLocal(TestClock(), SystemZone(), &today, &minute);
  EXPECT_EQ(stored, static_cast<ULONGLONG>(LocalToUtc(today, 14 * 60 + 1, SystemZone())) * 10000);
  EXPECT_EQ(Reason(), "") << "the running copy has not reloaded yet";
  DispatchCommand(window_, kCmdReloadSettings);
  EXPECT_EQ(Reason(), "held until 14:01");
  EXPECT_TRUE(Contains(BufferedLog(), "HoldOff: start (held until 14:01)"));
  HMENU menu = BuildHoldOffMenu();
  char clock[64];
  FormatClockText(clock, sizeof(clock), 14 * 60 + 1);  // the menu shows the user's clock ("2:01 PM")
  EXPECT_EQ(MenuItemText(menu, kCmdEndHoldUntil), std::string("Held until ") + clock + " - &End Now");
  EXPECT_EQ(MenuItemText(menu, kCmdHoldUntil), "");
  DestroyMenu(menu);
  ASSERT_TRUE(HeldFor("", 3000));
  EXPECT_FALSE(StoredUntil(&stored)) << "removed when it passed";

  // Past today: tomorrow. Then "holduntil=0" ends it at once.
  CommandLine("holduntil=13:00");
  DispatchCommand(window_, kCmdReloadSettings);
  EXPECT_EQ(Reason(), "held until 13:00");
  ASSERT_TRUE(StoredUntil(&stored));
  EXPECT_EQ(stored, static_cast<ULONGLONG>(LocalToUtc(today + 1, 13 * 60, SystemZone())) * 10000);
  CommandLine("holduntil=0");
  DispatchCommand(window_, kCmdReloadSettings);
  EXPECT_EQ(Reason(), "");
  EXPECT_FALSE(StoredUntil(&stored));

  CommandLine("holduntil=25:00");
  EXPECT_FALSE(StoredUntil(&stored));
  EXPECT_TRUE(Contains(BufferedLog(), "holduntil=25:00 ignored"));

  // From the menu: held, then ended by its item.
  ASSERT_TRUE(StartHoldUntil(15 * 60));
  EXPECT_EQ(Reason(), "held until 15:00");
  DispatchCommand(window_, kCmdEndHoldUntil);
  EXPECT_EQ(Reason(), "");
  EXPECT_FALSE(StoredUntil(&stored));
  EXPECT_EQ(CountLines(BufferedLog(), "HoldOff: end"), 3);
}

// Asleep past the end: the timer would fire late; the resume ends the hold at once, and a
// schedule that began while asleep holds at once.
TEST_F(ClockHoldsTest, AResumeAfterTheEndEndsAtOnceAndStartsWhatBegan) {
  SetClock(16 * 60, 0);
  Schedule("Evening", "daily 16:10-17:00");
  StartHoldOff(window_);
  ASSERT_TRUE(StartHoldUntil(16 * 60 + 5));
  EXPECT_EQ(Reason(), "held until 16:05");
  SetClock(16 * 60 + 20, 0);
  SendMessageA(window_, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_EQ(Reason(), "the schedule \"Evening\" runs until 17:00");
  ULONGLONG stored = 0;
  EXPECT_FALSE(StoredUntil(&stored));
}

// The tooltip and the menu show the reason in the language in use, with the time as the
// user's clock shows it; the log and the display request keep the English "HH:MM" line.
TEST_F(ClockHoldsTest, TheShownReasonFollowsTheLanguageWhileTheLogStaysEnglish) {
  const char* logged = "the schedule \"Desk\" runs until 18:00";
  Schedule("Desk", "daily 08:00-18:00");
  StartHoldOff(window_);
  ASSERT_EQ(Reason(), logged);
  EXPECT_EQ(ShownReason(), "the schedule \"Desk\" runs until " + Clock(18 * 60));
  ASSERT_TRUE(UseLanguage(PseudoLanguage()));
  EvaluateHoldOff();
  std::string shown = ShownReason();
  std::string reason = Reason();
  UseLanguage(0);
  EXPECT_EQ(shown.rfind('[', 0), 0u) << shown;
  EXPECT_TRUE(Contains(shown, "\"Desk\"") && Contains(shown, Clock(18 * 60))) << shown;
  EXPECT_EQ(reason, logged);
  EXPECT_EQ(requests, std::vector<std::string>{std::string("Dozelite: ") + logged}) << "no new request for a new language";
  EXPECT_EQ(CountLines(BufferedLog(), "HoldOff: start ("), 1) << BufferedLog();
}

// The battery pauses the hold with one release and mains power takes it again with one
// request; a limit pauses at or below it only.
TEST_F(ClockHoldsTest, APowerChangePausesAndResumesTheHold) {
  const char* held = "the schedule \"Desk\" runs until 18:00";
  Schedule("Desk", "daily 08:00-18:00");
  WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, kBatteryLimitValue, 20);
  StartHoldOff(window_);
  ASSERT_EQ(Reason(), held);
  ASSERT_EQ(requests.size(), 1u);

  power = {true, 50};
  SendMessageA(window_, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(Reason(), held) << "above the limit";
  power = {true, 18};
  SendMessageA(window_, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(Reason(), "");
  EXPECT_EQ(requests, (std::vector<std::string>{std::string("Dozelite: ") + held, ""}));
  EXPECT_TRUE(Contains(BufferedLog(), "HoldOff: paused (battery at 18%)"));
  EXPECT_TRUE(Contains(tooltip, "\nHeld off: paused (battery at 18%)")) << tooltip;
  EXPECT_EQ(NowLine(), "Now: paused (battery at 18%): the schedule \"Desk\" runs until " + Clock(18 * 60));
  power = {true, 17};
  SendMessageA(window_, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_EQ(CountLines(BufferedLog(), "HoldOff: paused"), 1) << "one line per pause, not per percent";

  power = {false, 17};
  SendMessageA(window_, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(Reason(), held);
  EXPECT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests.back(), std::string("Dozelite: ") + held);

  WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, kOnBatteryValue, 0);
  DispatchCommand(window_, kCmdReloadSettings);
  power = {true, 100};
  SendMessageA(window_, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(Reason(), "");
  EXPECT_TRUE(Contains(BufferedLog(), "HoldOff: paused (on battery)"));
  EXPECT_EQ(requests.size(), 4u);
}

// The clock's values live beside the program rules and are not taken for programs; a
// schedule that does not read leaves one line naming it and the others hold.
TEST_F(ClockHoldsTest, BadValuesAreNamedOnceAndTheRestWorks) {
  Schedule("Broken", "mon-fri 8-17");
  Schedule("All day", "daily 00:00-00:00");
  WriteRegistryDword(HKEY_CURRENT_USER, kSchedulesKey, "Number", 5);
  ULONGLONG future = static_cast<ULONGLONG>(TestClock() + kDayMs) * 10000;
  WriteRegistryValue(HKEY_CURRENT_USER, kHoldOffKey, kHoldUntilValue, REG_QWORD, &future, sizeof(future));
  WriteRegistryDword(HKEY_CURRENT_USER, kHoldOffKey, kOnBatteryValue, 1);
  StartHoldOff(window_);
  std::string log = BufferedLog();
  EXPECT_EQ(CountLines(log, "HoldOff: schedule \"Broken\" ignored: the time span must read HH:MM-HH:MM"), 1) << log;
  EXPECT_EQ(CountLines(log, "HoldOff: schedule \"Number\" ignored: a schedule must be a REG_SZ"), 1) << log;
  EXPECT_FALSE(Contains(log, "value \"until\"")) << log;
  EXPECT_FALSE(Contains(log, "value \"onbattery\"")) << log;
  EXPECT_TRUE(Reason().rfind("held until ", 0) == 0) << Reason();
  DispatchCommand(window_, kCmdEndHoldUntil);
  EXPECT_EQ(Reason(), "the schedule \"All day\" runs until 00:00");
  std::string text;
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kSchedulesKey, "Broken", &text)) << "never deleted";
}

// The dialogs run for real: a time picked in the hold-until dialog holds until then; a
// schedule added in the schedules dialog is saved as days and span and holds.
TEST_F(ClockHoldsTest, TheDialogsSetTheHoldAndTheSchedules) {
  SetClock(10 * 60, 0);
  StartHoldOff(window_);
  DriveResult until = DriveDialog(
      "Hold Until", [&] { return static_cast<INT_PTR>(RunHoldOffCommand(window_, kCmdHoldUntil)); },
      [](HWND dialog) {
        SYSTEMTIME time;
        GetLocalTime(&time);
        time.wHour = 11;
        time.wMinute = 45;
        SendDlgItemMessageA(dialog, IDC_UNTIL_TIME, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
        PressButton(dialog, IDOK);
      });
  EXPECT_TRUE(until.found && until.closed);
  EXPECT_EQ(Reason(), "held until 11:45");
  DispatchCommand(window_, kCmdEndHoldUntil);

  DriveResult schedules = DriveDialog(
      "Hold Off Schedules", [&] { return static_cast<INT_PTR>(RunHoldOffCommand(window_, kCmdHoldOffSchedules)); },
      [](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, IDC_SCHEDULES_ADD, 0);
        HWND one = WaitForDialog("Hold Off Schedule");
        if (!one) return;
        SetDlgItemTextA(one, IDC_SCHEDULE_LABEL, "  Study ");
        for (int box = 0; box < 7; box++) CheckDlgButton(one, IDC_SCHEDULE_DAY + box, BST_CHECKED);
        SYSTEMTIME time;
        GetLocalTime(&time);
        time.wHour = 9;
        time.wMinute = 30;
        SendDlgItemMessageA(one, IDC_SCHEDULE_FROM, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
        time.wHour = 10;
        time.wMinute = 15;
        SendDlgItemMessageA(one, IDC_SCHEDULE_TO, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
        PressButton(one, IDOK);
        WaitGone(one);
        char line[128] = "";
        SendDlgItemMessageA(dialog, IDC_SCHEDULES_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
        // The list shows the times as the user's clock does; the registry keeps "HH:MM".
        char from[64], to[64];
        FormatClockText(from, sizeof(from), 9 * 60 + 30);
        FormatClockText(to, sizeof(to), 10 * 60 + 15);
        if (std::string(line) == std::string("Study\tdaily\t") + from + "-" + to) PressButton(dialog, IDOK);
      });
  EXPECT_TRUE(schedules.found && schedules.closed);
  std::string text;
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kSchedulesKey, "Study", &text));
  EXPECT_EQ(text, "daily 09:30-10:15");
  EXPECT_EQ(Reason(), "the schedule \"Study\" runs until 10:15");
}

// The organisation's schedules: the machine's wins a label over the user policy's, both
// over the user's own (which stays stored); they hold and say so, the dialog shows them
// marked and will not edit or remove them, and saving writes none of them.
TEST_F(ClockHoldsTest, TheOrganisationsSchedulesHoldAndStayTheirs) {
  WriteRegistryString(HKEY_LOCAL_MACHINE, kSchedulesPolicyKey, "Office", "daily 08:00-12:00");
  WriteRegistryString(HKEY_CURRENT_USER, kSchedulesPolicyKey, "office", "daily 08:00-08:30");
  Schedule("OFFICE", "daily 13:00-14:00");
  Schedule("Lunch", "daily 15:00-16:00");
  StartHoldOff(window_);
  EXPECT_EQ(Reason(), "the schedule \"Office\" runs until 12:00") << "the machine's span";
  EXPECT_TRUE(IsHoldOffByPolicy());
  std::string log = BufferedLog();
  EXPECT_EQ(CountLines(log, "Policy: schedule \"office\" under HKCU ignored: the organisation gives"), 1) << log;
  EXPECT_EQ(CountLines(log, "HoldOff: schedule \"OFFICE\" ignored: the organisation gives"), 1) << log;

  DriveResult shown = DriveDialog(
      "Hold Off Schedules", [&] { return static_cast<INT_PTR>(RunHoldOffCommand(window_, kCmdHoldOffSchedules)); },
      [](HWND dialog) {
        char line[256] = "";
        SendDlgItemMessageA(dialog, IDC_SCHEDULES_LIST, LB_SETCURSEL, 0, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SCHEDULES_LIST, LBN_SELCHANGE), 0);
        SendDlgItemMessageA(dialog, IDC_SCHEDULES_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
        bool locked = std::string(line).rfind("Office (set by your organisation)\t", 0) == 0 &&
                      !IsWindowEnabled(GetDlgItem(dialog, IDC_SCHEDULES_REMOVE)) &&
                      !IsWindowEnabled(GetDlgItem(dialog, IDC_SCHEDULES_EDIT));
        SendMessageA(dialog, WM_COMMAND, IDC_SCHEDULES_REMOVE, 0);
        bool kept = SendDlgItemMessageA(dialog, IDC_SCHEDULES_LIST, LB_GETCOUNT, 0, 0) == 2;
        SendDlgItemMessageA(dialog, IDC_SCHEDULES_LIST, LB_SETCURSEL, 1, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SCHEDULES_LIST, LBN_SELCHANGE), 0);
        SendMessageA(dialog, WM_COMMAND, IDC_SCHEDULES_REMOVE, 0);
        bool removed = SendDlgItemMessageA(dialog, IDC_SCHEDULES_LIST, LB_GETCOUNT, 0, 0) == 1;
        if (locked && kept && removed) PressButton(dialog, IDOK);
      });
  EXPECT_TRUE(shown.found && shown.closed) << "the organisation's schedule was not shown locked";
  std::string text;
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kSchedulesKey, "Lunch", &text)) << "the user's removal was lost";
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kSchedulesKey, "OFFICE", &text)) << "the user's own was deleted";
  EXPECT_EQ(text, "daily 13:00-14:00") << "the organisation's schedule was written over the user's";
  EXPECT_EQ(Reason(), "the schedule \"Office\" runs until 12:00");

  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kHoldOffPolicyKey);
  DeleteRegistryTree(HKEY_CURRENT_USER, kHoldOffPolicyKey);
  ReloadHoldOff();
  EXPECT_EQ(Reason(), "") << "without the policy the user's own schedule is back, outside its hours";
  EXPECT_FALSE(IsHoldOffByPolicy());
}
