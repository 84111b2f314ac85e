// The signed update check and the tracked web addresses.
#pragma once

#include <windows.h>

#include "update/update_checker.h"

// What one exchange with the endpoint gave: -1 failed (with its message), 0 up to date,
// 1 a newer version (latestVersion).
struct UpdateCheckOutcome {
  int result = -1;
  const char* failure = nullptr;
  char latestVersion[kLatestVersionSize] = "";
};

// -1: the check failed or another one was running; 0: up to date; 1: a newer version
// was reported (and offered).
int CheckForServerUpdates(bool interactive);
// The same check against a given endpoint address and 128-digit public key.
int CheckForServerUpdatesAt(const char* endpoint, const char* publicKeyHex, bool interactive);
// address?v=<file version>&u=<installation id>; 0 if the result had to be cut.
int BuildTrackedUrl(char* destination, int capacity, const char* address);

// The parts of a check, for a check run on a worker: the exchange shows and logs nothing;
// the outcome is shown (and the web page offered) on the main thread.
void RunUpdateExchange(const char* endpoint, const char* publicKeyHex, UpdateCheckOutcome* outcome);
int ShowUpdateOutcome(const UpdateCheckOutcome& outcome, bool interactive);
// One check at a time in the process: Begin is false while another check runs.
bool BeginUpdateCheck();
void EndUpdateCheck();
bool IsUpdateCheckRunning();

// The menu's check: runs on a worker and ends in OnUpdateCheckDone on the main window.
// False (and nothing started) while the menu's previous check is still running.
bool StartUpdateCheck(HWND window);
bool StartUpdateCheckAt(HWND window, const char* endpoint, const char* publicKeyHex);
void OnUpdateCheckDone(HWND window, LPARAM outcome);
