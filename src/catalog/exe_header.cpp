// Executable header checks. A PE counts as whole when its section table and the raw
// data of every section lie within the file; a truncated or hostile image is reported
// as damaged instead of being handed to the system's resource and icon readers, which
// read such files past their end. An NE counts as whole when its resource table starts
// inside the file.
#include "catalog/exe_header.h"

#include <cstring>

static bool Read16(NeReadFn read, void* context, uint64_t offset, uint16_t* value) {
  unsigned char bytes[2];
  if (offset > 0xFFFFFFFFu - 2 || !read(context, static_cast<uint32_t>(offset), bytes, 2)) return false;
  *value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
  return true;
}

static bool Read32(NeReadFn read, void* context, uint64_t offset, uint32_t* value) {
  unsigned char bytes[4];
  if (offset > 0xFFFFFFFFu - 4 || !read(context, static_cast<uint32_t>(offset), bytes, 4)) return false;
  *value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  return true;
}

static ExeKind CheckPe(NeReadFn read, void* context, uint64_t fileSize, uint64_t header) {
  uint16_t sections = 0;
  uint16_t optionalSize = 0;
  if (!Read16(read, context, header + 6, &sections) || !Read16(read, context, header + 20, &optionalSize))
    return ExeKind::kDamaged;
  uint64_t table = header + 24 + optionalSize;
  if (table + static_cast<uint64_t>(sections) * 40 > fileSize) return ExeKind::kDamaged;
  for (uint16_t i = 0; i < sections; i++) {
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
    uint64_t entry = table + static_cast<uint64_t>(i) * 40;
    if (!Read32(read, context, entry + 16, &rawSize) || !Read32(read, context, entry + 20, &rawOffset))
      return ExeKind::kDamaged;
    if (rawSize > 0 && static_cast<uint64_t>(rawOffset) + rawSize > fileSize) return ExeKind::kDamaged;
  }
  return ExeKind::kPe;
}

ExeKind ClassifyExecutable(NeReadFn read, void* context, uint64_t fileSize) {
  if (!read) return ExeKind::kOther;
  unsigned char magic[4];
  if (!read(context, 0, magic, 2) || magic[0] != 'M' || magic[1] != 'Z') return ExeKind::kOther;
  uint32_t header = 0;
  if (!Read32(read, context, 0x3C, &header) || !read(context, header, magic, 2)) return ExeKind::kOther;
  if (magic[0] == 'N' && magic[1] == 'E') {
    uint16_t resources = 0;
    if (!Read16(read, context, static_cast<uint64_t>(header) + 0x24, &resources)) return ExeKind::kDamaged;
    return static_cast<uint64_t>(header) + resources < fileSize ? ExeKind::kNe : ExeKind::kDamaged;
  }
  if (magic[0] == 'P' && magic[1] == 'E') {
    if (!read(context, header + 2, magic + 2, 2) || magic[2] != 0 || magic[3] != 0) return ExeKind::kOther;
    return CheckPe(read, context, fileSize, header);
  }
  return ExeKind::kOther;
}

namespace {

struct ImageView {
  const unsigned char* data;
  size_t available;
};

bool ReadView(void* context, uint32_t offset, void* buffer, uint32_t size) {
  const ImageView* view = static_cast<const ImageView*>(context);
  if (!view->data || offset > view->available || view->available - offset < size) return false;
  memcpy(buffer, view->data + offset, size);
  return true;
}

}  // namespace

ExeKind ClassifyExecutableImage(const unsigned char* data, size_t available, uint64_t fileSize) {
  ImageView view = {data, available};
  return ClassifyExecutable(ReadView, &view, fileSize);
}
