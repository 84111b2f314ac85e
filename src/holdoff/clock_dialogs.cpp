// The clock's dialogs. The schedules dialog keeps the edited copy's order in its list box
// (a line's index is its schedule's index), each line "label<TAB>days<TAB>span"; Add and
// Edit open the schedule dialog on one schedule, whose label must be new to the list.
#include "holdoff/clock_dialogs.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "holdoff/time_picker.h"
#include "language/clock_text.h"
#include "language/translate.h"
#include "log/log.h"
#include "resources/clock_dialogs_ids.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

// The check boxes run Monday to Sunday; the days' bits count from Sunday.
unsigned DayBitOfBox(int box) { return 1u << ((box + 1) % 7); }

HINSTANCE Module() { return AppState.instance ? AppState.instance : GetModuleHandleA(nullptr); }

void Warn(HWND dialog, const char* text) { MessageBoxEntry(dialog, Tr(text), kProductName, MB_OK | MB_ICONWARNING); }

// ---------------------------------------------------------------- hold until

INT_PTR CALLBACK HoldUntilDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      TranslateDialog(dialog);
      SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
      SetUpTimePicker(GetDlgItem(dialog, IDC_UNTIL_TIME), *reinterpret_cast<int*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        int* minute = reinterpret_cast<int*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
        *minute = TimePickerMinute(GetDlgItem(dialog, IDC_UNTIL_TIME));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// ---------------------------------------------------------------- one schedule

struct ScheduleEdit {
  const HoldSchedules* all;
  int index;  // the schedule edited, or -1 for a new one
  HoldSchedule schedule;
};

void ShowSchedule(HWND dialog, const HoldSchedule& schedule) {
  SetDlgItemTextA(dialog, IDC_SCHEDULE_LABEL, schedule.label);
  SendDlgItemMessageA(dialog, IDC_SCHEDULE_LABEL, EM_LIMITTEXT, kScheduleLabelSize - 1, 0);
  for (int box = 0; box < 7; box++)
    CheckDlgButton(dialog, IDC_SCHEDULE_DAY + box, (schedule.days & DayBitOfBox(box)) ? BST_CHECKED : BST_UNCHECKED);
  SetUpTimePicker(GetDlgItem(dialog, IDC_SCHEDULE_FROM), schedule.startMinute);
  SetUpTimePicker(GetDlgItem(dialog, IDC_SCHEDULE_TO), schedule.endMinute);
}

// Reads the fields back; false (after telling why) when they do not make a schedule.
bool ReadSchedule(HWND dialog, const ScheduleEdit& edit, HoldSchedule* schedule) {
  char label[kScheduleLabelSize * 2] = "";
  GetDlgItemTextA(dialog, IDC_SCHEDULE_LABEL, label, sizeof(label));
  char trimmed[sizeof(label)];
  int start = 0;
  while (label[start] == ' ') start++;
  CopyText(trimmed, label + start, sizeof(trimmed));
  for (int end = static_cast<int>(strlen(trimmed)); end > 0 && trimmed[end - 1] == ' '; end--) trimmed[end - 1] = 0;
  unsigned days = 0;
  for (int box = 0; box < 7; box++)
    if (IsDlgButtonChecked(dialog, IDC_SCHEDULE_DAY + box) == BST_CHECKED) days |= DayBitOfBox(box);
  int other = FindHoldSchedule(*edit.all, trimmed);
  if (trimmed[0] == 0) {
    Warn(dialog, TrNoop("Give the schedule a name."));
  } else if (strlen(trimmed) >= static_cast<size_t>(kScheduleLabelSize)) {
    Warn(dialog, TrNoop("The name is too long: 63 characters at most."));
  } else if (other >= 0 && other != edit.index) {
    Warn(dialog, TrNoop("Another schedule has this name."));
  } else if (days == 0) {
    Warn(dialog, TrNoop("Choose at least one day."));
  } else {
    CopyText(schedule->label, trimmed, sizeof(schedule->label));
    schedule->days = days;
    schedule->startMinute = TimePickerMinute(GetDlgItem(dialog, IDC_SCHEDULE_FROM));
    schedule->endMinute = TimePickerMinute(GetDlgItem(dialog, IDC_SCHEDULE_TO));
    return true;
  }
  SetFocus(GetDlgItem(dialog, days == 0 && trimmed[0] ? IDC_SCHEDULE_DAY : IDC_SCHEDULE_LABEL));
  return false;
}

INT_PTR CALLBACK ScheduleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      TranslateDialog(dialog);
      SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
      ShowSchedule(dialog, reinterpret_cast<ScheduleEdit*>(lParam)->schedule);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        ScheduleEdit* edit = reinterpret_cast<ScheduleEdit*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
        if (ReadSchedule(dialog, *edit, &edit->schedule)) EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// ---------------------------------------------------------------- the list

HoldSchedules* EditedSchedules(HWND dialog) {
  return reinterpret_cast<HoldSchedules*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

LRESULT SendList(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendDlgItemMessageA(dialog, IDC_SCHEDULES_LIST, message, wParam, lParam);
}

int SelectedSchedule(HWND dialog) {
  LRESULT selected = SendList(dialog, LB_GETCURSEL);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

// The selected schedule when the user may change it (not the organisation's), else -1.
int ChangeableSchedule(HWND dialog) {
  int selected = SelectedSchedule(dialog);
  const HoldSchedules* schedules = EditedSchedules(dialog);
  if (selected < 0 || selected >= schedules->count || schedules->items[selected].fromPolicy) return -1;
  return selected;
}

void ShowSelection(HWND dialog) {
  bool changeable = ChangeableSchedule(dialog) >= 0;
  EnableWindow(GetDlgItem(dialog, IDC_SCHEDULES_EDIT), changeable);
  EnableWindow(GetDlgItem(dialog, IDC_SCHEDULES_REMOVE), changeable);
}

void FillSchedules(HWND dialog, int select) {
  const HoldSchedules* schedules = EditedSchedules(dialog);
  SendList(dialog, LB_RESETCONTENT);
  for (int n = 0; n < schedules->count; n++) {
    const HoldSchedule& schedule = schedules->items[n];
    char days[256];
    char start[64];
    char end[64];
    FormatScheduleDaysText(schedule.days, days, sizeof(days));
    FormatClockText(start, sizeof(start), schedule.startMinute);
    FormatClockText(end, sizeof(end), schedule.endMinute);
    // A schedule the organisation gives is shown, not changed.
    char label[kScheduleLabelSize + 256];
    if (schedule.fromPolicy)
      snprintf(label, sizeof(label), Tr("%s (set by your organisation)"), schedule.label);
    else
      CopyText(label, schedule.label, sizeof(label));
    char line[sizeof(label) + sizeof(days) + sizeof(start) + sizeof(end)];
    snprintf(line, sizeof(line), "%s\t%s\t%s-%s", label, days, start, end);
    SendList(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  if (select >= schedules->count) select = schedules->count - 1;
  SendList(dialog, LB_SETCURSEL, static_cast<WPARAM>(select));
  ShowSelection(dialog);
}

void EditSchedule(HWND dialog, int index) {
  HoldSchedules* schedules = EditedSchedules(dialog);
  if (index < 0 && schedules->count >= kMaxHoldSchedules) {
    Warn(dialog, TrNoop("The list is full: remove a schedule before you add another."));
    return;
  }
  static ScheduleEdit edit;  // main thread only; the dialogs are modal
  edit.all = schedules;
  edit.index = index;
  if (index >= 0)
    edit.schedule = schedules->items[index];
  else
    edit.schedule = HoldSchedule{"", kWorkDays, 8 * 60, 17 * 60, false};
  if (DialogBoxParamA(Module(), "SCHEDULEDIALOG", dialog, ScheduleDlgProc, reinterpret_cast<LPARAM>(&edit)) != IDOK)
    return;
  if (index >= 0) {
    schedules->items[index] = edit.schedule;
  } else {
    PutHoldSchedule(schedules, edit.schedule);
    index = schedules->count - 1;
  }
  FillSchedules(dialog, index);
}

INT_PTR CALLBACK SchedulesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      TranslateDialog(dialog);
      SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
      int tabStops[2] = {80, 140};  // dialog units
      SendList(dialog, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(tabStops));
      NameListsFromLabels(dialog);
      FillSchedules(dialog, 0);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_SCHEDULES_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) ShowSelection(dialog);
          if (HIWORD(wParam) == LBN_DBLCLK && ChangeableSchedule(dialog) >= 0)
            EditSchedule(dialog, ChangeableSchedule(dialog));
          return TRUE;
        case IDC_SCHEDULES_ADD:
          EditSchedule(dialog, -1);
          return TRUE;
        case IDC_SCHEDULES_EDIT:
          if (ChangeableSchedule(dialog) >= 0) EditSchedule(dialog, ChangeableSchedule(dialog));
          return TRUE;
        case IDC_SCHEDULES_REMOVE: {
          int selected = ChangeableSchedule(dialog);
          if (selected >= 0 && RemoveHoldSchedule(EditedSchedules(dialog), selected)) FillSchedules(dialog, selected);
          return TRUE;
        }
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
      }
      return FALSE;
    case WM_VKEYTOITEM:
      // Delete in the list removes the selected schedule and F2 edits it, as the buttons do.
      if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_SCHEDULES_LIST)) return -1;
      if (LOWORD(wParam) == VK_DELETE) {
        PostMessageA(dialog, WM_COMMAND, IDC_SCHEDULES_REMOVE, 0);
        return -2;
      }
      if (LOWORD(wParam) == VK_F2) {
        PostMessageA(dialog, WM_COMMAND, IDC_SCHEDULES_EDIT, 0);
        return -2;
      }
      return -1;
  }
  return FALSE;
}

}  // namespace

bool ShowHoldUntilDialog(HWND owner, int* minuteOfDay) {
  LogMessage(kLogLogOnly, "ShowHoldUntilDialog");
  InitTimePickers();
  int chosen = *minuteOfDay;
  if (DialogBoxParamA(Module(), "HOLDUNTILDIALOG", owner, HoldUntilDlgProc, reinterpret_cast<LPARAM>(&chosen)) !=
      IDOK)
    return false;
  *minuteOfDay = chosen;
  return true;
}

bool ShowSchedulesDialog(HWND owner, HoldSchedules* schedules) {
  LogMessage(kLogLogOnly, "ShowSchedulesDialog");
  InitTimePickers();
  static HoldSchedules edited;  // 5 KB: kept off the stack; modal and main-thread only
  edited = *schedules;
  if (DialogBoxParamA(Module(), "SCHEDULESDIALOG", owner, SchedulesDlgProc, reinterpret_cast<LPARAM>(&edited)) !=
      IDOK)
    return false;
  *schedules = edited;
  return true;
}
