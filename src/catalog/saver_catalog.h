// The saver catalog: every *.scr on the search paths as a sorted list of records.
#pragma once

#include "catalog/exe_header.h"
#include "catalog/saver_info.h"

int GetSaverEnumeration(SaverInfo** savers, int* count);
// Command 40011: builds a fresh catalog and swaps it into AppState under the tray lock.
int RefreshSaverList();
int GetPortableExeDescription(const char* path, char* destination, int length);
// GetPortableExeDescription that also tells, from the same open file, what its headers
// say (kOther when it cannot be opened).
int ReadSaverHeaders(const char* path, char* destination, int length, ExeKind* kind);
const char* GetRandomScreenSaver();
int DumpSavers();
