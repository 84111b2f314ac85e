// GetPortableExeDescription: the module description of a 16-bit saver, read from the
// file's own bytes without loading it, and the header check that keeps damaged images
// away from the system's resource readers. The header walks are in the portable core.
#include <windows.h>

#include "catalog/exe_header.h"
#include "catalog/ne_description.h"
#include "catalog/saver_catalog.h"
#include "log/log.h"

bool ReadFileAt(void* context, uint32_t offset, void* buffer, uint32_t size) {
  HANDLE file = static_cast<HANDLE>(context);
  LARGE_INTEGER position;
  position.QuadPart = offset;
  if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) return false;
  DWORD read = 0;
  return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

int ReadSaverHeaders(const char* path, char* destination, int length, ExeKind* kind) {
  if (destination && length > 0) destination[0] = 0;
  if (kind) *kind = ExeKind::kOther;
  if (!path || !*path) return 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    LogMessage(kLogDebugError, "GetPortableExeDescription: Can't open file: %s", path);
    return 0;
  }
  LARGE_INTEGER size;
  if (kind && GetFileSizeEx(file, &size)) *kind = ClassifyExecutable(ReadFileAt, file, static_cast<uint64_t>(size.QuadPart));
  int result = ReadNeDescription(ReadFileAt, file, destination, length);
  CloseHandle(file);
  return result;
}

int GetPortableExeDescription(const char* path, char* destination, int length) {
  return ReadSaverHeaders(path, destination, length, nullptr);
}
