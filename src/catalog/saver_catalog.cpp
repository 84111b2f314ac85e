// The saver catalog: every *.scr of the search paths as one record with its display
// name, full path and menu bitmap, sorted by display name and kept in AppState. Only the
// main thread replaces the list and only the main thread reads it, so it needs no lock.
// Each build also leaves what it learnt in the catalog cache; a build that may use the
// cache takes every file whose path and stamp (size, last-write and change times, volume
// and file identifier) are unchanged from it without loading the file, and rewrites the
// cache only when something differs. The cache is keyed by everything the names and
// images depend on: the menu metrics and font, the display language and the code page.
#include "catalog/saver_catalog.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "catalog/catalog_cache.h"
#include "catalog/catalog_loader.h"
#include "catalog/catalog_store.h"
#include "catalog/file_enumeration.h"
#include "catalog/saver_names.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"

namespace {

constexpr UINT kNonClientMetricsSize = 344;  // the structure with its padded border width
static_assert(sizeof(NONCLIENTMETRICSA) >= kNonClientMetricsSize);

// The GDI objects one build draws with, created once and released on every path.
struct DrawingTools {
  HWND window = nullptr;
  HDC windowDc = nullptr;
  HDC iconDc = nullptr;    // holds the icon-size bitmap and the menu font
  HDC bitmapDc = nullptr;  // receives each record's check-mark-size bitmap
  HBITMAP iconBitmap = nullptr;
  HGDIOBJ oldIconBitmap = nullptr;
  HFONT font = nullptr;
  HGDIOBJ oldFont = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HBRUSH menuBrush = nullptr;
  int checkWidth = 0;
  int checkHeight = 0;
  int iconWidth = 0;
  int iconHeight = 0;
};

void PrepareMemoryDc(HDC dc, HDC model) {
  SetMapMode(dc, GetMapMode(model));
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
}

void OpenDrawingTools(DrawingTools* tools) {
  if (IsNtPlatform()) {
    LONG dimensions = GetMenuCheckMarkDimensions();
    tools->checkWidth = LOWORD(dimensions);
    tools->checkHeight = HIWORD(dimensions);
  } else {
    tools->checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
    tools->checkHeight = GetSystemMetrics(SM_CYMENUCHECK);
  }
  tools->iconWidth = GetSystemMetrics(SM_CXICON);
  tools->iconHeight = GetSystemMetrics(SM_CYICON);
  tools->menuBrush = GetSysColorBrush(COLOR_MENU);
  tools->window = AppState.mainWindow;
  tools->windowDc = GetDC(tools->window);
  tools->iconDc = CreateCompatibleDC(tools->windowDc);
  tools->bitmapDc = CreateCompatibleDC(tools->windowDc);
  if (tools->iconDc) PrepareMemoryDc(tools->iconDc, tools->windowDc);
  if (tools->bitmapDc) PrepareMemoryDc(tools->bitmapDc, tools->windowDc);
  tools->iconBitmap = CreateCompatibleBitmap(tools->windowDc, tools->iconWidth, tools->iconHeight);
  if (tools->iconDc && tools->iconBitmap) tools->oldIconBitmap = SelectObject(tools->iconDc, tools->iconBitmap);
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = kNonClientMetricsSize;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0))
    tools->font = CreateFontIndirectA(&metrics.lfMenuFont);
  if (tools->iconDc && tools->font) tools->oldFont = SelectObject(tools->iconDc, tools->font);
}

// What the images and item sizes were made with: the cache is of no use under others.
CacheDrawing DrawingKey(const DrawingTools& tools) {
  CacheDrawing key = {};
  key.checkWidth = static_cast<uint32_t>(tools.checkWidth);
  key.checkHeight = static_cast<uint32_t>(tools.checkHeight);
  key.iconWidth = static_cast<uint32_t>(tools.iconWidth);
  key.iconHeight = static_cast<uint32_t>(tools.iconHeight);
  key.menuColor = GetSysColor(COLOR_MENU);
  LOGFONTA font = {};
  if (tools.font) GetObjectA(tools.font, sizeof(font), &font);
  int depth = tools.windowDc ? GetDeviceCaps(tools.windowDc, BITSPIXEL) : 0;
  std::vector<unsigned char> style(reinterpret_cast<const unsigned char*>(&font),
                                   reinterpret_cast<const unsigned char*>(&font) + sizeof(font));
  style.push_back(static_cast<unsigned char>(depth));
  key.fontKey = SaverCacheChecksum(style.data(), style.size());
  key.platform = IsNtPlatform() ? 2u : 1u;
  key.uiLanguage = GetUserDefaultUILanguage();
  key.codePage = GetACP();
  return key;
}

