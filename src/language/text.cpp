// The catalogue in use and the lookups through it.
#include "language/text.h"

#include "language/mo_catalog.h"

namespace {

const MoCatalog* inUse = nullptr;

}  // namespace

void SetTranslation(const MoCatalog* catalog) { inUse = catalog; }

const char* Tr(const char* english) {
  const char* text = inUse ? LookupMo(*inUse, english) : nullptr;
  return text ? text : english;
}

const char* TrN(const char* singular, const char* plural, uint64_t count) {
  const char* text = inUse ? LookupMoPlural(*inUse, singular, count) : nullptr;
  if (text) return text;
  return count == 1 ? singular : plural;
}
