// Time pickers show the user's own short time format, read from the locale; a picker
// whose format cannot be read keeps the system's (which shows seconds too).
#include "holdoff/time_picker.h"

#include <commctrl.h>

void InitTimePickers() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_DATE_CLASSES};
  InitCommonControlsEx(&controls);
}

void SetUpTimePicker(HWND picker, int minuteOfDay) {
  char format[80];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTTIME, format, sizeof(format)) > 0)
    SendMessageA(picker, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format));
  SYSTEMTIME time;
  GetLocalTime(&time);
  time.wHour = static_cast<WORD>(minuteOfDay / 60 % 24);
  time.wMinute = static_cast<WORD>(minuteOfDay % 60);
  time.wSecond = 0;
  time.wMilliseconds = 0;
  SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

int TimePickerMinute(HWND picker) {
  SYSTEMTIME time = {};
  if (SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return 0;
  return (time.wHour % 24) * 60 + time.wMinute % 60;
}
