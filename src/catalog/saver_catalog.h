// The saver catalog: every *.scr on the search paths as a sorted list of records.
#pragma once

#include "catalog/saver_info.h"

int GetSaverEnumeration(SaverInfo** savers, int* count);
int GetPortableExeDescription(const char* path, char* destination, int length);
const char* GetRandomScreenSaver();
int DumpSavers();
