// Not yet built: the system saver settings arrive with the settings and catalog work.
#include "system/system_saver_settings.h"

int LoadWindowsSaverSettings() { return 0; }
int SaveWindowsSaverSettings(HKEY) { return 0; }
bool GetCurrentSaverPath(char* destination, int length) {
  if (destination && length > 0) destination[0] = 0;
  return false;
}
SaverInfo* FindCurrentSaver() { return nullptr; }
int SetCurrentSaver(const char*, HKEY) { return 0; }
