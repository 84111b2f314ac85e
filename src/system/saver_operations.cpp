// Not yet built: the saver operations arrive with the commands and menu work.
#include "system/saver_operations.h"

#include "log/log.h"

int RunSaverFile(const char*, const char*) { return 0; }
int LaunchScreenSaver() {
  LogMessage(kLogLogOnly, "LaunchScreenSaver");
  return 0;
}
int ConfigureScreenSaver(const char*) { return 0; }
int ChangePassword(const char*) { return 0; }
int EnableSaver(bool) { return 0; }
int EnablePassword(bool) { return 0; }
int DisableSaverTimeout(int) { return 1; }
int SetRandomSaverOnActivate(bool) { return 1; }
int SetPowerMode(int) { return 0; }
