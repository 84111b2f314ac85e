// SHA-256 and ECDSA P-256 verification over libcrypto. The program only verifies: it
// never signs and never needs random numbers here.
#include "update/signature.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <cstring>

// The library starts without reading any configuration file: neither OPENSSL_CONF nor a
// file under the folder compiled into it may change which algorithms or providers the
// update check gets. Every entry point below calls this first; after the first call it
// only checks a flag.
static bool StartLibrary() { return OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG, nullptr) == 1; }

Sha256State::~Sha256State() { EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(context)); }

// A state whose context could not be made stays unusable and marked failed: Finish then
// reports the failure.
void Sha256Start(Sha256State* state) {
  state->failed = !StartLibrary();
  if (state->failed) return;
  if (!state->context) state->context = EVP_MD_CTX_new();
  EVP_MD_CTX* context = static_cast<EVP_MD_CTX*>(state->context);
  if (!context || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(context);
    state->context = nullptr;
    state->failed = true;
  }
}

void Sha256Update(Sha256State* state, const void* bytes, int count) {
  if (!state->context || count <= 0) return;
  if (EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(state->context), bytes, static_cast<size_t>(count)) != 1)
    state->failed = true;
}

bool Sha256Finish(Sha256State* state, unsigned char digest[kSha256Size]) {
  unsigned int length = 0;
  bool finished = !state->failed && state->context &&
                  EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(state->context), digest, &length) == 1 &&
                  length == kSha256Size;
  if (!finished) memset(digest, 0, kSha256Size);
  state->failed = !finished;
  return finished;
}

namespace {

// The public key as a library key object, or null when X||Y is not a point of the curve.
EVP_PKEY* LoadPublicKey(const unsigned char* publicKey) {
  unsigned char point[1 + kPublicKeySize];
  point[0] = 0x04;  // uncompressed point
  memcpy(point + 1, publicKey, kPublicKeySize);
  char groupName[] = "prime256v1";
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, groupName, 0),
      OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, point, sizeof(point)),
      OSSL_PARAM_construct_end(),
  };
  EVP_PKEY* key = nullptr;
  EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr);
  if (context && EVP_PKEY_fromdata_init(context) == 1) {
    if (EVP_PKEY_fromdata(context, &key, EVP_PKEY_PUBLIC_KEY, params) != 1) key = nullptr;
  }
  EVP_PKEY_CTX_free(context);
  if (!key) return nullptr;

  // fromdata does not promise a full point check; do it before trusting the key.
  EVP_PKEY_CTX* check = EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr);
  bool valid = check && EVP_PKEY_public_check(check) == 1;
  EVP_PKEY_CTX_free(check);
  if (!valid) {
    EVP_PKEY_free(key);
    return nullptr;
  }
  return key;
}

// r||s as the DER form the library verifies; 0 length on failure.
int EncodeSignature(const unsigned char* signature, unsigned char** der) {
  ECDSA_SIG* value = ECDSA_SIG_new();
  BIGNUM* r = BN_bin2bn(signature, 32, nullptr);
  BIGNUM* s = BN_bin2bn(signature + 32, 32, nullptr);
  int length = 0;
  if (value && r && s && ECDSA_SIG_set0(value, r, s) == 1) {
    r = s = nullptr;  // owned by value now
    length = i2d_ECDSA_SIG(value, der);
    if (length < 0) length = 0;
  }
  BN_free(r);
  BN_free(s);
  ECDSA_SIG_free(value);
  return length;
}

}  // namespace

// Standard ECDSA verification; the library refuses r or s of 0 or not below the order.
bool VerifySignature(const unsigned char* publicKey, const unsigned char* digest, const unsigned char* signature) {
  if (!publicKey || !digest || !signature || !StartLibrary()) return false;
  EVP_PKEY* key = LoadPublicKey(publicKey);
  if (!key) return false;
  unsigned char* der = nullptr;
  int derLength = EncodeSignature(signature, &der);
  bool valid = false;
  EVP_PKEY_CTX* context = derLength > 0 ? EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr) : nullptr;
  if (context && EVP_PKEY_verify_init(context) == 1) {
    valid = EVP_PKEY_verify(context, der, static_cast<size_t>(derLength), digest, kSha256Size) == 1;
  }
  EVP_PKEY_CTX_free(context);
  OPENSSL_free(der);
  EVP_PKEY_free(key);
  return valid;
}
