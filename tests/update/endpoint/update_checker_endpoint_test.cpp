// UpdateChecker against the reference endpoint on 127.0.0.1, one behaviour per answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "endpoint.h"
#include "update/http_client.h"
#include "update/update_checker.h"

namespace {

std::vector<std::string> reported;

void Report(const char* product, const char* message) { reported.push_back(std::string(product) + ": " + message); }

struct Outcome {
  int result;
  std::string failure;
  std::string latest;
  bool newer;
};

class UpdateCheckerEndpoint : public EndpointTest {
 protected:
  Outcome Check(const std::string& mode, const char* current = "3.0", bool quiet = false) {
    reported.clear();
    std::string url = EndpointUrl(mode) + "?v=" + current + "&u=0e8c2a4d-test";
    UpdateChecker checker;
    checker.url = url.c_str();
    checker.product = "Dozelite";
    checker.currentVersion = current;
    checker.publicKey = key_;
    checker.quiet = quiet;
    checker.reportError = Report;
    Outcome outcome;
    outcome.result = checker.RunUpdateCheck();
    outcome.failure = checker.failure ? checker.failure : "";
    outcome.latest = checker.latestVersion;
    outcome.newer = checker.IsNewerVersion();
    if (outcome.result == 0) {
      EXPECT_TRUE(reported.empty());
    } else if (!quiet) {
      EXPECT_EQ(reported, std::vector<std::string>{"Dozelite: " + outcome.failure});
    }
    return outcome;
  }
  void ExpectFailure(const std::string& mode, const char* message) {
    Outcome outcome = Check(mode);
    EXPECT_EQ(outcome.result, 1) << mode;
    EXPECT_EQ(outcome.failure, message) << mode;
    EXPECT_EQ(outcome.latest, "") << mode;
  }
};

}  // namespace

TEST_F(UpdateCheckerEndpoint, AcceptsASignedNewerVersion) {
  for (const char* mode : {"", "ok", "chunked", "slow"}) {
    Outcome outcome = Check(mode);
    EXPECT_EQ(outcome.result, 0) << mode << ": " << outcome.failure;
    EXPECT_EQ(outcome.latest, "3.1") << mode;
    EXPECT_TRUE(outcome.newer) << mode;
  }
}

TEST_F(UpdateCheckerEndpoint, SameVersionIsNotNewer) {
  Outcome outcome = Check("version/3.0");
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(outcome.latest, "3.0");
  EXPECT_FALSE(outcome.newer);
  outcome = Check("", "3.10");
  EXPECT_EQ(outcome.result, 0);
  EXPECT_FALSE(outcome.newer);
}

TEST_F(UpdateCheckerEndpoint, DecodesAPercentEscapedVersion) {
  Outcome outcome = Check("raw/v%3D3.1%252Dbeta%26note%3Dx", "3.1");
  EXPECT_EQ(outcome.result, 0) << outcome.failure;
  EXPECT_EQ(outcome.latest, "3.1-beta");
  EXPECT_TRUE(outcome.newer);
}

TEST_F(UpdateCheckerEndpoint, RefusesForgedOrUnsignedAnswers) {
  const char* corrupt = "the data received from the server appears to be corrupt";
  ExpectFailure("tampered", corrupt);       // one body byte changed after signing
  ExpectFailure("no-signature", corrupt);
  ExpectFailure("bad-signature", corrupt);  // signed with another key
}

TEST_F(UpdateCheckerEndpoint, RefusesAnAnswerUnderAnotherKey) {
  key_[10] ^= 0x40;
  ExpectFailure("", "the data received from the server appears to be corrupt");
}

TEST_F(UpdateCheckerEndpoint, RefusesAnswersWithoutAUsableVersion) {
  const char* noVersion = "error getting latest version from server";
  ExpectFailure("raw/x%3D1", noVersion);
  ExpectFailure("raw/v%3D3.%25G1", noVersion);  // bad escape
  ExpectFailure("raw/v%3D" + std::string(128, '9'), noVersion);
  Outcome longest = Check("raw/v%3D" + std::string(127, '9'));
  EXPECT_EQ(longest.result, 0) << longest.failure;
  EXPECT_EQ(longest.latest.size(), 127u);
}

TEST_F(UpdateCheckerEndpoint, RefusesWrongStatusOrType) {
  ExpectFailure("not-found", "received invalid response from server");
  ExpectFailure("wrong-type", "received invalid response from server");
  ExpectFailure("no-such-mode", "received invalid response from server");
}

TEST_F(UpdateCheckerEndpoint, BodyLimitIs16383Bytes) {
  Outcome accepted = Check("size/16383");
  EXPECT_EQ(accepted.result, 0) << accepted.failure;
  EXPECT_EQ(accepted.latest, "3.1");
  ExpectFailure("size/16384", "response body too long");
  ExpectFailure("size/100000", "response body too long");
}

TEST_F(UpdateCheckerEndpoint, BrokenExchangesFail) {
  ExpectFailure("cut-short", "error reading server response");
  ExpectFailure("close", "error receiving server response");
  int saved = GetHttpTimeout();
  SetHttpTimeout(500);
  ExpectFailure("silent", "error receiving server response");
  SetHttpTimeout(saved);
}

TEST_F(UpdateCheckerEndpoint, BadAddressesFailBeforeAnyExchange) {
  UpdateChecker checker;
  checker.url = "no scheme here";
  checker.product = "Dozelite";
  checker.currentVersion = "3.0";
  checker.publicKey = key_;
  checker.quiet = false;
  checker.reportError = Report;
  reported.clear();
  EXPECT_EQ(checker.RunUpdateCheck(), 1);
  EXPECT_STREQ(checker.failure, "invalid update check URL");
  ASSERT_EQ(reported.size(), 1u);

  checker.url = "http://127.0.0.1:1/dozelite/version";  // nothing listens on port 1
  EXPECT_EQ(checker.RunUpdateCheck(), 1);
  EXPECT_STREQ(checker.failure, "error connecting to server");
}

TEST_F(UpdateCheckerEndpoint, QuietChecksReportNothing) {
  Outcome outcome = Check("tampered", "3.0", true);
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.failure, "the data received from the server appears to be corrupt");
  EXPECT_TRUE(reported.empty());
}
