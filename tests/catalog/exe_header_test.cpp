// Executable header checks over in-memory images: whole and cut PE files, NE files,
// and everything else.
#include "catalog/exe_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct Image {
  const Bytes* bytes;
};

bool ReadImage(void* context, uint32_t offset, void* buffer, uint32_t size) {
  const Bytes& bytes = *static_cast<Image*>(context)->bytes;
  if (offset > bytes.size() || bytes.size() - offset < size) return false;
  memcpy(buffer, bytes.data() + offset, size);
  return true;
}

ExeKind Classify(const Bytes& bytes) {
  Image image = {&bytes};
  return ClassifyExecutable(ReadImage, &image, bytes.size());
}

void Put16(Bytes* b, size_t at, unsigned v) {
  (*b)[at] = v & 0xFF;
  (*b)[at + 1] = (v >> 8) & 0xFF;
}
void Put32(Bytes* b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// MZ, PE header at 0x80, an optional header of 0xF0 bytes, two sections of 0x200 bytes.
Bytes MakePe() {
  Bytes b(0x600, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(&b, 0x3C, 0x80);
  b[0x80] = 'P';
  b[0x81] = 'E';
  Put16(&b, 0x80 + 6, 2);
  Put16(&b, 0x80 + 20, 0xF0);
  size_t table = 0x80 + 24 + 0xF0;
  for (int i = 0; i < 2; i++) {
    Put32(&b, table + i * 40 + 16, 0x200);
    Put32(&b, table + i * 40 + 20, 0x200 + i * 0x200);
  }
  return b;
}

TEST(ExeHeader, WholeAndCutPortableExecutables) {
  Bytes pe = MakePe();
  EXPECT_EQ(Classify(pe), ExeKind::kPe);
  Bytes cut(pe.begin(), pe.begin() + 0x500);  // the last section ends past the file
  EXPECT_EQ(Classify(cut), ExeKind::kDamaged);
  Bytes headerOnly(pe.begin(), pe.begin() + 0x90);  // the section table is gone
  EXPECT_EQ(Classify(headerOnly), ExeKind::kDamaged);
  Bytes hostile = pe;
  Put32(&hostile, 0x80 + 24 + 0xF0 + 20, 0xFFFFFF00);  // offset + size overflow 32 bits
  EXPECT_EQ(Classify(hostile), ExeKind::kDamaged);
  Bytes manySections = pe;
  Put16(&manySections, 0x80 + 6, 0xFFFF);
  EXPECT_EQ(Classify(manySections), ExeKind::kDamaged);
  Bytes emptySection = pe;
  Put32(&emptySection, 0x80 + 24 + 0xF0 + 16, 0);  // no raw data: any offset will do
  Put32(&emptySection, 0x80 + 24 + 0xF0 + 20, 0x7FFFFFFF);
  EXPECT_EQ(Classify(emptySection), ExeKind::kPe);
}

TEST(ExeHeader, NewExecutables) {
  Bytes ne(0x100, 0);
  ne[0] = 'M';
  ne[1] = 'Z';
  Put32(&ne, 0x3C, 0x40);
  ne[0x40] = 'N';
  ne[0x41] = 'E';
  Put16(&ne, 0x40 + 0x24, 0x40);
  EXPECT_EQ(Classify(ne), ExeKind::kNe);
  Put16(&ne, 0x40 + 0x24, 0xF000);
  EXPECT_EQ(Classify(ne), ExeKind::kDamaged);
}

TEST(ExeHeader, EverythingElse) {
  EXPECT_EQ(Classify({}), ExeKind::kOther);
  EXPECT_EQ(Classify({'M', 'Z'}), ExeKind::kOther);
  EXPECT_EQ(Classify(Bytes(64, 'a')), ExeKind::kOther);
  Bytes dos(0x80, 0);
  dos[0] = 'M';
  dos[1] = 'Z';
  Put32(&dos, 0x3C, 0x7000);  // new header past the end: a plain DOS program
  EXPECT_EQ(Classify(dos), ExeKind::kOther);
  Bytes pe = MakePe();
  pe[0x82] = 'x';  // "PEx\0" is no PE signature
  EXPECT_EQ(Classify(pe), ExeKind::kOther);
  EXPECT_EQ(ClassifyExecutable(nullptr, nullptr, 0), ExeKind::kOther);
}

}  // namespace
