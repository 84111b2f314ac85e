// The start-up build of the saver catalog on a worker thread, so the tray icon does not
// wait for it. Everything here but the worker runs on the main thread.
#pragma once

#include <windows.h>

constexpr UINT kCatalogLoadedMessage = WM_APP + 470;  // the worker's list is ready
constexpr DWORD kCatalogWaitMs = 120000;                // the longest start-up waits for it

// Copies the search paths; the catalog counts as loading from now until its list has
// been swapped into AppState.
void StartSaverCatalogLoad();
// Starts the worker of a pending load (once); waiting for the list starts it as well.
void LaunchSaverCatalogLoad();
bool IsSaverCatalogLoading();
// A run that ends without having needed the list: a load whose worker never started is
// dropped (true); false when a worker runs, which FinishSaverCatalogLoad then awaits.
bool DropSaverCatalogLoad();
// Waits up to `waitMs` for the worker and swaps its list in: 1 when no load is pending
// any more, 0 when the time ran out (the list then arrives later by message).
int FinishSaverCatalogLoad(DWORD waitMs);
// kCatalogLoadedMessage, and once the tray icon is shown: launches the worker if need
// be; once its list is ready, swaps it in and carries out the commands that waited.
void OnSaverCatalogLoaded(HWND window);
// Runs `step` now when no load is pending, else once the list is in (steps in the order
// given, before any command that waited).
void AfterSaverCatalog(void (*step)());
// A command that needs the catalog, arriving while it loads, is kept and posted again
// (with its source) once the list is in: true when `command` was kept.
bool DeferUntilSaverCatalog(int command, LPARAM source);
