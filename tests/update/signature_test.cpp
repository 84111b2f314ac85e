#include "update/signature.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "scripted_server.h"
#include "update/update_checker.h"

namespace {

// The test endpoint key (tools/update_server/test_key.pem) and its signature of "v=3.1".
const char kTestKeyHex[] =
    "c9594a191e7fbc8dc2dcda3cf4bb01ef3eabbcdf405e55a0f9e512b813e2024c"
    "53168c712e102d4ae914c63fe48a96fe64feba5b91d976e01f3f47abd5c2d5ed";
const char kSignatureHex[] =
    "ee3d980f66ebc3a77a8b59c88be3b3a15fabe41674e6955bfbb80519ccc25b8e"
    "a643849b9e6bf9955bba41a6de217e32f56c44d16ebe2c62ec914cfecb1394dd";
const char kOrderHex[] = "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551";

std::string DigestHex(const unsigned char* digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < kSha256Size; i++) {
    text += kDigits[digest[i] >> 4];
    text += kDigits[digest[i] & 15];
  }
  return text;
}

std::string Sha256Hex(const std::string& bytes) {
  Sha256State state;
  Sha256Start(&state);
  Sha256Update(&state, bytes.data(), static_cast<int>(bytes.size()));
  unsigned char digest[kSha256Size];
  Sha256Finish(&state, digest);
  return DigestHex(digest);
}

struct Vector {
  unsigned char key[kPublicKeySize];
  unsigned char digest[kSha256Size];
  unsigned char signature[kSignatureSize];
};

Vector ValidVector() {
  Vector v;
  EXPECT_EQ(HexDecode(kTestKeyHex, 128, v.key), 1);
  EXPECT_EQ(HexDecode(kSignatureHex, 128, v.signature), 1);
  Sha256State state;
  Sha256Start(&state);
  Sha256Update(&state, "v=3.1", 5);
  Sha256Finish(&state, v.digest);
  return v;
}

}  // namespace

TEST(Sha256, KnownAnswers) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PiecesGiveTheSameDigestAsOnePiece) {
  std::string text(1000, 0);
  for (size_t i = 0; i < text.size(); i++) text[i] = static_cast<char>(i * 7);
  Sha256State state;
  Sha256Start(&state);
  for (size_t at = 0, step = 1; at < text.size(); at += step, step = step % 67 + 1) {
    size_t count = std::min(step, text.size() - at);
    Sha256Update(&state, text.data() + at, static_cast<int>(count));
    Sha256Update(&state, text.data(), 0);  // empty pieces change nothing
  }
  unsigned char digest[kSha256Size];
  Sha256Finish(&state, digest);
  EXPECT_EQ(DigestHex(digest), Sha256Hex(text));

  // A state is reusable: starting again forgets what came before.
  Sha256Start(&state);
  Sha256Update(&state, "abc", 3);
  Sha256Finish(&state, digest);
  EXPECT_EQ(DigestHex(digest), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(VerifySignature, AcceptsTheEndpointToolsSignature) {
  Vector v = ValidVector();
  EXPECT_TRUE(VerifySignature(v.key, v.digest, v.signature));
}

TEST(VerifySignature, AnyFlippedBitOfDigestOrSignatureFails) {
  Vector v = ValidVector();
  for (int bit = 0; bit < kSha256Size * 8; bit++) {
    Vector w = v;
    w.digest[bit / 8] ^= static_cast<unsigned char>(1 << (bit % 8));
    EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature)) << "digest bit " << bit;
  }
  for (int bit = 0; bit < kSignatureSize * 8; bit++) {
    Vector w = v;
    w.signature[bit / 8] ^= static_cast<unsigned char>(1 << (bit % 8));
    EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature)) << (bit < 256 ? "r" : "s") << " bit " << bit % 256;
  }
}

TEST(VerifySignature, OutOfRangeSignatureValuesFail) {
  Vector v = ValidVector();
  Vector w = v;
  memset(w.signature, 0, sizeof(w.signature));
  EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature));

  unsigned char order[32];
  ASSERT_EQ(HexDecode(kOrderHex, 64, order), 1);
  w = v;
  memcpy(w.signature, order, 32);  // r = n
  EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature));
  w = v;
  memcpy(w.signature + 32, order, 32);  // s = n
  EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature));
  w = v;
  memset(w.signature, 0, 32);  // r = 0
  EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature));
  w = v;
  memset(w.signature + 32, 0xFF, 32);  // s above n
  EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature));
}

