// The image name of another process. Under the UTF-8 code page a folder of 130 non-Latin
// characters already passes 260 bytes, and QueryFullProcessImageNameA fails on a buffer
// too small rather than cut: so the path is asked for in a buffer of the longest size a
// path can have (taken from the heap only when the short one is too small), and only its
// file name is kept.
#include "holdoff/process_image.h"

#include <cstring>
#include <memory>
#include <new>

#include "holdoff/holdoff_rules.h"
#include "shell/text_helpers.h"

namespace {

bool KeepFileName(const char* path, char* name, int size) {
  const char* file = ProgramFileName(path);
  if (static_cast<int>(strlen(file)) >= size) return false;
  CopyText(name, file, size);
  return true;
}

}  // namespace

bool GetProcessFileName(DWORD processId, char* name, int size) {
  if (!name || size <= 0) return false;
  name[0] = 0;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return false;
  bool found = false;
  char path[1024];
  DWORD length = sizeof(path);
  if (QueryFullProcessImageNameA(process, 0, path, &length)) {
    found = KeepFileName(path, name, size);
  } else {  // too small (the emulator reports other errors for that too)
    std::unique_ptr<char[]> longPath(new (std::nothrow) char[kLongPathBytes]);
    length = kLongPathBytes;
    if (longPath && QueryFullProcessImageNameA(process, 0, longPath.get(), &length))
      found = KeepFileName(longPath.get(), name, size);
  }
  CloseHandle(process);
  return found;
}
