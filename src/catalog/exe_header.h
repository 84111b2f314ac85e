// A first look at an executable's headers, so damaged files never reach the system's
// own resource readers. Portable: the bytes come through a reader callback.
#pragma once

#include <cstdint>

#include "catalog/ne_description.h"

enum class ExeKind {
  kOther,    // no MZ executable with a new header (data, text, DOS programs)
  kNe,       // a 16-bit New Executable whose resource table lies inside the file
  kPe,       // a 32/64-bit Portable Executable whose sections all lie inside the file
  kDamaged,  // an NE or PE header pointing past the end of the file
};

ExeKind ClassifyExecutable(NeReadFn read, void* context, uint64_t fileSize);
