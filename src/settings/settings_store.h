// The program's own settings under HKEY_CURRENT_USER\Software\Dozelite and the log-on
// "Run" entry.
#pragma once

#include <windows.h>

int LoadSettings();
int SaveSettings();
LONG QueryRegValue(HKEY key, const char* name, DWORD type, void* data, DWORD size);
LONG SaveRegValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size);
bool GetLoadAtStartup(const char* name);
bool SetLoadAtStartup(const char* name, bool on);
