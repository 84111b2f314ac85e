// Compiled translations read in place. The file is a header, two tables of (length,
// offset) pairs, one for the English texts sorted by byte value and one for their
// translations, and the texts themselves, each followed by a zero. The entry of the empty
// English text is the PO header, which carries the plural rule. Counted texts join their
// forms with zeros: "file\0files" maps to "Datei\0Dateien".
#include "language/mo_catalog.h"

#include <cstring>

namespace {

constexpr uint32_t kMagic = 0x950412DEu;
constexpr uint32_t kMagicSwapped = 0xDE120495u;
constexpr uint32_t kMaxEntries = 1u << 20;

uint32_t Word(const MoCatalog& catalog, size_t offset) {
  uint32_t value;
  memcpy(&value, catalog.data + offset, sizeof(value));
  if (catalog.swapped)
    value = (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
  return value;
}

// Text `index` of the table at `table`, or nullptr; its length in *length. Bounds were
// checked when the catalogue was opened.
const char* Text(const MoCatalog& catalog, uint32_t table, uint32_t index, uint32_t* length = nullptr) {
  size_t entry = table + static_cast<size_t>(index) * 8;
  if (length) *length = Word(catalog, entry);
  return reinterpret_cast<const char*>(catalog.data + Word(catalog, entry + 4));
}

bool TableFits(const MoCatalog& catalog, uint32_t table) {
  if (table % 4 != 0 || table > catalog.size) return false;
  uint64_t bytes = static_cast<uint64_t>(catalog.count) * 8;
  if (bytes > catalog.size - table) return false;
  for (uint32_t i = 0; i < catalog.count; i++) {
    size_t entry = table + static_cast<size_t>(i) * 8;
    uint64_t length = Word(catalog, entry);
    uint64_t offset = Word(catalog, entry + 4);
    if (offset >= catalog.size || length >= catalog.size - offset) return false;
    if (catalog.data[offset + length] != 0) return false;
  }
  return true;
}

// The index of `english` among the sorted English texts (compared up to their first
// zero, so a counted entry is found by its singular), or -1.
int64_t Find(const MoCatalog& catalog, const char* english) {
  uint32_t low = 0;
  uint32_t high = catalog.count;
  while (low < high) {
    uint32_t middle = low + (high - low) / 2;
    int order = strcmp(english, Text(catalog, catalog.originals, middle));
    if (order == 0) return middle;
    if (order < 0)
      high = middle;
    else
      low = middle + 1;
  }
  return -1;
}

}  // namespace

bool OpenMoCatalog(const void* data, size_t size, MoCatalog* catalog) {
  memset(catalog, 0, sizeof(*catalog));
  ParsePluralRule(nullptr, &catalog->plural);
  if (!data || size < 28) return false;
  catalog->data = static_cast<const unsigned char*>(data);
  catalog->size = size;
  uint32_t magic;
  memcpy(&magic, data, sizeof(magic));
  if (magic != kMagic && magic != kMagicSwapped) return false;
  catalog->swapped = magic == kMagicSwapped;
  if ((Word(*catalog, 4) >> 16) != 0) return false;  // major revision 0 only
  catalog->count = Word(*catalog, 8);
  catalog->originals = Word(*catalog, 12);
  catalog->translations = Word(*catalog, 16);
  if (catalog->count > kMaxEntries || !TableFits(*catalog, catalog->originals) ||
      !TableFits(*catalog, catalog->translations)) {
    memset(catalog, 0, sizeof(*catalog));
    return false;
  }
  for (uint32_t i = 1; i < catalog->count; i++)
    if (strcmp(Text(*catalog, catalog->originals, i - 1), Text(*catalog, catalog->originals, i)) >= 0) {
      memset(catalog, 0, sizeof(*catalog));
      return false;
    }
  if (catalog->count > 0 && Text(*catalog, catalog->originals, 0)[0] == 0)
    ParsePluralRule(Text(*catalog, catalog->translations, 0), &catalog->plural);
  return true;
}

const char* LookupMo(const MoCatalog& catalog, const char* english) {
  if (!catalog.data || !english || !english[0]) return nullptr;
  int64_t index = Find(catalog, english);
  if (index < 0) return nullptr;
  const char* text = Text(catalog, catalog.translations, static_cast<uint32_t>(index));
  return text[0] ? text : nullptr;
}

const char* LookupMoPlural(const MoCatalog& catalog, const char* singular, uint64_t count) {
  if (!catalog.data || !singular || !singular[0]) return nullptr;
  int64_t index = Find(catalog, singular);
  if (index < 0) return nullptr;
  uint32_t length = 0;
  const char* text = Text(catalog, catalog.translations, static_cast<uint32_t>(index), &length);
  const char* end = text + length;
  // The forms lie one after another within the entry's length.
  for (int form = PluralForm(catalog.plural, count); form > 0; form--) {
    const char* zero = static_cast<const char*>(memchr(text, 0, static_cast<size_t>(end - text)));
    if (!zero) return nullptr;
    text = zero + 1;
  }
  return text < end && text[0] ? text : nullptr;
}
