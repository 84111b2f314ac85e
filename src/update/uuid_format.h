// The installation identifier's text form. Portable: no <windows.h>.
#pragma once

constexpr int kUuidTextSize = 37;

// Sets the version-4 and variant bits in the 16 bytes and writes them as 36 lower-case
// hexadecimal characters in groups 8-4-4-4-12, terminated.
void FormatUuid(unsigned char bytes[16], char destination[kUuidTextSize]);
