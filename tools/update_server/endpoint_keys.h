// Key pair handling of the update endpoint: P-256 keys in PEM files, the 128-digit public
// key text the program's build needs, and r||s signatures over SHA-256 of a body.
#pragma once

#include <openssl/evp.h>

#include <string>

EVP_PKEY* GenerateEndpointKey();
bool SaveEndpointKey(EVP_PKEY* key, const char* path);
EVP_PKEY* LoadEndpointKey(const char* path);
std::string PublicKeyHex(EVP_PKEY* key);  // X||Y, 128 lower-case digits; empty on failure
std::string SignBodyHex(EVP_PKEY* key, const std::string& body);  // r||s, 128 digits
