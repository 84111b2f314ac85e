// A compiled translation (the .mo format gettext's msgfmt writes), read in place from the
// program's resources: checked once when opened, then looked up by the English text.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>

#include "language/plural_rule.h"

struct MoCatalog {
  const unsigned char* data;
  size_t size;
  uint32_t count;
  uint32_t originals;     // offset of the table of English texts
  uint32_t translations;  // offset of the table of translated texts
  bool swapped;           // written on a machine of the other byte order
  PluralRule plural;
};

// False for anything that is not a whole, well-formed catalogue: a bad magic number or
// revision, a table or a text outside the data, a text without its terminating zero, or
// English texts out of order (the lookup halves the table).
bool OpenMoCatalog(const void* data, size_t size, MoCatalog* catalog);
// The translation of `english`, or nullptr when the catalogue has none (or an empty one).
const char* LookupMo(const MoCatalog& catalog, const char* english);
// The form of a counted text for `count`: the entry is found by its singular English
// text; nullptr when absent or when the form is missing or empty.
const char* LookupMoPlural(const MoCatalog& catalog, const char* singular, uint64_t count);
