// The system's screen saver settings: on/off, password, timeout and the current saver,
// in the registry (NT family) or system.ini (9x family).
#pragma once

#include <windows.h>

struct SaverInfo;

// One reading of the three mirrored settings.
struct SaverSettingsValues {
  int saverActive;
  int saverTimeout;  // seconds
  int passwordActive;
};

bool operator==(const SaverSettingsValues& a, const SaverSettingsValues& b);

// Any thread: reads the system's values over `values`; a value that cannot be read keeps
// what `values` held. 0 when the key cannot be opened (nothing changed).
int ReadWindowsSaverSettings(SaverSettingsValues* values);
// Main thread only, the one writer of the mirror: stores the values; 1 if any differed.
int ApplyWindowsSaverSettings(const SaverSettingsValues& values);
// A copy of the mirror as it stands.
SaverSettingsValues CurrentSaverSettings();
// Counts the main thread's own loads and saves, so a reading taken on another thread can
// tell whether the main thread has learnt or written anything newer since it began.
unsigned SaverSettingsGeneration();

// Main thread: reads the system's values and applies them.
int LoadWindowsSaverSettings();
// Writes exactly the given values; the second form writes one snapshot of the mirror.
int SaveWindowsSaverSettings(HKEY root, const SaverSettingsValues& values);
int SaveWindowsSaverSettings(HKEY root);
// Main thread: stores the values in the mirror and writes them for the current user.
int StoreWindowsSaverSettings(const SaverSettingsValues& values);
bool GetCurrentSaverPath(char* destination, int length);
SaverInfo* FindCurrentSaver();
// The catalog's saver for a current saver path read before (by full path, else by name).
SaverInfo* FindSaverForPath(const char* current);
int SetCurrentSaver(const char* path, HKEY root = HKEY_CURRENT_USER);
