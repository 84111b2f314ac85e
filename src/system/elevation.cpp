// IsProcessElevated: the token's elevation flag. An elevated copy runs with the user's
// own temporary folder, which the user's other processes can redirect; it must not
// write files there.
#include "system/elevation.h"

#include <windows.h>

bool IsProcessElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
                  elevation.TokenIsElevated != 0;
  CloseHandle(token);
  return elevated;
}
