// Benchmark of the saver catalog build against the bare system calls it cannot avoid.
// For each count given on the command line it fills a folder with that many copies of
// the sample savers, then times, side by side and best of three:
//   catalog: GetSaverEnumeration over the folder;
//   bare:    one directory listing, and per file LoadLibraryExA as data + LoadStringA(1),
//            ExtractAssociatedIconA and drawing that icon once;
//   cached:  the start-up build of a repeat start, every file unchanged since the
//            catalog cache was written (BuildSaverCatalog using the cache).
// Prints one markdown table row per count for the cold build, then a second table for
// the cached one. Usage: catalog_bench <savers folder> <count>...
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/saver_catalog.h"
#include "log/log.h"
#include "state/app_state.h"

namespace {

const char* const kSamples[] = {"starlight.scr", "aurora.scr", "bubbles.scr", "Lanterns.scr", "plasma.scr"};

double Now() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + "\\" + data.cFileName).c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

bool Fill(const std::string& samples, const std::string& folder, int count) {
  RemoveFolder(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < count; i++) {
    std::string source = samples + "\\" + kSamples[i % 5];
    char name[32];
    snprintf(name, sizeof(name), "\\Saver%04d.scr", i);
    std::string target = folder + name;
    if (!CreateHardLinkA(target.c_str(), source.c_str(), nullptr) && !CopyFileA(source.c_str(), target.c_str(), FALSE))
      return false;
  }
  return true;
}

double TimeCatalog(int expected) {
  double start = Now();
  SaverInfo* savers = nullptr;
  int count = 0;
  GetSaverEnumeration(&savers, &count);
  double elapsed = Now() - start;
  if (count != expected) fprintf(stderr, "catalog holds %d savers, expected %d\n", count, expected);
  FreeSaverList(savers, count);
  return elapsed;
}

double TimeCachedCatalog(int expected) {
  double start = Now();
  SaverInfo* savers = nullptr;
  int count = 0;
  int cached = 0;
  BuildSaverCatalog(AppState.saverpath, true, &savers, &count, &cached);
  double elapsed = Now() - start;
  if (count != expected || cached != expected)
    fprintf(stderr, "catalog holds %d savers, %d from the cache, expected %d\n", count, cached, expected);
  FreeSaverList(savers, count);
  return elapsed;
}

double TimeBareCalls(const std::string& folder, int expected) {
  double start = Now();
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  int iconWidth = GetSystemMetrics(SM_CXICON);
  int iconHeight = GetSystemMetrics(SM_CYICON);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, iconWidth, iconHeight);
  HGDIOBJ old = SelectObject(memory, bitmap);
  std::vector<std::string> files;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.scr").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      files.push_back(folder + "\\" + (data.cAlternateFileName[0] ? data.cAlternateFileName : data.cFileName));
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  for (const std::string& file : files) {
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | DONT_RESOLVE_DLL_REFERENCES);
    if (module) {
      char text[260];
      SetLastError(0);
      LoadStringA(module, 1, text, sizeof(text));
      FreeLibrary(module);
    }
    char path[MAX_PATH];
    lstrcpynA(path, file.c_str(), sizeof(path));
    WORD index = 0;
    HICON icon = ExtractAssociatedIconA(GetModuleHandleA(nullptr), path, &index);
    bool owned = icon && icon != reinterpret_cast<HICON>(1);
    DrawIconEx(memory, 0, 0, owned ? icon : LoadIconA(nullptr, IDI_APPLICATION), iconWidth, iconHeight, 0, nullptr,
               DI_NORMAL);
    if (owned) DestroyIcon(icon);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  double elapsed = Now() - start;
  if (static_cast<int>(files.size()) != expected) fprintf(stderr, "listed %zu files\n", files.size());
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: catalog_bench <savers folder> <count>...\n");
    return 2;
  }
  ResetAppState(GetModuleHandleA(nullptr));
  AppState.osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  GetVersionExA(&AppState.osVersion);
  char temp[MAX_PATH];
  GetTempPathA(sizeof(temp), temp);
  std::string folder = std::string(temp) + "dozelite-catalog-bench";
  std::string log = std::string(temp) + "dozelite-catalog-bench.log";
  InitLog(nullptr, kProductName, log.c_str());
  SetAutoLogToFile(false);
  AppState.saverpath[0] = _strdup(folder.c_str());
  std::string appData = std::string(temp) + "dozelite-catalog-bench-appdata";
  CreateDirectoryA(appData.c_str(), nullptr);
  SetEnvironmentVariableA("LOCALAPPDATA", appData.c_str());
  std::vector<std::string> cachedRows;
  for (int a = 2; a < argc; a++) {
    int count = atoi(argv[a]);
    if (count <= 0 || count > 4096 || !Fill(argv[1], folder, count)) {
      fprintf(stderr, "cannot prepare %s savers\n", argv[a]);
      return 1;
    }
    TimeBareCalls(folder, count);  // warm the file cache
    double catalog = 1e300;
    double bare = 1e300;
    double cached = 1e300;
    for (int round = 0; round < 3; round++) {
      catalog = std::min(catalog, TimeCatalog(count));  // also leaves the cache for the next
      bare = std::min(bare, TimeBareCalls(folder, count));
      cached = std::min(cached, TimeCachedCatalog(count));
    }
    printf("| %d | %.3f | %.3f | %.2f |\n", count, catalog / count, bare / count, catalog / bare);
    fflush(stdout);
    char row[160];
    snprintf(row, sizeof(row), "| %d | %.4f | %.3f | %.3f |", count, cached / count, bare / count, cached / bare);
    cachedRows.push_back(row);
  }
  printf("\n## Saver catalog of a repeat start, from the cache\n\n");
  printf("Every file unchanged since the cache was written; the same bare calls of a cold build, best of three,\n");
  printf("milliseconds per saver; target ratio at most 0.1.\n\n");
  printf("| savers | from the cache ms/saver | bare calls ms/saver | ratio |\n|---|---|---|---|\n");
  for (const std::string& row : cachedRows) printf("%s\n", row.c_str());
  std::string cacheFolder = appData + "\\Dozelite";
  RemoveFolder(cacheFolder);
  RemoveFolder(appData);
  RemoveFolder(folder);
  DeleteFileA(log.c_str());
  return 0;
}
