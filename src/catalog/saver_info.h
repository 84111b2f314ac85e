// The record of one screen saver file and the catalog's own operations on records.
#pragma once

#include <windows.h>

struct SaverInfo {
  char* longName;     // the file name as listed; may be null
  char* shortName;    // the 8.3 alias; null when the name already has 8.3 form
  char* fullPath;     // folder + short name (or long name); written to the system setting
  char* folder;       // the search folder, ending in one backslash
  char* displayName;  // shown in menus and tooltips; never null in a finished catalog
  HBITMAP menuBitmap;
  int itemWidth;
  int itemHeight;
};

int DestroySaverInfo(SaverInfo* saver);
int FreeSaverList(SaverInfo* savers, int count);
