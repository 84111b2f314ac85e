// Not yet built: the saver context menu arrives with the commands and menu work.
#include "app/saver_context_menu.h"

void ShowSaverContextMenu(HWND, HMENU, UINT) {}
