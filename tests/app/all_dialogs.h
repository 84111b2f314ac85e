// Every dialog of the program, opened as its command opens it: the title to wait for, a
// short name for screenshots and messages, and the call that runs it modally.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "diagnose/diagnose.h"
#include "dialogs/paths_dialog.h"
#include "dialogs/splash_dialog.h"
#include "dialogs/timeout_dialog.h"
#include "dialogs/tips_dialog.h"
#include "holdoff/clock_dialogs.h"
#include "holdoff/holdoff_dialog.h"
#include "state/app_state.h"
#include "triggers/hot_keys.h"

struct ProgramDialog {
  const char* title;
  const char* name;
  std::function<INT_PTR()> open;
};

inline std::vector<ProgramDialog> AllDialogs() {
  return {
      {"Dozelite (splash)", "splash", [] { return ShowSplash(nullptr, 0); }},
      {"Dozelite Timer Setting", "timeout_dialog", [] { return ShowTimeOutDialog(nullptr, 600); }},
      {"Screen Saver Search Paths", "paths_dialog", [] { return ShowPathsDialog(nullptr); }},
      {"Dozelite Tip of the Day", "tips_dialog", [] { return ShowTipsDialog(nullptr, -1); }},
      {"Dozelite Hotkey Setting", "hotkey_dialog", [] { return ShowHotKeyDialog(nullptr, &AppState.hotKeys[0]); }},
      {"Dozelite", "text_dialog",
       [] {
         return DialogBoxParamA(AppState.instance, "TEXTDIALOG", nullptr, TextDlgProc,
                                reinterpret_cast<LPARAM>("Dozelite Version 3.0\r\nGetSaverEnumeration processed 5 savers"));
       }},
      {"Hold Off Programs", "holdoff_dialog",
       [] {
         static HoldOffRules rules = {};
         rules.count = 0;
         HoldOffRule rule = {};
         lstrcpynA(rule.name, "player.exe", sizeof(rule.name));
         rule.kind = kHoldWhileRunning;
         rules.programs[rules.count++] = rule;
         return static_cast<INT_PTR>(ShowHoldOffProgramsDialog(nullptr, &rules));
       }},
      {"Hold Until", "hold_until_dialog",
       [] {
         int minute = 17 * 60 + 30;
         return static_cast<INT_PTR>(ShowHoldUntilDialog(nullptr, &minute));
       }},
      {"Hold Off Schedules", "schedules_dialog",
       [] {
         static HoldSchedules schedules = {};
         schedules.count = 0;
         HoldSchedule schedule = {};
         const char* problem = nullptr;
         ParseHoldSchedule("mon-fri 08:30-17:30", &schedule, &problem);
         lstrcpynA(schedule.label, "Work", sizeof(schedule.label));
         schedules.items[schedules.count++] = schedule;
         return static_cast<INT_PTR>(ShowSchedulesDialog(nullptr, &schedules));
       }},
      {"Dozelite - Why Isn't My Saver Starting?", "diagnose_dialog",
       [] {
         ShowDiagnoseDialog(nullptr);
         return static_cast<INT_PTR>(0);
       }},
  };
}
