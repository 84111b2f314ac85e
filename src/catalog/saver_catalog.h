// The saver catalog: every *.scr on the search paths as a sorted list of records.
#pragma once

#include "catalog/exe_header.h"
#include "catalog/saver_info.h"

// Builds the catalog from the files and rewrites the catalog cache.
int GetSaverEnumeration(SaverInfo** savers, int* count);
// The catalog of `paths` into *savers / *count (owned by the caller, never published):
// with `useCache`, files unchanged since the cache was written are taken from it
// (*cachedCount of them). The cache is rewritten when anything differs. Safe on a worker
// thread: of AppState it reads only the instance, platform and main window.
int BuildSaverCatalog(char* const* paths, bool useCache, SaverInfo** savers, int* count, int* cachedCount);
// Command 40011: builds a fresh catalog and swaps it into AppState (main thread).
int RefreshSaverList();
int GetPortableExeDescription(const char* path, char* destination, int length);
// GetPortableExeDescription that also tells, from the same open file, what its headers
// say (kOther when it cannot be opened).
int ReadSaverHeaders(const char* path, char* destination, int length, ExeKind* kind);
// The header walks' reader over an open file handle (context): exactly `size` bytes at `offset`.
bool ReadFileAt(void* context, uint32_t offset, void* buffer, uint32_t size);
const char* GetRandomScreenSaver();
int DumpSavers();
