// The tray menu's layout: its own items and where each part hangs. Command 40003 shows
// the menu kept from the last opening: a part whose key is unchanged is shown again as
// it is, any other is built afresh in its place, and the saver lists are always built
// afresh. Under the emulator every submenu handle costs a round trip to its server, and
// the parts that never change are most of the menu.
#include <cstdio>
#include <cstring>

#include "language/text.h"
#include "language/translate.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "tray/holdoff_menu.h"
#include "tray/open_menus.h"
#include "tray/tray_menu.h"
#include "tray/tray_menu_parts.h"

namespace {

enum PartIndex { kPartScreenSaver, kPartPassword, kPartWait, kPartDisable, kPartHoldOff, kPartPower, kPartSettings,
                 kPartHelp, kPartCount };

HMENU BuildHoldOffPart(const MenuContext&) { return BuildHoldOffMenu(); }
void HoldOffPartKey(const MenuContext&, char* key, int size) { HoldOffMenuKey(key, size); }
bool NeverGreyed(const MenuContext&) { return false; }
bool GreyedWithoutSaver(const MenuContext& context) { return !context.saverSet; }

struct PartKind {
  const char* title;
  HMENU (*build)(const MenuContext& context);
  void (*key)(const MenuContext& context, char* key, int size);
  bool (*greyed)(const MenuContext& context);
};

// The titles are shown through Tr.
constexpr PartKind kParts[kPartCount] = {
    {TrNoop("&Screen Saver"), BuildScreenSaverMenu, ScreenSaverPartKey, NeverGreyed},
    {TrNoop("&Password"), BuildPasswordMenu, PasswordPartKey, GreyedWithoutSaver},
    {TrNoop("&Wait Before Activation"), BuildWaitMenu, WaitPartKey, NeverGreyed},
    {TrNoop("&Disable Saver During Next"), BuildDisableMenu, DisablePartKey, NeverGreyed},
    {TrNoop("Hold O&ff"), BuildHoldOffPart, HoldOffPartKey, NeverGreyed},
    {TrNoop("Monitor Po&wer"), BuildPowerMenu, PowerPartKey, NeverGreyed},
    {TrNoop("Se&ttings"), BuildSettingsMenu, SettingsPartKey, NeverGreyed},
    {TrNoop("&Help"), BuildHelpMenu, HelpPartKey, NeverGreyed},
};

// Where a part hangs in the tree, and the key it was built with.
struct PlacedPart {
  HMENU parent;  // null: not in this layout
  int position;
  char key[kMenuKeySize];
};

struct TrayMenuTree {
  HMENU top;
  char layoutKey[64];  // what decides the layout itself, the language in use among it
  PlacedPart parts[kPartCount];
};

TrayMenuTree kept;
bool keptIsShown = false;
bool forgetOnClose = false;

void LayoutKey(char* key, int size) {
  snprintf(key, static_cast<size_t>(size), "%d %d %d %d", IsLegacyWindows(), IsNtPlatform(),
           AppState.osVersion.dwMajorVersion < 6, CurrentLanguage());
}

void AppendPart(TrayMenuTree* tree, int index, HMENU parent, const MenuContext& context) {
  const PartKind& kind = kParts[index];
  PlacedPart& part = tree->parts[index];
  kind.key(context, part.key, sizeof(part.key));
  part.parent = parent;
  part.position = GetMenuItemCount(parent);
  AppendSubmenu(parent, kind.build(context), Tr(kind.title), kind.greyed(context));
}

// True when the part was built afresh.
bool RefreshPart(TrayMenuTree* tree, int index, const MenuContext& context) {
  const PartKind& kind = kParts[index];
  PlacedPart& part = tree->parts[index];
  if (!part.parent) return false;
  char key[kMenuKeySize];
  kind.key(context, key, sizeof(key));
  if (strcmp(key, part.key) == 0) return false;
  ReplaceSubmenu(part.parent, part.position, kind.build(context), Tr(kind.title), kind.greyed(context));
  CopyText(part.key, key, sizeof(part.key));
  return true;
}

void SetRunItem(HMENU top, const MenuContext& context) {
  EnableMenuItem(top, kCmdRunSaverNow, MF_BYCOMMAND | (context.saverSet ? MF_ENABLED : MF_GRAYED));
}

HMENU LayOutTrayMenu(TrayMenuTree* tree, const MenuContext& context) {
  *tree = TrayMenuTree{};
  LayoutKey(tree->layoutKey, sizeof(tree->layoutKey));
  HMENU top = CreatePopupMenu();
  tree->top = top;
  AppendItem(top, kCmdRunSaverNow, Tr("&Run Saver Now!"));
  SetMenuDefaultItem(top, kCmdRunSaverNow, FALSE);
  SetRunItem(top, context);
  AppendSeparator(top);

  AppendPart(tree, kPartScreenSaver, top, context);
  AppendPart(tree, kPartPassword, top, context);
  HMENU timeout = CreatePopupMenu();
  AppendPart(tree, kPartWait, timeout, context);
  AppendPart(tree, kPartDisable, timeout, context);
  AppendSubmenu(top, timeout, Tr("Time&out"));
  AppendPart(tree, kPartHoldOff, top, context);
  if (!IsLegacyWindows()) AppendPart(tree, kPartPower, top, context);

  AppendSeparator(top);
  AppendItem(top, kCmdDisplayProperties,
             AppState.osVersion.dwMajorVersion < 6 ? Tr("&Display Properties...") : Tr("Screen Saver Settin&gs..."));
  AppendSeparator(top);
  AppendPart(tree, kPartSettings, top, context);
  AppendPart(tree, kPartHelp, top, context);
  AppendSeparator(top);
  AppendItem(top, kCmdExit, Tr("E&xit"));
  return top;
}

}  // namespace

