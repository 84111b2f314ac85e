// The module description of a 16-bit New Executable: the first entry of its
// non-resident name table. Portable: the bytes come through a reader callback.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads `size` bytes at `offset`; true only when all of them were read.
using NeReadFn = bool (*)(void* context, uint32_t offset, void* buffer, uint32_t size);

// 1 and the description (cut to length - 1 and terminated) for an NE file, else 0.
int ReadNeDescription(NeReadFn read, void* context, char* destination, int length);
// The same over a file image held in memory.
int ParseNeDescription(const unsigned char* data, size_t size, char* destination, int length);
