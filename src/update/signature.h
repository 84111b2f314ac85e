// SHA-256 digests and ECDSA P-256 signature verification for the update answer.
// Portable: no <windows.h>. Keys are X||Y (64 bytes), signatures r||s (64 bytes), both
// big-endian; digests are 32 bytes.
#pragma once

constexpr int kSha256Size = 32;
constexpr int kPublicKeySize = 64;
constexpr int kSignatureSize = 64;

// A running digest. Owns its library context; not copyable.
struct Sha256State {
  void* context = nullptr;
  bool failed = false;  // a library call failed since the last start
  Sha256State() = default;
  Sha256State(const Sha256State&) = delete;
  Sha256State& operator=(const Sha256State&) = delete;
  ~Sha256State();
};

void Sha256Start(Sha256State* state);
void Sha256Update(Sha256State* state, const void* bytes, int count);
// False when the library failed anywhere since the start; the digest is zeros then.
bool Sha256Finish(Sha256State* state, unsigned char digest[kSha256Size]);

bool VerifySignature(const unsigned char* publicKey, const unsigned char* digest, const unsigned char* signature);
