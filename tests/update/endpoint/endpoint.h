// The reference update endpoint the test script started: its address and public key come
// from DOZELITE_TEST_ENDPOINT ("http://127.0.0.1:<port>") and DOZELITE_TEST_PUBLIC_KEY.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "update/update_checker.h"

inline std::string EndpointBase() {
  const char* base = getenv("DOZELITE_TEST_ENDPOINT");
  return base ? base : "";
}

inline std::string EndpointKeyHex() {
  const char* key = getenv("DOZELITE_TEST_PUBLIC_KEY");
  return key ? key : "";
}

// The endpoint address for one behaviour: "" is the plain endpoint, else "<mode>[/<arg>]".
inline std::string EndpointUrl(const std::string& mode) {
  return EndpointBase() + (mode.empty() ? "" : "/" + mode) + "/dozelite/version";
}

class EndpointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(EndpointBase().empty()) << "run through with_endpoint.sh";
    ASSERT_EQ(EndpointKeyHex().size(), 128u);
    ASSERT_EQ(HexDecode(EndpointKeyHex().c_str(), 128, key_), 1);
  }
  unsigned char key_[64] = {};
};