void CloseDrawingTools(DrawingTools* tools) {
  if (tools->iconDc) {
    if (tools->oldFont) SelectObject(tools->iconDc, tools->oldFont);
    if (tools->oldIconBitmap) SelectObject(tools->iconDc, tools->oldIconBitmap);
    DeleteDC(tools->iconDc);
  }
  if (tools->font) DeleteObject(tools->font);
  if (tools->iconBitmap) DeleteObject(tools->iconBitmap);
  if (tools->bitmapDc) DeleteDC(tools->bitmapDc);
  if (tools->windowDc) ReleaseDC(tools->window, tools->windowDc);
}

// What the headers of a module loaded as data say. Such a module is a read-only view
// of the file; the reads stay inside the view and the sections are checked against the
// file's listed size.
ExeKind ClassifyModule(HMODULE module, uint64_t fileSize) {
  const unsigned char* base =
      reinterpret_cast<const unsigned char*>(reinterpret_cast<ULONG_PTR>(module) & ~static_cast<ULONG_PTR>(3));
  MEMORY_BASIC_INFORMATION region;
  if (!VirtualQuery(base, &region, sizeof(region)) || region.State != MEM_COMMIT) return ExeKind::kDamaged;
  size_t available = region.RegionSize - static_cast<size_t>(base - static_cast<const unsigned char*>(region.BaseAddress));
  return ClassifyExecutableImage(base, available, fileSize);
}

// From the string resource 1 (NT family), the 16-bit module description, or the file
// name. On the way it learns from the file's headers whether the file is damaged, so
// that neither the string nor the icon reader of the system ever sees such a file.
char* FindDisplayName(const SaverInfo& saver, uint64_t fileSize, ExeKind* kind) {
  char name[kPathSize] = "";
  *kind = ExeKind::kOther;
  if (saver.fullPath && IsNtPlatform()) {
    HMODULE module = LoadLibraryExA(saver.fullPath, nullptr, LOAD_LIBRARY_AS_DATAFILE | DONT_RESOLVE_DLL_REFERENCES);
    if (module) {
      *kind = ClassifyModule(module, fileSize);
      bool taken = false;
      if (*kind != ExeKind::kDamaged) {
        SetLastError(0);  // LoadStringA leaves an earlier error in place when it succeeds
        int length = LoadStringA(module, 1, name, sizeof(name));
        // A name longer than the buffer ends before the character that did not fit.
        if (length >= static_cast<int>(sizeof(name)) - 1)
          name[Utf8CutLength(name, static_cast<int>(strlen(name)))] = 0;
        taken = length > 0 && GetLastError() == 0 && name[0];
      }
      FreeLibrary(module);
      if (taken) return DuplicateText(name);
    }
  }
  if (saver.fullPath) {
    char description[kPathSize];
    ExeKind fileKind = ExeKind::kOther;
    int read = ReadSaverHeaders(saver.fullPath, description, sizeof(description), &fileKind);
    if (*kind != ExeKind::kDamaged) *kind = fileKind;
    if (read && description[0] && DescriptionDisplayName(description, name, sizeof(name))) return DuplicateText(name);
  }
  FileDisplayName(saver.longName, saver.shortName, name, sizeof(name));
  return DuplicateText(name);
}

HICON ExtractSaverIcon(const char* fullPath, bool damaged, bool* owned) {
  *owned = false;
  if (fullPath && !damaged) {
    char buffer[MAX_PATH];  // ExtractAssociatedIconA may write its own path into it
    CopyText(buffer, fullPath, sizeof(buffer));
    WORD index = 0;
    HICON icon = ExtractAssociatedIconA(AppState.instance, buffer, &index);
    if (icon && icon != reinterpret_cast<HICON>(1)) {
      *owned = true;
      return icon;
    }
  }
  return LoadIconA(nullptr, IDI_APPLICATION);
}

