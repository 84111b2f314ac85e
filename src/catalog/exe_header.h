// A first look at an executable's headers, so damaged files never reach the system's
// own resource readers. Portable: the bytes come through a reader callback.
#pragma once

#include <cstddef>
#include <cstdint>

#include "catalog/ne_description.h"

enum class ExeKind {
  kOther,    // no MZ executable with a new header (data, text, DOS programs)
  kNe,       // a 16-bit New Executable whose resource table lies inside the file
  kPe,       // a 32/64-bit Portable Executable whose sections all lie inside the file
  kDamaged,  // an NE or PE header pointing past the end of the file
};

ExeKind ClassifyExecutable(NeReadFn read, void* context, uint64_t fileSize);
// The same over the first `available` bytes of a file of `fileSize` bytes held in memory.
ExeKind ClassifyExecutableImage(const unsigned char* data, size_t available, uint64_t fileSize);
