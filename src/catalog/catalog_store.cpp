// The catalog cache file: read whole into memory and parsed by the portable reader;
// written whole to a temporary file that then replaces the cache in one move. A file
// larger than any cache the program writes is not read at all.
#include "catalog/catalog_store.h"

#include <shlobj.h>

#include <cstdio>

#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"

namespace {

// 4096 records with texts and a 64 by 64 image stay below it (check marks are smaller).
constexpr LONGLONG kLargestCache = 64ll << 20;

struct FileHandle {
  HANDLE handle;
  explicit FileHandle(HANDLE h) : handle(h) {}
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
};

BITMAPINFO TopDownFormat(int width, int height) {
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  return format;
}

}  // namespace

int GetCatalogCachePath(char* path, int size, bool makeFolder) {
  char folder[kPathSize] = "";
  DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", folder, sizeof(folder));
  if (length == 0 || length >= sizeof(folder)) {
    folder[0] = 0;
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return 0;
  }
  if (!JoinPath(folder, kProductName, sizeof(folder))) return 0;
  if (makeFolder) CreateDirectoryA(folder, nullptr);
  if (!JoinPath(folder, "savers.cache", sizeof(folder))) return 0;
  CopyText(path, folder, size);
  return static_cast<int>(strlen(folder)) < size;
}

int LoadCatalogCache(std::vector<unsigned char>* bytes, SaverCache* cache) {
  *cache = SaverCache{};
  bytes->clear();
  char path[kPathSize];
  if (!GetCatalogCachePath(path, sizeof(path), false)) return 0;
  FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.handle, &size) || size.QuadPart <= 0 || size.QuadPart > kLargestCache) {
    LogMessage(kLogLogOnly, "LoadCatalogCache: %s has an unusable size, ignored", path);
    return 0;
  }
  bytes->resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.handle, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) ||
      read != bytes->size() || !ReadSaverCache(bytes->data(), bytes->size(), cache)) {
    LogMessage(kLogLogOnly, "LoadCatalogCache: %s is damaged or of another version, ignored", path);
    bytes->clear();
    *cache = SaverCache{};
    return 0;
  }
  return 1;
}

int StoreCatalogCache(const SaverCache& cache) {
  std::vector<unsigned char> bytes;
  char path[kPathSize];
  if (!WriteSaverCache(cache, &bytes) || !GetCatalogCachePath(path, sizeof(path), true)) return 0;
  // One temporary name per process: a second start writing at the same time has its own.
  char temporary[kPathSize + 32];
  snprintf(temporary, sizeof(temporary), "%s.%lu.tmp", path, static_cast<unsigned long>(GetCurrentProcessId()));
  bool written = false;
  {
    FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) return 0;
    DWORD done = 0;
    written = WriteFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
              done == bytes.size();
  }
  // Not flushed: a cache that a power cut left incomplete fails its check value and is
  // simply built again.
  if (written && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING)) return 1;
  DeleteFileA(temporary);
  LogMessage(kLogLogOnly, "StoreCatalogCache: cannot write %s (%lu)", path, static_cast<unsigned long>(GetLastError()));
  return 0;
}

bool ReadBitmapPixels(HBITMAP bitmap, int width, int height, std::vector<unsigned char>* pixels) {
  if (!bitmap || width <= 0 || height <= 0 || width > kCacheMaxImageSide || height > kCacheMaxImageSide) return false;
  pixels->assign(4u * static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  BITMAPINFO format = TopDownFormat(width, height);
  HDC dc = GetDC(nullptr);
  int lines = dc ? GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels->data(), &format, DIB_RGB_COLORS) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return lines == height;
}

HBITMAP BitmapFromPixels(HDC dc, int width, int height, const unsigned char* pixels) {
  if (!pixels || width <= 0 || height <= 0) return nullptr;
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  if (!bitmap) return nullptr;
  BITMAPINFO format = TopDownFormat(width, height);
  if (SetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels, &format, DIB_RGB_COLORS) != height) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}