TEST(VerifySignature, KeysOffTheCurveFailWithoutCrashing) {
  Vector v = ValidVector();
  Vector w = v;
  w.key[63] ^= 1;  // Y no longer matches X
  EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature));
  memset(w.key, 0, sizeof(w.key));  // the point at infinity has no affine form
  EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature));
  memset(w.key, 0xFF, sizeof(w.key));  // coordinates beyond the field
  EXPECT_FALSE(VerifySignature(w.key, w.digest, w.signature));
  EXPECT_FALSE(VerifySignature(nullptr, v.digest, v.signature));
}

namespace {

// Anyone can sign the all-zero digest with the public key alone: for R = t*Q,
// r = x(R) mod n and s = r/t mod n, verification computes 0*G + (r/s)*Q = t*Q = R.
void ForgeZeroDigestSignature(const unsigned char* key, unsigned char* signature) {
  EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1);
  BN_CTX* context = BN_CTX_new();
  BIGNUM* x = BN_bin2bn(key, 32, nullptr);
  BIGNUM* y = BN_bin2bn(key + 32, 32, nullptr);
  BIGNUM* t = BN_new();
  BIGNUM* rx = BN_new();
  BIGNUM* r = BN_new();
  BIGNUM* s = BN_new();
  EC_POINT* q = EC_POINT_new(group);
  EC_POINT* point = EC_POINT_new(group);
  BN_set_word(t, 7);
  EC_POINT_set_affine_coordinates(group, q, x, y, context);
  EC_POINT_mul(group, point, nullptr, q, t, context);
  EC_POINT_get_affine_coordinates(group, point, rx, nullptr, context);
  const BIGNUM* order = EC_GROUP_get0_order(group);
  BN_nnmod(r, rx, order, context);
  BIGNUM* inverse = BN_mod_inverse(nullptr, t, order, context);
  BN_mod_mul(s, r, inverse, order, context);
  BN_bn2binpad(r, signature, 32);
  BN_bn2binpad(s, signature + 32, 32);
  BN_free(inverse);
  EC_POINT_free(point);
  EC_POINT_free(q);
  BN_free(s);
  BN_free(r);
  BN_free(rx);
  BN_free(t);
  BN_free(y);
  BN_free(x);
  BN_CTX_free(context);
  EC_GROUP_free(group);
}

std::string Hex(const unsigned char* bytes, int count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < count; i++) text += std::string(1, kDigits[bytes[i] >> 4]) + kDigits[bytes[i] & 15];
  return text;
}

}  // namespace

TEST(UpdateChecker, AZeroDigestForgeryIsRefusedEndToEnd) {
  Vector v = ValidVector();
  unsigned char forged[kSignatureSize];
  ForgeZeroDigestSignature(v.key, forged);
  const unsigned char zeros[kSha256Size] = {};
  ASSERT_TRUE(VerifySignature(v.key, zeros, forged)) << "the forgery itself must be sound";

  std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/x-www-form-urlencoded\r\nX-tallowbox-signature: " +
                     Hex(forged, kSignatureSize) + "\r\n";
  std::string full = "v=9.9&p=" + std::string(kUpdateBodySize - 8, 'x');
  struct Case {
    std::string answer;
    const char* failure;
  } cases[] = {
      {head + "Content-Length: 5\r\n\r\nv=9.9", "the data received from the server appears to be corrupt"},
      {head + "Content-Length: " + std::to_string(full.size()) + "\r\n\r\n" + full, "response body too long"},
      {head + "Transfer-Encoding: chunked\r\n\r\n5\r\nv=9.9\r\n", "error reading server response"},
  };
  for (const Case& c : cases) {
    ScriptedServer server({c.answer});
    std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/dozelite/version";
    UpdateChecker checker;
    checker.url = url.c_str();
    checker.product = "Dozelite";
    checker.currentVersion = "3.0";
    checker.publicKey = v.key;
    EXPECT_EQ(checker.RunUpdateCheck(), 1) << c.failure;
    EXPECT_STREQ(checker.failure, c.failure);
    EXPECT_STREQ(checker.latestVersion, "");
  }
}

// libcrypto reads no configuration file: one that asks for algorithms no provider has
// would otherwise switch every update check off. Run in a fresh process, since the
// library starts once per process.
TEST(Libcrypto, AHostileConfigurationFileChangesNothing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string path = (std::filesystem::temp_directory_path() / "dozelite-hostile-openssl.cnf").string();
  {
    std::ofstream file(path, std::ios::binary);
    file << "openssl_conf = init\n[init]\nalg_section = algorithms\n[algorithms]\ndefault_properties = fips=yes\n";
  }
  EXPECT_EXIT(
      {
#ifdef _WIN32
        _putenv_s("OPENSSL_CONF", path.c_str());
#else
        setenv("OPENSSL_CONF", path.c_str(), 1);
#endif
        Vector v = ValidVector();
        bool digestOk = Sha256Hex("abc") == "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
        exit(digestOk && VerifySignature(v.key, v.digest, v.signature) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  std::filesystem::remove(path);
}