void DrawMenuBitmap(DrawingTools* tools, SaverInfo* saver, bool damaged) {
  bool owned = false;
  HICON icon = ExtractSaverIcon(saver->fullPath, damaged, &owned);
  HBITMAP bitmap = CreateCompatibleBitmap(tools->windowDc, tools->checkWidth, tools->checkHeight);
  tools->oldBitmap = bitmap ? SelectObject(tools->bitmapDc, bitmap) : nullptr;
  if (!DrawIconEx(tools->iconDc, 0, 0, icon, tools->iconWidth, tools->iconHeight, 0, tools->menuBrush, DI_NORMAL))
    LogMessage(kLogDebugError, "GetSaverEnumeration: Error drawing icon, filename=%s",
               saver->fullPath ? saver->fullPath : "{NULL}");
  if (bitmap) {
    StretchBlt(tools->bitmapDc, 0, 0, tools->checkWidth, tools->checkHeight, tools->iconDc, 0, 0, tools->iconWidth,
               tools->iconHeight, SRCCOPY);
    SelectObject(tools->bitmapDc, tools->oldBitmap);
  }
  if (owned) DestroyIcon(icon);
  saver->menuBitmap = bitmap;
}

void MeasureItem(DrawingTools* tools, SaverInfo* saver) {
  SIZE size = {0, 0};
  GetTextExtentPoint32A(tools->iconDc, saver->displayName, static_cast<int>(strlen(saver->displayName)), &size);
  saver->itemWidth = size.cx + 3 * tools->checkWidth;
  saver->itemHeight = size.cy;
}

char* BuildFullPath(const char* folder, const char* shortName, const char* longName) {
  const char* name = !IsEmptyText(shortName) ? shortName : !IsEmptyText(longName) ? longName : nullptr;
  if (!name || !folder) return nullptr;
  size_t folderLength = strlen(folder);
  size_t nameLength = strlen(name);
  char* path = static_cast<char*>(malloc(folderLength + nameLength + 1));
  if (!path) return nullptr;
  memcpy(path, folder, folderLength);
  memcpy(path + folderLength, name, nameLength + 1);
  return path;
}

// Records without a display name (only after an allocation failure) are destroyed and
// the last record takes their place.
void DropNameless(SaverInfo* savers, int* count) {
  for (int i = 0; i < *count;) {
    if (savers[i].displayName) {
      i++;
      continue;
    }
    DestroySaverInfo(&savers[i]);
    savers[i] = savers[*count - 1];
    savers[*count - 1] = SaverInfo{};
    (*count)--;
  }
}

bool SortByDisplayName(SaverInfo* savers, int count) {
  std::vector<const char*> names(static_cast<size_t>(count));
  std::vector<int> order(static_cast<size_t>(count));
  std::vector<SaverInfo> sorted(static_cast<size_t>(count));
  for (int i = 0; i < count; i++) names[i] = savers[i].displayName;
  if (!OrderByDisplayName(names.data(), count, order.data())) return false;
  for (int i = 0; i < count; i++) sorted[i] = savers[order[i]];
  for (int i = 0; i < count; i++) savers[i] = sorted[i];
  return true;
}

// The record as the cache keeps it; false when its image cannot be read back.
bool ToCachedSaver(const SaverInfo& saver, const SaverFileStamp& stamp, const DrawingTools& tools,
                   std::vector<unsigned char>* pixels, CachedSaver* cached) {
  *cached = CachedSaver{saver.fullPath, stamp, saver.displayName, saver.itemWidth, saver.itemHeight, 0, 0, nullptr};
  if (!saver.menuBitmap) return true;
  if (!ReadBitmapPixels(saver.menuBitmap, tools.checkWidth, tools.checkHeight, pixels)) return false;
  cached->imageWidth = static_cast<uint16_t>(tools.checkWidth);
  cached->imageHeight = static_cast<uint16_t>(tools.checkHeight);
  cached->pixels = pixels->data();
  return true;
}

// Records of files whose stamp could not be read are left out: nothing would find them.
void WriteCache(const SaverInfo* list, int count, const std::vector<SaverFileStamp>& stamps,
                const std::vector<bool>& stamped, char* const* paths, const DrawingTools& tools) {
  SaverCache cache;
  cache.drawing = DrawingKey(tools);
  for (int p = 0; p < kMaxSaverPaths && paths[p]; p++)
    if (!IsEmptyText(paths[p]) && strlen(paths[p]) <= static_cast<size_t>(kCacheMaxText)) cache.paths.push_back(paths[p]);
  std::vector<std::vector<unsigned char>> images(static_cast<size_t>(count));
  for (int i = 0; i < count && static_cast<int>(cache.savers.size()) < kCacheMaxSavers; i++) {
    const SaverInfo& saver = list[i];
    if (!stamped[i] || !saver.displayName || !saver.fullPath ||
        strlen(saver.fullPath) > static_cast<size_t>(kCacheMaxText) ||
        strlen(saver.displayName) > static_cast<size_t>(kCacheMaxText))
      continue;
    CachedSaver cached;
    if (ToCachedSaver(saver, stamps[i], tools, &images[i], &cached)) cache.savers.push_back(cached);
  }
  StoreCatalogCache(cache);
}

