// Reads FileVersion and LegalCopyright of the string block 040904E4.
#include "shell/version_strings.h"

#include <windows.h>

#include "shell/text_helpers.h"

int GetVersionStrings(char* version, int versionSize, char* notice, int noticeSize) {
  CopyText(version, "", versionSize);
  CopyText(notice, "", noticeSize);
  char path[400] = "";
  GetModuleFileNameA(nullptr, path, sizeof(path));
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return 0;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!memory) return 0;
  void* data = GlobalLock(memory);
  int found = 0;
  if (data && GetFileVersionInfoA(path, 0, size, data)) {
    char* text = nullptr;
    UINT length = 0;
    if (VerQueryValueA(data, "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&text), &length) &&
        text) {
      CopyText(version, text, versionSize);
      found = 1;
    }
    if (VerQueryValueA(data, "\\StringFileInfo\\040904E4\\LegalCopyright", reinterpret_cast<void**>(&text),
                       &length) &&
        text)
      CopyText(notice, text, noticeSize);
  }
  GlobalUnlock(memory);
  GlobalFree(memory);
  return found;
}
