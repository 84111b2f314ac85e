// The catalogue in use and the lookups through it. A catalogue is never changed once in
// use (a switch points to another), so workers may look texts up while the main thread
// switches: they see the old language or the new one, never a mix.
#include "language/text.h"

#include <atomic>

#include "language/mo_catalog.h"

namespace {

std::atomic<const MoCatalog*> inUse{nullptr};
thread_local bool englishHere = false;

const MoCatalog* Catalogue() { return englishHere ? nullptr : inUse.load(std::memory_order_acquire); }

}  // namespace

void SetTranslation(const MoCatalog* catalog) { inUse.store(catalog, std::memory_order_release); }

void SetEnglishOnThisThread(bool english) { englishHere = english; }

const char* Tr(const char* english) {
  const MoCatalog* catalog = Catalogue();
  const char* text = catalog ? LookupMo(*catalog, english) : nullptr;
  return text ? text : english;
}

const char* TrN(const char* singular, const char* plural, uint64_t count) {
  const MoCatalog* catalog = Catalogue();
  const char* text = catalog ? LookupMoPlural(*catalog, singular, count) : nullptr;
  if (text) return text;
  return count == 1 ? singular : plural;
}