HMENU BuildTrayMenu(HWND, UINT flags, const MenuScreen& screen) {
  LogMessage(kLogLogOnly, "Menu");
  char currentPath[kPathSize] = "";
  MenuContext context = ReadMenuContext(flags, screen, currentPath, sizeof(currentPath));
  TrayMenuTree tree;
  HMENU top = LayOutTrayMenu(&tree, context);
  MarkPolicyItems(top);
  return top;
}

HMENU PrepareTrayMenu(HWND, UINT flags, const MenuScreen& screen) {
  LogMessage(kLogLogOnly, "Menu");
  char currentPath[kPathSize] = "";
  MenuContext context = ReadMenuContext(flags, screen, currentPath, sizeof(currentPath));
  char layoutKey[sizeof(kept.layoutKey)];
  LayoutKey(layoutKey, sizeof(layoutKey));
  if (kept.top && strcmp(layoutKey, kept.layoutKey) != 0) ForgetTrayMenu();
  if (!kept.top) {
    HMENU top = LayOutTrayMenu(&kept, context);
    MarkPolicyItems(top);
    return top;
  }

  SetRunItem(kept.top, context);
  for (int index = 0; index < kPartCount; index++) {
    bool rebuilt = RefreshPart(&kept, index, context);
    const PlacedPart& part = kept.parts[index];
    if (index == kPartScreenSaver && !rebuilt && part.parent)
      RefreshSaverLists(GetSubMenu(part.parent, part.position), context);
  }
  MarkPolicyItems(kept.top);
  return kept.top;
}

void ForgetTrayMenu() {
  if (keptIsShown) {
    forgetOnClose = true;
    return;
  }
  if (kept.top) DestroyMenu(kept.top);
  kept = TrayMenuTree{};
  forgetOnClose = false;
}

int ShowTrayMenu(HWND window, UINT flags) {
  // A menu asked for while the kept one is open (a hot key in its loop) is built apart,
  // so the open one is not changed under the user.
  bool apart = keptIsShown;
  MenuScreen screen = GetMenuScreen();
  HMENU menu = apart ? BuildTrayMenu(window, flags, screen) : PrepareTrayMenu(window, flags, screen);
  int result = 0;
  // Without the foreground the menu would not close when the user clicks elsewhere.
  if (SetForegroundWindow(window)) {
    OpenMenuScope open(window);
    if (!apart) keptIsShown = true;
    result = TrackPopupMenuEntry(menu, 0, AppState.clickPoint.x, AppState.clickPoint.y, window);
    if (!apart) keptIsShown = false;
  }
  PostMessageA(window, WM_NULL, 0, 0);
  if (apart) DestroyMenu(menu);
  if (forgetOnClose) ForgetTrayMenu();
  return result;
}
