// Version-4 UUID text from 16 random bytes.
#include "update/uuid_format.h"

void FormatUuid(unsigned char bytes[16], char destination[kUuidTextSize]) {
  static const char kHex[] = "0123456789abcdef";
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
  int at = 0;
  for (int i = 0; i < 16; i++) {
    if (i == 4 || i == 6 || i == 8 || i == 10) destination[at++] = '-';
    destination[at++] = kHex[bytes[i] >> 4];
    destination[at++] = kHex[bytes[i] & 15];
  }
  destination[at] = 0;
}
