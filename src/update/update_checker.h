// One signed update check: the request, the answer's checks and the version compare.
// Portable: no <windows.h>; the Windows side reports failures through `reportError`.
#pragma once

constexpr int kLatestVersionSize = 128;  // 127 characters and the terminator
constexpr int kUpdateBodySize = 16384;
constexpr const char* kUpdateUserAgent = "tallowbox-updater/1.0";
constexpr const char* kSignatureField = "X-tallowbox-signature";
constexpr const char* kFormContentType = "application/x-www-form-urlencoded";

using UpdateErrorReporter = void (*)(const char* product, const char* message);

struct UpdateChecker {
  const char* url = nullptr;
  const char* product = nullptr;
  const char* currentVersion = nullptr;
  const unsigned char* publicKey = nullptr;  // 64 bytes, X then Y
  char latestVersion[kLatestVersionSize] = "";
  bool quiet = true;
  const char* failure = nullptr;             // the message of the last failure
  UpdateErrorReporter reportError = nullptr;  // called on failure unless quiet

  int RunUpdateCheck();  // 0: the answer is authentic and latestVersion is set; 1: failed
  bool IsNewerVersion() const;
};

int CompareVersions(const char* a, const char* b);
int HexDecode(const char* text, int digits, unsigned char* destination);

// base?v=<version>&u=<id>, cut to the capacity; empty when the base alone does not fit.
int FormatTrackedUrl(char* destination, int capacity, const char* base, const char* version, const char* id);
