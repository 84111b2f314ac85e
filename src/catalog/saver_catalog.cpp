// Not yet built: the catalog arrives with the settings and catalog work. Until then the
// program starts with an empty saver list.
#include "catalog/saver_catalog.h"

#include <cstdlib>

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

int GetSaverEnumeration(SaverInfo** savers, int* count) {
  *savers = nullptr;
  *count = 0;
  return 1;
}

int GetPortableExeDescription(const char*, char* destination, int length) {
  if (destination && length > 0) destination[0] = 0;
  return 0;
}

const char* GetRandomScreenSaver() { return nullptr; }

int DumpSavers() { return 1; }
