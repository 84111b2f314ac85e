// Hexadecimal text to bytes: two digits per byte, high nibble first.
#include "update/update_checker.h"

int HexDecode(const char* text, int digits, unsigned char* destination) {
  for (int i = 0; i < digits; i++) {
    char c = text[i];
    int nibble = (c >= '0' && c <= '9') ? c - '0'
                 : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                 : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                          : -1;
    if (nibble < 0) return 0;
    if (i % 2 == 0) {
      destination[i / 2] = static_cast<unsigned char>(nibble << 4);
    } else {
      destination[i / 2] = static_cast<unsigned char>(destination[i / 2] | nibble);
    }
  }
  return 1;
}
