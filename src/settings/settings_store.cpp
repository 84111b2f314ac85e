// Not yet built: the settings store arrives with the settings and catalog work. Until
// then the program runs on its defaults and saves nothing.
#include "settings/settings_store.h"

int LoadSettings() { return 0; }
int SaveSettings() { return 0; }
LONG QueryRegValue(HKEY, const char*, DWORD, void*, DWORD) { return ERROR_CALL_NOT_IMPLEMENTED; }
LONG SaveRegValue(HKEY, const char*, DWORD, const void*, DWORD) { return ERROR_CALL_NOT_IMPLEMENTED; }
bool GetLoadAtStartup(const char*) { return false; }
bool SetLoadAtStartup(const char*, bool) { return false; }
