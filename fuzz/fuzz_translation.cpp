// A compiled translation from any bytes: a catalogue is opened only when every table and
// text lies inside the data; each lookup of an accepted one stays inside it, and every
// counted form chosen by its plural rule is within the rule's number of forms.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "language/mo_catalog.h"
#include "language/plural_rule.h"

namespace {

bool Inside(const MoCatalog& catalog, const char* text) {
  auto byte = reinterpret_cast<const unsigned char*>(text);
  return !text || (byte >= catalog.data && byte < catalog.data + catalog.size &&
                   memchr(text, 0, static_cast<size_t>(catalog.data + catalog.size - byte)) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The same bytes as a header's text: any plural rule stays within its forms.
  std::string header(reinterpret_cast<const char*>(data), size);
  PluralRule rule;
  ParsePluralRule(header.c_str(), &rule);
  for (uint64_t n : {0ull, 1ull, 2ull, 5ull, 11ull, 21ull, 101ull, ~0ull}) {
    int form = PluralForm(rule, n);
    if (form < 0 || form >= rule.forms) abort();
  }
  MoCatalog catalog;
  if (!OpenMoCatalog(data, size, &catalog)) return 0;
  for (const char* key : {"&Settings", "a", "%u Second", "\xff"}) {
    if (!Inside(catalog, LookupMo(catalog, key))) abort();
    if (!Inside(catalog, LookupMoPlural(catalog, key, 3))) abort();
  }
  return 0;
}
