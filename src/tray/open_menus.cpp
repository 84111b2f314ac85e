// Counts the open menus and holds back a saver list rebuild until none is left. The
// rebuild is posted rather than run when the menu closes: the command chosen in the menu
// is already waiting in the queue and must act on the list the user saw.
#include "tray/open_menus.h"

#include "log/log.h"
#include "state/commands.h"

namespace {

int openMenus = 0;
bool rebuildWaiting = false;

}  // namespace

OpenMenuScope::OpenMenuScope(HWND owner) : window(owner) { openMenus++; }

OpenMenuScope::~OpenMenuScope() {
  if (--openMenus > 0 || !rebuildWaiting) return;
  rebuildWaiting = false;
  PostMessageA(window, WM_COMMAND, kCmdRefreshSavers, kSourceMenu);
}

bool DeferSaverListRebuild() {
  if (openMenus <= 0) return false;
  if (!rebuildWaiting) LogMessage(kLogLogOnly, "RefreshSaverList: waits until the menu has closed");
  rebuildWaiting = true;
  return true;
}
