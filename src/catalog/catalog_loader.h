// The start-up build of the saver catalog on a worker thread, so the tray icon does not
// wait for it. Everything here but the worker runs on the main thread.
#pragma once

#include <windows.h>

constexpr UINT kCatalogLoadedMessage = WM_APP + 470;  // the worker's list is ready
constexpr DWORD kCatalogWaitMs = 120000;                // the longest start-up waits for it

// Copies the search paths and starts the worker; the catalog counts as loading until
// its list has been swapped into AppState.
void StartSaverCatalogLoad();
bool IsSaverCatalogLoading();
// Waits up to `waitMs` for the worker and swaps its list in: 1 when no load is pending
// any more, 0 when the time ran out (the list then arrives later by message).
int FinishSaverCatalogLoad(DWORD waitMs);
// kCatalogLoadedMessage: swaps the list in and carries out the commands that waited.
void OnSaverCatalogLoaded(HWND window);
// Runs `step` now when no load is pending, else once the list is in (steps in the order
// given, before any command that waited).
void AfterSaverCatalog(void (*step)());
// A command that needs the catalog, arriving while it loads, is kept and posted again
// (with its source) once the list is in: true when `command` was kept.
bool DeferUntilSaverCatalog(int command, LPARAM source);
