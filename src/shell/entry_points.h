// The few calls whose effect cannot be observed headlessly go through these replaceable
// entry points, so tests can see their arguments. Each defaults to the real call.
#pragma once

#include <windows.h>
#include <shellapi.h>

using MessageBoxEntryFn = int (*)(HWND owner, const char* text, const char* caption, UINT type);
using ShellExecuteEntryFn = HINSTANCE (*)(HWND owner, const char* verb, const char* file, const char* parameters,
                                          const char* folder, int show);
using CreateProcessEntryFn = BOOL (*)(const char* application, char* commandLine, const char* folder,
                                      STARTUPINFOA* startup, PROCESS_INFORMATION* process);
using ShellNotifyIconEntryFn = BOOL (*)(DWORD message, NOTIFYICONDATAA* data);
using TrackPopupMenuEntryFn = BOOL (*)(HMENU menu, UINT flags, int x, int y, HWND owner);

extern MessageBoxEntryFn MessageBoxEntry;
extern ShellExecuteEntryFn ShellExecuteEntry;
extern CreateProcessEntryFn CreateProcessEntry;
extern ShellNotifyIconEntryFn ShellNotifyIconEntry;
extern TrackPopupMenuEntryFn TrackPopupMenuEntry;

// The real calls, for tests that replace an entry point and want to restore it.
int RealMessageBox(HWND owner, const char* text, const char* caption, UINT type);
HINSTANCE RealShellExecute(HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* folder, int show);
BOOL RealCreateProcess(const char* application, char* commandLine, const char* folder, STARTUPINFOA* startup,
                       PROCESS_INFORMATION* process);
BOOL RealShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data);
BOOL RealTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
