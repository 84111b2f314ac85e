// P-256 key generation, storage and signing for the update endpoint.
#include "endpoint_keys.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/pem.h>

#include <cstdio>
#include <sys/stat.h>

namespace {

std::string Hex(const unsigned char* bytes, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < count; i++) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

// A number as exactly 32 big-endian bytes in hex; empty if it does not fit.
std::string Hex32(const BIGNUM* number) {
  unsigned char bytes[32];
  if (!number || BN_bn2binpad(number, bytes, sizeof(bytes)) != 32) return "";
  return Hex(bytes, sizeof(bytes));
}

}  // namespace

EVP_PKEY* GenerateEndpointKey() { return EVP_EC_gen("P-256"); }

bool SaveEndpointKey(EVP_PKEY* key, const char* path) {
  FILE* file = fopen(path, "wx");  // never overwrite a key
  if (!file) return false;
  chmod(path, 0600);
  bool saved = PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  return fclose(file) == 0 && saved;
}

EVP_PKEY* LoadEndpointKey(const char* path) {
  FILE* file = fopen(path, "r");
  if (!file) return nullptr;
  EVP_PKEY* key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
  fclose(file);
  return key;
}

std::string PublicKeyHex(EVP_PKEY* key) {
  BIGNUM* x = nullptr;
  BIGNUM* y = nullptr;
  std::string text;
  if (EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_EC_PUB_X, &x) == 1 &&
      EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_EC_PUB_Y, &y) == 1) {
    std::string hx = Hex32(x);
    std::string hy = Hex32(y);
    if (!hx.empty() && !hy.empty()) text = hx + hy;
  }
  BN_free(x);
  BN_free(y);
  return text;
}

std::string SignBodyHex(EVP_PKEY* key, const std::string& body) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  unsigned char der[128];
  size_t derLength = sizeof(der);
  bool signedOk = context && EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, key) == 1 &&
                  EVP_DigestSign(context, der, &derLength, reinterpret_cast<const unsigned char*>(body.data()),
                                 body.size()) == 1;
  EVP_MD_CTX_free(context);
  if (!signedOk) return "";
  const unsigned char* cursor = der;
  ECDSA_SIG* signature = d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(derLength));
  if (!signature) return "";
  std::string r = Hex32(ECDSA_SIG_get0_r(signature));
  std::string s = Hex32(ECDSA_SIG_get0_s(signature));
  ECDSA_SIG_free(signature);
  return r.empty() || s.empty() ? "" : r + s;
}
