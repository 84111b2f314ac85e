// Counts the open menus and holds back a saver list rebuild until none is left. The
// rebuild is posted rather than run when the menu closes: the command chosen in the menu
// is already waiting in the queue and must act on the list the user saw.
//
// While menus are open, the Applications key or Shift+F10 on a highlighted saver opens
// that saver's own menu, as a right click does: a message filter of the menu loop sees
// the key, and the owner's WM_MENUSELECT told which item is highlighted.
#include "tray/open_menus.h"

#include "tray/saver_context_menu.h"
#include "log/log.h"
#include "state/commands.h"

namespace {

int openMenus = 0;
bool rebuildWaiting = false;

HHOOK menuKeyHook = nullptr;
HWND menuOwner = nullptr;
HMENU highlightedMenu = nullptr;
UINT highlightedCommand = 0;

bool IsContextMenuKey(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  return message.wParam == VK_APPS || (message.wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0);
}

LRESULT CALLBACK MenuKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_MENU && message && IsContextMenuKey(*message) && OpenHighlightedSaverMenu()) return TRUE;
  return CallNextHookEx(menuKeyHook, code, wParam, lParam);
}

}  // namespace

void NoteMenuSelect(HMENU menu, UINT item, UINT flags) {
  bool command = menu && flags != 0xFFFF && !(flags & (MF_POPUP | MF_SEPARATOR));
  highlightedMenu = command ? menu : nullptr;
  highlightedCommand = command ? item : 0;
}

bool OpenHighlightedSaverMenu() {
  if (!highlightedMenu || !menuOwner) return false;
  int count = GetMenuItemCount(highlightedMenu);
  for (int position = 0; position < count; position++) {
    if (GetMenuItemID(highlightedMenu, position) != highlightedCommand) continue;
    RECT item = {};
    POINT at = {0, 0};
    if (GetMenuItemRect(nullptr, highlightedMenu, static_cast<UINT>(position), &item)) at = POINT{item.left, item.bottom};
    ShowSaverContextMenu(menuOwner, highlightedMenu, static_cast<UINT>(position), &at);
    return true;
  }
  return false;
}

OpenMenuScope::OpenMenuScope(HWND owner) : window(owner) {
  if (openMenus++ == 0) {
    menuOwner = owner;
    highlightedMenu = nullptr;
    menuKeyHook = SetWindowsHookExA(WH_MSGFILTER, MenuKeyFilter, nullptr, GetCurrentThreadId());
  }
}

OpenMenuScope::~OpenMenuScope() {
  if (openMenus == 1) {
    if (menuKeyHook) UnhookWindowsHookEx(menuKeyHook);
    menuKeyHook = nullptr;
    menuOwner = nullptr;
    highlightedMenu = nullptr;
  }
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
