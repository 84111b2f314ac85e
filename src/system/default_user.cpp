// Not yet built: default user settings and uninstall arrive with the dialogs work.
#include "system/default_user.h"

int SaveDefaultUserSettings() { return 0; }
int RunElevated(const char*) { return 0; }
int UninstallDozelite() { return 0; }
