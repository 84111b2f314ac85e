// The run-time layout for longer languages. Stretching the whole dialog by one factor keeps
// the template's arrangement (columns, alignment, the buttons' row) in every language; a
// wrapped text may instead grow into more lines only where its control is tall enough.
#include "language/dialog_fit.h"

namespace {

constexpr int kMostStretchPercent = 300;

struct TextRoom {
  bool measured = false;
  bool wraps = false;
  bool prefix = true;
  int width = 0;   // the width left for the text
  int height = 0;  // the height left for the text
  int frame = 0;   // the control's width not given to the text
};

// The room a control gives its text, as the control draws it.
TextRoom RoomOf(HWND control, int dpi) {
  TextRoom room;
  char className[32] = "";
  GetClassNameA(control, className, sizeof(className));
  LONG style = GetWindowLongA(control, GWL_STYLE);
  RECT client;
  GetClientRect(control, &client);
  room.height = client.bottom;
  auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  if (lstrcmpiA(className, "Static") == 0) {
    LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
      return room;
    room.measured = true;
    room.wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    room.prefix = !(style & SS_NOPREFIX);
  } else if (lstrcmpiA(className, "Button") == 0) {
    room.wraps = (style & BS_MULTILINE) != 0;
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        room.measured = true;
        room.frame = 2 * scaled(5);
        room.height -= 2 * scaled(2);
        break;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
      case BS_3STATE:
      case BS_AUTO3STATE:
        room.measured = true;
        room.frame = GetSystemMetrics(SM_CXMENUCHECK) + scaled(6);
        break;
      case BS_GROUPBOX:
        room.measured = true;
        room.frame = 2 * scaled(10);
        room.height = 0x7FFFFFFF;
        break;
      default:
        break;
    }
  }
  room.width = client.right - room.frame;
  return room;
}

// The size the text takes when laid out `width` pixels wide.
SIZE TextSize(HDC dc, const wchar_t* text, const TextRoom& room, int width) {
  RECT need = {0, 0, width > 1 ? width : 1, 0};
  UINT flags = DT_CALCRECT | (room.wraps ? DT_WORDBREAK : DT_SINGLELINE) | (room.prefix ? 0 : DT_NOPREFIX);
  DrawTextW(dc, text, -1, &need, flags);
  return SIZE{need.right, need.bottom};
}

// How many percent of its width a control needs to hold its text; 100 when it fits.
int NeededPercent(HWND control, int dpi) {
  // The control's own style: during WM_INITDIALOG the dialog itself is not shown yet.
  if (!(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE)) return 100;
  wchar_t text[1024] = L"";
  if (GetWindowTextW(control, text, 1024) <= 0) return 100;
  TextRoom room = RoomOf(control, dpi);
  if (!room.measured || room.width <= 0) return 100;
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  int total = room.width + room.frame;
  int percent = 100;
  SIZE size = TextSize(dc, text, room, room.width);
  if (size.cx > room.width || size.cy > room.height) {
    // The narrowest width, in steps of a twentieth, at which the text fits its height.
    for (percent = 105; percent <= kMostStretchPercent; percent += 5) {
      int width = MulDiv(total, percent, 100) - room.frame;
      size = TextSize(dc, text, room, width);
      if (size.cx <= width && size.cy <= room.height) break;
    }
  }
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return percent < kMostStretchPercent ? percent : kMostStretchPercent;
}

}  // namespace

void FitDialogToTexts(HWND dialog) {
  if (!dialog) return;
  HDC screen = GetDC(dialog);
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(dialog, screen);
  int percent = 100;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    int needed = NeededPercent(child, dpi);
    if (needed > percent) percent = needed;
  }
  if (percent <= 100) return;
  percent += 2;  // the controls' edges are rounded to whole pixels when moved
  RECT window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  int frame = (window.right - window.left) - client.right;
  MONITORINFO monitor = {sizeof(monitor)};
  GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  int most = monitor.rcWork.right - monitor.rcWork.left - frame;
  int width = MulDiv(client.right, percent, 100);
  if (width > most && client.right > 0) {
    width = most;
    percent = MulDiv(width, 100, client.right);
  }
  if (width <= client.right) return;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT area;
    GetWindowRect(child, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    int left = MulDiv(area.left, percent, 100);
    int right = MulDiv(area.right, percent, 100);
    SetWindowPos(child, nullptr, left, area.top, right - left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  int grow = width - client.right;
  int left = window.left - grow / 2;
  if (left + width + frame > monitor.rcWork.right) left = monitor.rcWork.right - width - frame;
  if (left < monitor.rcWork.left) left = monitor.rcWork.left;
  SetWindowPos(dialog, nullptr, left, window.top, width + frame, window.bottom - window.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}
