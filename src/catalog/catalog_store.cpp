// The catalog cache file: read whole into memory and parsed by the portable reader;
// written whole to a temporary file that then replaces the cache in one move. A file
// larger than any cache the program writes is not read at all (one limit for both).
#include "catalog/catalog_store.h"

#include <shlobj.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "log/log.h"
#include "shell/text_helpers.h"
#include "shell/window_helpers.h"
#include "state/app_state.h"

namespace {

struct FileHandle {
  HANDLE handle;
  explicit FileHandle(HANDLE h) : handle(h) {}
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
};

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

size_t ReadFromFile(void* context, unsigned char* buffer, size_t size) {
  DWORD wanted = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!ReadFile(static_cast<HANDLE>(context), buffer, wanted, &read, nullptr)) return 0;
  return read;
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
  if (!GetFileSizeEx(file.handle, &size) || size.QuadPart <= 0 ||
      static_cast<uint64_t>(size.QuadPart) > kCacheMaxBytes) {
    LogMessage(kLogLogOnly, "LoadCatalogCache: %s has an unusable size, ignored", path);
    return 0;
  }
  if (!LoadSaverCache(static_cast<uint64_t>(size.QuadPart), ReadFromFile, file.handle, bytes, cache)) {
    LogMessage(kLogLogOnly, "LoadCatalogCache: %s is damaged or of another version, ignored", path);
    return 0;
  }
  return 1;
}

// A stamp holds what the folder's listing gives too (the 64-bit identifier, the 32-bit
// volume serial), so that a file stamped alone and one stamped from its folder's listing
// compare equal.
bool ReadSaverFileStamp(const char* path, SaverFileStamp* stamp) {
  *stamp = SaverFileStamp{};
  if (!path) return false;
  FileHandle file(CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.handle, &info)) return false;
  stamp->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp->writeTime =
      (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  stamp->volume = info.dwVolumeSerialNumber;
  stamp->fileIdLow = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  // The change time moves with every write, rename or attribute change, whatever the
  // last-write time was set to afterwards.
  FILE_BASIC_INFO basic;
  if (GetFileInformationByHandleEx(file.handle, FileBasicInfo, &basic, sizeof(basic)))
    stamp->changeTime = static_cast<uint64_t>(basic.ChangeTime.QuadPart);
  return true;
}

// Opening every saver to stamp it costs about a millisecond a file under the emulator
// (four server calls each); the folder's listing with identifiers gives the same fields
// for all its files in a few calls.
bool ReadFolderStamps(const char* folder, FolderStamps* stamps) {
  stamps->clear();
  if (!folder || !folder[0]) return false;
  FileHandle directory(CreateFileA(folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (directory.handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(directory.handle, &info)) return false;
  std::vector<uint64_t> buffer(8192);  // 64 KiB, aligned for the entries
  const size_t bytes = buffer.size() * sizeof(uint64_t);
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  while (GetFileInformationByHandleEx(directory.handle, kind, buffer.data(), static_cast<DWORD>(bytes))) {
    kind = FileIdBothDirectoryInfo;
    size_t offset = 0;
    for (;;) {
      if (offset + sizeof(FILE_ID_BOTH_DIR_INFO) > bytes) return false;
      auto entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(reinterpret_cast<const char*>(buffer.data()) + offset);
      size_t nameBytes = entry->FileNameLength;
      if (offset + offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + nameBytes > bytes) return false;
      if (!(entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && nameBytes > 0) {
        char name[kPathSize];
        int length = WideCharToMultiByte(CP_ACP, 0, entry->FileName, static_cast<int>(nameBytes / sizeof(WCHAR)), name,
                                         sizeof(name) - 1, nullptr, nullptr);
        if (length > 0) {
          name[length] = 0;
          SaverFileStamp stamp = {};
          stamp.size = static_cast<uint64_t>(entry->EndOfFile.QuadPart);
          stamp.writeTime = static_cast<uint64_t>(entry->LastWriteTime.QuadPart);
          stamp.changeTime = static_cast<uint64_t>(entry->ChangeTime.QuadPart);
          stamp.volume = info.dwVolumeSerialNumber;
          stamp.fileIdLow = static_cast<uint64_t>(entry->FileId.QuadPart);
          (*stamps)[name] = stamp;
        }
      }
      if (entry->NextEntryOffset == 0) break;
      offset += entry->NextEntryOffset;
    }
  }
  return GetLastError() == ERROR_NO_MORE_FILES;
}

int StoreCatalogCache(const SaverCache& cache) {
  std::vector<unsigned char> bytes;
  char path[kPathSize];
  if (!GetCatalogCachePath(path, sizeof(path), true)) {
    LogMessage(kLogLogOnly, "StoreCatalogCache: no folder for the cache");
    return 0;
  }
  if (!WriteSaverCache(cache, &bytes)) {
    LogMessage(kLogLogOnly, "StoreCatalogCache: the catalog is beyond what a cache holds, %s not written", path);
    return 0;
  }
  // One temporary name per process: a second start writing at the same time has its own.
  char temporary[kPathSize + 32];
  snprintf(temporary, sizeof(temporary), "%s.%lu.tmp", path, static_cast<unsigned long>(GetCurrentProcessId()));
  bool written = false;
  {
    FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) {
      LogMessage(kLogLogOnly, "StoreCatalogCache: cannot write %s (%lu)", temporary,
                 static_cast<unsigned long>(GetLastError()));
      return 0;
    }
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

HBITMAP BitmapFromCachedImage(HDC dc, const CachedSaver& saver, const CacheDrawing& drawing) {
  int width = 0;
  int height = 0;
  const unsigned char* pixels = CachedImagePixels(saver, drawing, &width, &height);
  if (!pixels) return nullptr;
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  if (!bitmap) return nullptr;
  BITMAPINFO format = TopDownFormat(width, height);
  if (SetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels, &format, DIB_RGB_COLORS) != height) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}
