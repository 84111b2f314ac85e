// GetFileEnumeration: one directory listing per search folder, in list order, keeping
// the listing's own order within a folder. No sorting and no de-duplication: a folder
// listed twice yields its files twice. The extension filter drops files that the system
// matched only through their 8.3 alias (Picture.scrap listed for "*.scr").
#include "catalog/file_enumeration.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "catalog/saver_names.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"

void FreeFileEntries(SaverFileEntry* entries, int count) {
  if (!entries) return;
  for (int i = 0; i < count; i++) {
    free(entries[i].longName);
    free(entries[i].shortName);
    free(entries[i].folder);
  }
  free(entries);
}

static char* CopyOrNull(const char* text) { return IsEmptyText(text) ? nullptr : DuplicateText(text); }

// The search text "<folder>\<mask>" and the entries' folder "<folder>\"; false when
// either would not fit a path buffer.
static bool BuildSearchText(const char* folder, const char* mask, char* search, char* withSlash) {
  size_t length = strlen(folder);
  bool ends = length > 0 && folder[length - 1] == '\\';
  size_t folderLength = length + (ends ? 0 : 1);
  if (folderLength + strlen(mask) + 1 > static_cast<size_t>(kPathSize)) return false;
  memcpy(withSlash, folder, length);
  if (!ends) withSlash[length] = '\\';
  withSlash[folderLength] = 0;
  CopyText(search, withSlash, kPathSize);
  AppendText(search, mask, kPathSize);
  return true;
}

static bool PassesFilter(const WIN32_FIND_DATAA& data, const char* filter) {
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  if (!filter) return true;
  char extension[kPathSize];
  GetFileExtension(data.cFileName, extension, sizeof(extension));
  return CompareDisplayNames(extension, filter) == 0;
}

int GetFileEnumeration(char* const* paths, const char* mask, SaverFileEntry** entries, int* count) {
  if (!paths || !count || !entries || IsEmptyText(mask)) return 0;
  SaverFileEntry* list = static_cast<SaverFileEntry*>(calloc(kMaxSaverFiles, sizeof(SaverFileEntry)));
  if (!list) {
    LogMessage(kLogError, TrNoop("GetFileEnumeration: Memory Allocation Error"));
    return 0;
  }
  char extension[kPathSize];
  GetFileExtension(mask, extension, sizeof(extension));
  size_t extensionLength = strlen(extension);
  const char* filter = (extensionLength > 0 && extension[extensionLength - 1] == '*') ? nullptr : extension;

  int used = 0;
  for (int p = 0; p < kMaxSaverPaths && paths[p]; p++) {
    char search[kPathSize];
    char folder[kPathSize];
    WIN32_FIND_DATAA data;
    bool fits = BuildSearchText(paths[p], mask, search, folder);
    HANDLE find = fits ? FindFirstFileA(search, &data) : INVALID_HANDLE_VALUE;
    if (find == INVALID_HANDLE_VALUE) {
      LogMessage(kLogLogOnly, "GetFileEnumeration: mask=%s, no files found", fits ? search : paths[p]);
      continue;
    }
    bool copyFailed = false;
    bool full = false;
    for (;;) {
      if (PassesFilter(data, filter)) {
        if (used >= kMaxSaverFiles) {
          full = true;  // one more match than fits: the list is cut at its capacity
          break;
        }
        SaverFileEntry& entry = list[used];
        entry.longName = CopyOrNull(data.cFileName);
        entry.shortName = CopyOrNull(data.cAlternateFileName);
        entry.folder = DuplicateText(folder);
        entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entry.writeTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
        used++;
        if ((!entry.longName && data.cFileName[0]) || (!entry.shortName && data.cAlternateFileName[0]) ||
            !entry.folder) {
          copyFailed = true;
          break;
        }
      }
      if (!FindNextFileA(find, &data)) break;
    }
    DWORD error = (copyFailed || full) ? (full ? ERROR_NO_MORE_FILES : ERROR_NOT_ENOUGH_MEMORY) : GetLastError();
    FindClose(find);
    LogMessage(kLogLogOnly, "GetFileEnumeration: mask=%s, totalCount=%d", search, used);
    if (error != ERROR_NO_MORE_FILES) {
      FreeFileEntries(list, used);
      return 0;
    }
    if (full) {
      LogMessage(kLogLogOnly, "GetFileEnumeration: more than %d files, the rest is not listed", kMaxSaverFiles);
      break;
    }
  }
  *entries = list;
  *count = used;
  return 1;
}
