// Default implementations of the replaceable entry points: the real Win32 calls.
#include "shell/entry_points.h"

int RealMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}

HINSTANCE RealShellExecute(HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* folder, int show) {
  return ShellExecuteA(owner, verb, file, parameters, folder, show);
}

BOOL RealCreateProcess(const char* application, char* commandLine, const char* folder, STARTUPINFOA* startup,
                       PROCESS_INFORMATION* process) {
  return CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, startup, process);
}

BOOL RealShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(message, data); }

BOOL RealTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
  return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

MessageBoxEntryFn MessageBoxEntry = RealMessageBox;
ShellExecuteEntryFn ShellExecuteEntry = RealShellExecute;
CreateProcessEntryFn CreateProcessEntry = RealCreateProcess;
ShellNotifyIconEntryFn ShellNotifyIconEntry = RealShellNotifyIcon;
TrackPopupMenuEntryFn TrackPopupMenuEntry = RealTrackPopupMenu;
