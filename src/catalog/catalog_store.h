// The catalog cache on disk and the conversion of menu images to and from its pixels.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "catalog/catalog_cache.h"

// %LOCALAPPDATA%\Dozelite\savers.cache (the folder is made when asked to); 0 when unknown.
int GetCatalogCachePath(char* path, int size, bool makeFolder);
// 1 and `cache` pointing into `bytes` when the file is there and sound; 0 otherwise.
int LoadCatalogCache(std::vector<unsigned char>* bytes, SaverCache* cache);
// What identifies the file at `path` now (size, times, volume and file identifier); false
// when it cannot be opened.
bool ReadSaverFileStamp(const char* path, SaverFileStamp* stamp);
// The same stamps for every file of `folder` (ending with a backslash), keyed by the name as
// listed, read in one pass over the folder's listing; false when the folder cannot be
// listed so (the caller then stamps its files one by one).
using FolderStamps = std::unordered_map<std::string, SaverFileStamp>;
bool ReadFolderStamps(const char* folder, FolderStamps* stamps);
// Writes a temporary file beside the cache and moves it over the cache, so a crash
// never leaves half a cache behind. 1 on success.
int StoreCatalogCache(const SaverCache& cache);
// The image as 32-bit BGRA rows, top-down; false when it cannot be read.
bool ReadBitmapPixels(HBITMAP bitmap, int width, int height, std::vector<unsigned char>* pixels);
// A bitmap compatible with `dc` holding a record's image; null without one, or when the
// image does not fit the drawing.
HBITMAP BitmapFromCachedImage(HDC dc, const CachedSaver& saver, const CacheDrawing& drawing);
