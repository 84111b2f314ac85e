// The saver catalog: every *.scr on the search paths as a sorted list of records.
#pragma once

#include "catalog/exe_header.h"
#include "catalog/saver_info.h"

int GetSaverEnumeration(SaverInfo** savers, int* count);
// Command 40011: builds a fresh catalog and swaps it into AppState under the tray lock.
int RefreshSaverList();
int GetPortableExeDescription(const char* path, char* destination, int length);
// What the file's headers say; kOther also when it cannot be opened.
ExeKind ClassifySaverFile(const char* path);
const char* GetRandomScreenSaver();
int DumpSavers();
