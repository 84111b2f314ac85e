// Drives a real modal dialog from a second thread: the test thread runs the dialog,
// the driver waits for its window by title, then sets fields and presses buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <cstdint>
#include <vector>

// Waits until a dialog window ("#32770") with exactly this title exists; with a null title,
// until any dialog of this process is visible (titles change with the language).
HWND WaitForDialog(const char* title, DWORD timeoutMs = 5000);
// Waits until a visible dialog window owned by `owner` exists: a dialog opened from it.
HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs = 5000);

struct DriveResult {
  INT_PTR result = -1;  // what `open` returned
  bool found = false;   // the driver saw the dialog
  bool closed = true;   // the dialog was gone when the driver finished (else it was cancelled)
};

// Runs `open` (which shows the dialog modally) on this thread while `drive` runs on a
// second thread with the dialog's window once it appears. A dialog still open after
// `drive` returned is cancelled, so a failing test never hangs.
DriveResult DriveDialog(const char* title, const std::function<INT_PTR()>& open,
                        const std::function<void(HWND)>& drive);

// Presses a button: WM_COMMAND with the id, sent so that it is finished on return.
void PressButton(HWND dialog, int id);
std::string GetItemText(HWND dialog, int id);

// Waits until the window is gone.
bool WaitGone(HWND window, DWORD timeoutMs = 3000);

// Saves the window's pixels from the screen as build/screenshots/<name>.png.
bool SaveScreenshot(HWND window, const char* name);
// Saves an area of the screen the same way.
bool SaveScreenArea(RECT area, const char* name);
// The screen's pixels in `area` as 32-bit BGRA rows, top-down; empty when none were read.
std::vector<uint8_t> ScreenPixels(RECT area);
// The same, written to `path` (its folder must exist).
bool SaveScreenAreaTo(RECT area, const std::string& path);

// Popup menus on the screen: the visible menu windows, a wait until `count` are open (5 s
// at most), and a key press posted to one (with time for the menu to act on it).
std::vector<HWND> MenuWindows();
bool WaitMenus(size_t count);
void PressKey(HWND menuWindow, UINT key);
