// Walks a built menu tree into text, one line per item: the text (or "----"), the
// identifier in brackets for plain items, "[popup]" for submenus, then the marks
// checked, grey, default, bmp (a check or item image is attached), bar (starts a new
// column with a bar) and break (new column without a bar). Submenus follow indented.
#pragma once

#include <windows.h>

#include <string>

inline void DumpMenuInto(HMENU menu, int depth, std::string* out) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; i++) {
    char text[512] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_CHECKMARKS;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) {
      out->append(std::string(depth * 2, ' ') + "<unreadable>\n");
      continue;
    }
    std::string line(depth * 2, ' ');
    if (info.fType & MFT_SEPARATOR) {
      out->append(line + "----\n");
      continue;
    } else {
      line += text;
      line += info.hSubMenu ? " [popup]" : " [" + std::to_string(info.wID) + "]";
    }
    if (info.fState & MFS_CHECKED) line += " checked";
    if (info.fState & MFS_GRAYED) line += " grey";
    if (info.fState & MFS_DEFAULT) line += " default";
    if (info.hbmpChecked || info.hbmpUnchecked) line += " bmp";
    if (info.fType & MFT_MENUBARBREAK) line += " bar";
    if (info.fType & MFT_MENUBREAK) line += " break";
    out->append(line + "\n");
    if (info.hSubMenu) DumpMenuInto(info.hSubMenu, depth + 1, out);
  }
}

inline std::string DumpMenu(HMENU menu) {
  std::string out;
  DumpMenuInto(menu, 0, &out);
  return out;
}

// The dump of the submenu under the item whose text is `title` (searched depth first),
// without its own indentation; empty when there is none.
inline HMENU FindSubmenu(HMENU menu, const char* title) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; i++) {
    char text[512] = "";
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
    HMENU sub = GetSubMenu(menu, i);
    if (!sub) continue;
    if (std::string(text) == title) return sub;
    if (HMENU found = FindSubmenu(sub, title)) return found;
  }
  return nullptr;
}

inline std::string DumpSubmenu(HMENU menu, const char* title) {
  HMENU sub = FindSubmenu(menu, title);
  return sub ? DumpMenu(sub) : std::string();
}
