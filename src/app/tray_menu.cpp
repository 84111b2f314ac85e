// Not yet built: the tray menu arrives with the commands and menu work.
#include "app/tray_menu.h"

#include "log/log.h"

void ShowTrayMenu(HWND, UINT flags) { LogMessage(kLogLogOnly, "ShowTrayMenu: flags %d", static_cast<int>(flags)); }
