// Installation identifiers come from the system's random generator; the C library's
// rand() (seeded with the start time) is only the fallback, since two installations
// started in the same second would otherwise share an identifier.
#include "update/uuid.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdlib>

#include "update/uuid_format.h"

void GenerateUuid(char* destination) {
  unsigned char bytes[16];
  if (BCryptGenRandom(nullptr, bytes, sizeof(bytes), BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
    for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(rand() & 0xFF);
  }
  FormatUuid(bytes, destination);
}