bool SamePaths(const SaverCache& cache, char* const* paths) {
  size_t n = 0;
  for (int p = 0; p < kMaxSaverPaths && paths[p]; p++) {
    if (IsEmptyText(paths[p])) continue;
    if (n >= cache.paths.size() || strcmp(cache.paths[n], paths[p]) != 0) return false;
    n++;
  }
  return n == cache.paths.size();
}

}  // namespace

int DestroySaverInfo(SaverInfo* saver) {
  if (!saver) return 1;
  free(saver->longName);
  free(saver->shortName);
  free(saver->fullPath);
  free(saver->folder);
  free(saver->displayName);
  if (saver->menuBitmap) DeleteObject(saver->menuBitmap);
  *saver = SaverInfo{};
  return 1;
}

int FreeSaverList(SaverInfo* savers, int count) {
  if (!savers) return 0;
  for (int i = 0; i < count; i++) DestroySaverInfo(&savers[i]);
  free(savers);
  return 1;
}

int BuildSaverCatalog(char* const* paths, bool useCache, SaverInfo** savers, int* count, int* cachedCount) {
  if (!paths || !savers || !count) return 0;
  SaverFileEntry* listed = nullptr;
  int fileCount = 0;
  if (!GetFileEnumeration(paths, "*.scr", &listed, &fileCount)) {
    LogMessage(kLogError, TrNoop("Error - could'nt get saver file enumeration"));
    return 0;
  }
  SaverInfo* list = static_cast<SaverInfo*>(calloc(fileCount > 0 ? fileCount : 1, sizeof(SaverInfo)));
  if (!list) {
    FreeFileEntries(listed, fileCount);
    LogMessage(kLogError, TrNoop("GetSaverEnumeration: Memory Allocation Error"));
    return 0;
  }
  std::vector<SaverFileEntry> files(listed, listed + fileCount);
  for (int i = 0; i < fileCount; i++) {
    list[i].longName = files[i].longName;
    list[i].shortName = files[i].shortName;
    list[i].folder = files[i].folder;
  }
  free(listed);  // the texts now belong to the records

  DrawingTools tools;
  OpenDrawingTools(&tools);
  std::vector<unsigned char> cacheBytes;
  SaverCache cache;
  if (useCache && LoadCatalogCache(&cacheBytes, &cache) && !SameDrawing(cache.drawing, DrawingKey(tools))) {
    LogMessage(kLogLogOnly,
               "GetSaverEnumeration: the cache was made under other menu metrics, display language or code page, "
               "not used");
    cache = SaverCache{};
  }
  int hits = 0;
  int hint = 0;
  std::vector<SaverFileStamp> stamps(static_cast<size_t>(fileCount));
  std::vector<bool> stamped(static_cast<size_t>(fileCount));
  // The listing gives each folder's files together: each folder's stamps are read once.
  const char* stampedFolder = nullptr;
  FolderStamps folderStamps;
  bool folderListed = false;
  for (int i = 0; i < fileCount; i++) {
    SaverInfo& saver = list[i];
    saver.fullPath = BuildFullPath(saver.folder, saver.shortName, saver.longName);
    if (saver.folder && (!stampedFolder || strcmp(stampedFolder, saver.folder) != 0)) {
      stampedFolder = saver.folder;
      folderListed = ReadFolderStamps(saver.folder, &folderStamps);
    }
    SaverFileStamp stamp = {};
    const char* listedName = !IsEmptyText(saver.longName) ? saver.longName : saver.shortName;
    auto listed = folderListed && listedName ? folderStamps.find(listedName) : folderStamps.end();
    if (listed != folderStamps.end()) {
      stamp = listed->second;
      stamped[i] = true;
    } else {
      stamped[i] = ReadSaverFileStamp(saver.fullPath, &stamp);
    }
    stamps[i] = stamp;
    int found = stamped[i] ? FindCachedSaver(cache, saver.fullPath, stamp, hint) : -1;
    if (found >= 0) {
      const CachedSaver& cached = cache.savers[static_cast<size_t>(found)];
      saver.displayName = DuplicateText(cached.displayName);
      saver.itemWidth = cached.itemWidth;
      saver.itemHeight = cached.itemHeight;
      saver.menuBitmap = BitmapFromCachedImage(tools.windowDc, cached, cache.drawing);
      hint = found + 1;
      hits++;
      continue;
    }
    ExeKind kind = ExeKind::kOther;
    saver.displayName = FindDisplayName(saver, files[i].size, &kind);
    if (!saver.displayName) continue;
    // A damaged image is shown with the application icon: the system's icon reader
    // would read past its end.
    bool damaged = kind == ExeKind::kDamaged;
    if (damaged) LogMessage(kLogDebugError, "GetSaverEnumeration: damaged executable, filename=%s", saver.fullPath);
    MeasureItem(&tools, &saver);
    DrawMenuBitmap(&tools, &saver, damaged);
  }
  // Written in the listing's order, so the next build finds its records one after another.
  bool unchanged = useCache && hits == fileCount && hits == static_cast<int>(cache.savers.size()) &&
                   SamePaths(cache, paths);
  if (!unchanged) WriteCache(list, fileCount, stamps, stamped, paths, tools);
  CloseDrawingTools(&tools);

  int used = fileCount;
  DropNameless(list, &used);
  SortByDisplayName(list, used);
  *savers = list;
  *count = used;
  if (cachedCount) *cachedCount = hits;
  return 1;
}

