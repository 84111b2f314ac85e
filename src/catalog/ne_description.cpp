// Reading an NE module description. The header fields are walked exactly as a loader
// would: "MZ" at 0, the 16-bit new-header offset at 0x3C, "NE" there, the 16-bit file
// offset of the non-resident name table at new header + 0x2C, then one length byte and
// that many bytes of text. Only the low 16 bits of the two 32-bit offsets are used, so
// every read stays within the first 64 KB + 300 bytes of the file. A read cut short by
// the end of the file fails the whole call: a truncated file never yields bytes that
// were not in it.
#include "catalog/ne_description.h"

#include <cstring>

static bool ReadWord(NeReadFn read, void* context, uint32_t offset, uint16_t* value) {
  unsigned char bytes[2];
  if (!read(context, offset, bytes, 2)) return false;
  *value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
  return true;
}

int ReadNeDescription(NeReadFn read, void* context, char* destination, int length) {
  if (!read || !destination || length <= 0) return 0;
  destination[0] = 0;
  unsigned char magic[2];
  if (!read(context, 0, magic, 2) || magic[0] != 'M' || magic[1] != 'Z') return 0;
  uint16_t header = 0;
  if (!ReadWord(read, context, 0x3C, &header)) return 0;
  if (!read(context, header, magic, 2) || magic[0] != 'N' || magic[1] != 'E') return 0;
  uint16_t table = 0;
  if (!ReadWord(read, context, static_cast<uint32_t>(header) + 0x2C, &table)) return 0;
  unsigned char textLength = 0;
  if (!read(context, table, &textLength, 1)) return 0;
  char text[256];
  if (textLength > 0 && !read(context, static_cast<uint32_t>(table) + 1, text, textLength)) return 0;
  text[textLength] = 0;
  size_t copied = strnlen(text, static_cast<size_t>(length) - 1);
  memcpy(destination, text, copied);
  destination[copied] = 0;
  return 1;
}

namespace {

struct MemoryImage {
  const unsigned char* data;
  size_t size;
};

bool ReadMemory(void* context, uint32_t offset, void* buffer, uint32_t size) {
  const MemoryImage* image = static_cast<const MemoryImage*>(context);
  if (!image->data || offset > image->size || image->size - offset < size) return false;
  memcpy(buffer, image->data + offset, size);
  return true;
}

}  // namespace

int ParseNeDescription(const unsigned char* data, size_t size, char* destination, int length) {
  MemoryImage image = {data, size};
  return ReadNeDescription(ReadMemory, &image, destination, length);
}
