// Display names of savers and their ordering. Only ASCII letters change case, so names
// in any single-byte code page keep their other characters as they are.
#include "catalog/saver_names.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "shell/text_helpers.h"

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int DescriptionDisplayName(const char* description, char* destination, int size) {
  static const char kPrefix[] = "SCRNSAVE";
  if (!description || !destination || size <= 0) return 0;
  for (size_t i = 0; i < sizeof(kPrefix) - 1; i++)
    if (LowerAscii(description[i]) != LowerAscii(kPrefix[i])) return 0;  // stops at the terminator too
  const char* name = strchr(description, ':');
  if (name) {
    name++;
    while (*name == ' ') name++;
  } else {
    name = description;
  }
  CopyText(destination, name, size);
  return 1;
}

void FileDisplayName(const char* longName, const char* shortName, char* destination, int size) {
  if (!destination || size <= 0) return;
  const char* source = !IsEmptyText(longName) ? longName : !IsEmptyText(shortName) ? shortName : "(nameless)";
  CopyText(destination, source, size);
  char* dot = strchr(destination, '.');
  if (dot) *dot = 0;
  for (char* at = destination; *at; at++) *at = LowerAscii(*at);
  if (destination[0] >= 'a' && destination[0] <= 'z') destination[0] = static_cast<char>(destination[0] - 'a' + 'A');
}

int CompareDisplayNames(const char* a, const char* b) {
  const unsigned char* left = reinterpret_cast<const unsigned char*>(a ? a : "");
  const unsigned char* right = reinterpret_cast<const unsigned char*>(b ? b : "");
  for (;; left++, right++) {
    unsigned char l = static_cast<unsigned char>(LowerAscii(static_cast<char>(*left)));
    unsigned char r = static_cast<unsigned char>(LowerAscii(static_cast<char>(*right)));
    if (l != r) return l < r ? -1 : 1;
    if (!l) return 0;
  }
}

int GetFileExtension(const char* name, char* destination, int size) {
  if (!name) {
    CopyText(destination, "", size);
    return 0;
  }
  const char* dot = strrchr(name, '.');
  CopyText(destination, dot ? dot + 1 : name, size);
  return dot ? 1 : 0;
}

// The catalog's sort is this exchange procedure: for each place i, and each later place
// j in turn, the entries at i and j swap when the name at i compares greater. Equal names
// never swap, yet their final order follows from the procedure (B1, B2, A gives A, B2, B1),
// so the procedure itself is kept. It runs on integer ranks (equal names, equal rank)
// found by one O(n log n) sort, which keeps its quadratic loop cheap.
bool OrderByDisplayName(const char* const* names, int count, int* order) {
  if (count <= 0) return true;
  if (!names || !order) return false;
  std::vector<int> byName(static_cast<size_t>(count));
  std::vector<int> rank(static_cast<size_t>(count));
  for (int k = 0; k < count; k++) byName[k] = k;
  std::sort(byName.begin(), byName.end(),
            [names](int a, int b) { return CompareDisplayNames(names[a], names[b]) < 0; });
  int current = 0;
  for (int k = 0; k < count; k++) {
    if (k > 0 && CompareDisplayNames(names[byName[k - 1]], names[byName[k]]) != 0) current++;
    rank[byName[k]] = current;
  }
  std::vector<int> placeRank(rank);
  for (int k = 0; k < count; k++) order[k] = k;
  for (int i = 0; i < count; i++) {
    for (int j = i + 1; j < count; j++) {
      if (placeRank[i] > placeRank[j]) {
        std::swap(placeRank[i], placeRank[j]);
        std::swap(order[i], order[j]);
      }
    }
  }
  return true;
}