int GetSaverEnumeration(SaverInfo** savers, int* count) {
  if (!savers || !count) return 0;
  DWORD start = GetTickCount();
  *savers = nullptr;
  *count = 0;
  SaverInfo* list = nullptr;
  int used = 0;
  if (!BuildSaverCatalog(AppState.saverpath, false, &list, &used, nullptr)) return 0;
  *savers = list;
  *count = used;
  LogMessage(kLogLogOnly, "GetSaverEnumeration processed %d savers (%d ms)", used,
             static_cast<int>(GetTickCount() - start));
  return 1;
}

int RefreshSaverList() {
  SaverInfo* fresh = nullptr;
  int freshCount = 0;
  int result = GetSaverEnumeration(&fresh, &freshCount);
  SaverInfo* old = AppState.savers;
  int oldCount = AppState.saverCount;
  AppState.savers = result ? fresh : nullptr;
  AppState.saverCount = result ? freshCount : 0;
  FreeSaverList(old, oldCount);
  return result;
}

const char* GetRandomScreenSaver() {
  // Start-up work that ends the process (a second start, "kill") waits for the list here;
  // commands of a resident instance were held back until it arrived.
  FinishSaverCatalogLoad(kCatalogWaitMs);
  if (AppState.saverCount <= 0 || !AppState.savers) return nullptr;
  DWORD position = GetTickCount() % static_cast<DWORD>(AppState.saverCount);
  const SaverInfo& saver = AppState.savers[position];
  LogMessage(kLogLogOnly, "GetRandomScreenSaver: %s", saver.displayName ? saver.displayName : "{NULL}");
  return IsEmptyText(saver.fullPath) ? nullptr : saver.fullPath;
}

static const char* OrNull(const char* text) { return text ? text : "{NULL}"; }

int DumpSavers() {
  LogMessage(kLogLogOnly, "\n\nSavers Dump\n");
  LogMessage(kLogLogOnly, "total count=%d", AppState.saverCount);
  for (int i = 0; i < AppState.saverCount && AppState.savers; i++) {
    const SaverInfo& saver = AppState.savers[i];
    char line[kLogMessageSize];
    snprintf(line, sizeof(line), "#%d\t'%s'\t'%s'\t'%s'\t'%s'\t'%s'\t%X\t%d", i, OrNull(saver.displayName),
             OrNull(saver.fullPath), OrNull(saver.folder), OrNull(saver.longName), OrNull(saver.shortName),
             static_cast<unsigned>(reinterpret_cast<UINT_PTR>(saver.menuBitmap)), saver.itemWidth);
    LogMessage(kLogLogOnly, "%s", line);
  }
  LogMessage(kLogLogOnly, "\nEnd Savers Dump\n\n");
  LogFileDump();
  return 1;
}
