// Lists the files matching one mask in every folder of a search path list.
#pragma once

#include <cstdint>

constexpr int kMaxSaverFiles = 4096;  // capacity of one enumeration; never exceeded

struct SaverFileEntry {
  char* longName;   // null when the listing gives an empty name
  char* shortName;  // the 8.3 alias; null when the name has 8.3 form already
  char* folder;     // the search folder with one trailing backslash
  uint64_t size;    // the file's size as listed
  uint64_t writeTime;  // its last-write time as listed (FILETIME units)
};

// 1 and the caller owns *entries (kMaxSaverFiles slots, *count used), or 0 and nothing.
int GetFileEnumeration(char* const* paths, const char* mask, SaverFileEntry** entries, int* count);
void FreeFileEntries(SaverFileEntry* entries, int count);
