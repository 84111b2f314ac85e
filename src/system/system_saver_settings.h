// The system's screen saver settings: on/off, password, timeout and the current saver,
// in the registry (NT family) or system.ini (9x family).
#pragma once

#include <windows.h>

struct SaverInfo;

int LoadWindowsSaverSettings();
int SaveWindowsSaverSettings(HKEY root);
bool GetCurrentSaverPath(char* destination, int length);
SaverInfo* FindCurrentSaver();
int SetCurrentSaver(const char* path, HKEY root = HKEY_CURRENT_USER);
