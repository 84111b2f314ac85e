#include "shell/url_encoding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Parsed {
  int ok;
  char scheme[16] = "";
  char host[64] = "";
  int port = 0;
  char path[64] = "";
  char query[64] = "";
};

Parsed Parse(const char* url) {
  Parsed p;
  UrlParts parts;
  parts.scheme = p.scheme;
  parts.schemeSize = sizeof(p.scheme);
  parts.host = p.host;
  parts.hostSize = sizeof(p.host);
  parts.port = &p.port;
  parts.path = p.path;
  parts.pathSize = sizeof(p.path);
  parts.query = p.query;
  parts.querySize = sizeof(p.query);
  p.ok = ParseUrl(url, parts);
  return p;
}

}  // namespace

TEST(ParseUrl, SplitsTheParts) {
  Parsed p = Parse("http://h/p");
  EXPECT_EQ(p.ok, 1);
  EXPECT_STREQ(p.scheme, "http");
  EXPECT_STREQ(p.host, "h");
  EXPECT_EQ(p.port, 80);
  EXPECT_STREQ(p.path, "/p");
  EXPECT_STREQ(p.query, "");

  p = Parse("http://h");
  EXPECT_EQ(p.ok, 1);
  EXPECT_STREQ(p.path, "/");

  p = Parse("ftp://h/x");
  EXPECT_EQ(p.port, -1);

  p = Parse("http://h:8080/x?u=1&v=2");
  EXPECT_EQ(p.port, 8080);
  EXPECT_STREQ(p.path, "/x");
  EXPECT_STREQ(p.query, "u=1&v=2");

  p = Parse("http://h?q");  // the host ends only at "/" or ":"
  EXPECT_STREQ(p.host, "h?q");
  EXPECT_STREQ(p.path, "/");
}

TEST(ParseUrl, RejectsBadAddresses) {
  EXPECT_EQ(Parse("http://h:123456/x").ok, 0);
  EXPECT_EQ(Parse("http://h:8a/x").ok, 0);
  EXPECT_EQ(Parse("http://h:/x").ok, 0);
  EXPECT_EQ(Parse("h/x").ok, 0);
  EXPECT_EQ(Parse("http:///x").ok, 0);
  EXPECT_EQ(Parse("HTTP://h/x").port, -1);  // the scheme is compared case-sensitively
  EXPECT_EQ(ParseUrl(nullptr, UrlParts{}), 0);
}

TEST(ParseUrl, CutsLongPartsToTheirBuffers) {
  std::string url = "http://" + std::string(300, 'a') + "/" + std::string(300, 'p');
  Parsed p = Parse(url.c_str());
  EXPECT_EQ(p.ok, 1);
  EXPECT_EQ(strlen(p.host), sizeof(p.host) - 1);
  EXPECT_EQ(strlen(p.path), sizeof(p.path) - 1);
}

TEST(UrlEncode, EscapesAllButUnreserved) {
  char out[64];
  EXPECT_EQ(UrlEncode(out, sizeof(out), "a b&c~"), 1);
  EXPECT_STREQ(out, "a%20b%26c~");
  EXPECT_EQ(UrlEncode(out, sizeof(out), "\xE9"), 1);
  EXPECT_STREQ(out, "%E9");
  EXPECT_EQ(UrlEncode(out, sizeof(out), "abcdef", 3), 1);
  EXPECT_STREQ(out, "abc");
}

TEST(UrlEncode, NeverSplitsAnEscape) {
  char out[5];
  EXPECT_EQ(UrlEncode(out, sizeof(out), "ab c"), 0);
  EXPECT_STREQ(out, "ab");  // "%20" needs 4 bytes with the terminator; only 3 were left
  char exact[4];
  EXPECT_EQ(UrlEncode(exact, sizeof(exact), " "), 1);
  EXPECT_STREQ(exact, "%20");
  char tiny[1];
  EXPECT_EQ(UrlEncode(tiny, sizeof(tiny), "a"), 0);
  EXPECT_STREQ(tiny, "");
}

TEST(UrlDecode, DecodesAndReportsBadEscapes) {
  char out[64];
  EXPECT_EQ(UrlDecode(out, sizeof(out), "a+b%41"), 1);
  EXPECT_STREQ(out, "a bA");
  EXPECT_EQ(UrlDecode(out, sizeof(out), "50%"), 1);
  EXPECT_STREQ(out, "50");
  EXPECT_EQ(UrlDecode(out, sizeof(out), "5%G0"), 0);
  EXPECT_STREQ(out, "5");
  EXPECT_EQ(UrlDecode(out, sizeof(out), "%4"), 0);
  EXPECT_EQ(UrlDecode(out, sizeof(out), "%e9%C3"), 1);
  EXPECT_STREQ(out, "\xE9\xC3");
  EXPECT_EQ(UrlDecode(out, sizeof(out), "ab%41cd", 4), 0);  // the escape is cut by the length
  EXPECT_STREQ(out, "ab");
}

TEST(UrlDecode, StopsWhenTheOutputIsFull) {
  char out[4];
  EXPECT_EQ(UrlDecode(out, sizeof(out), "abcdef"), 0);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(UrlDecode(out, sizeof(out), "abc"), 1);
}

TEST(FormRemove, RemovesMatchingFields) {
  char form[64] = "v=1&v=2&u=3";
  FormRemove(form, "v");
  EXPECT_STREQ(form, "v=2&u=3");  // the field after a removed one is not examined
  strcpy(form, "u=2&v=1");
  FormRemove(form, "v");
  EXPECT_STREQ(form, "u=2&");  // the "&" before a removed last field stays
  strcpy(form, "vv=1&v&x=2");
  FormRemove(form, "v");
  EXPECT_STREQ(form, "vv=1&x=2");
}

TEST(FormAppend, ReplacesAndAppends) {
  char form[64] = "v=1&u=2";
  EXPECT_EQ(FormAppend(form, sizeof(form), "v", "9"), 1);
  EXPECT_STREQ(form, "u=2&v=9");
  char empty[64] = "";
  EXPECT_EQ(FormAppend(empty, sizeof(empty), "a b", "c&d"), 1);
  EXPECT_STREQ(empty, "a%20b=c%26d");
}

TEST(FormAppend, LeavesTheFormWhenTheFieldDoesNotFit) {
  char form[12] = "u=2";
  EXPECT_EQ(FormAppend(form, sizeof(form), "v", "123456789"), 0);
  EXPECT_STREQ(form, "u=2");
  EXPECT_EQ(FormAppend(form, sizeof(form), "v", "1234"), 1);
  EXPECT_STREQ(form, "u=2&v=1234");
  char full[4] = "abc";
  EXPECT_EQ(FormAppend(full, sizeof(full), "v", "1"), 0);
  EXPECT_STREQ(full, "abc");
}

TEST(FormGetValue, FindsTheExactKey) {
  char out[32] = "junk";
  EXPECT_EQ(FormGetValue("vv=2&v=3%2E1&x=", out, sizeof(out), "v"), 1);
  EXPECT_STREQ(out, "3.1");
  EXPECT_EQ(FormGetValue("vv=2", out, sizeof(out), "v"), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(FormGetValue("a=1&x=", out, sizeof(out), "x"), 1);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(FormGetValue("v=%ZZ", out, sizeof(out), "v"), 0);
}
