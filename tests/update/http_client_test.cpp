#include "update/http_client.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "scripted_server.h"
#include "update/bounded_lookup.h"

namespace {

std::string Sha256Of(const std::string& bytes) {
  Sha256State state;
  Sha256Start(&state);
  Sha256Update(&state, bytes.data(), static_cast<int>(bytes.size()));
  unsigned char digest[kSha256Size];
  Sha256Finish(&state, digest);
  return std::string(reinterpret_cast<char*>(digest), kSha256Size);
}

// One exchange against a scripted server: connect, send a GET, read the head.
struct Exchange {
  ScriptedServer server;
  HttpConnection connection;
  HttpResponse response;
  int headResult = -99;

  explicit Exchange(std::vector<std::string> pieces, bool holdOpen = false, int pauseMs = 15)
      : server(std::move(pieces), holdOpen, pauseMs) {
    EXPECT_EQ(connection.Connect("127.0.0.1", server.port()), 0);
    HttpHeaders headers;
    headers.Add("Host", "127.0.0.1");
    HttpRequest request;
    request.method = "GET";
    request.target = "/dozelite/version?u=1";
    request.headers = &headers;
    EXPECT_EQ(connection.SendRequest(request), 0);
    connection.SetDigest(true);
    headResult = connection.ReceiveResponseHead(&response);
  }
  ~Exchange() { connection.Close(); }

  // Reads the whole body in pieces of at most `step` bytes; the last result in *last.
  std::string Body(int step, int* last) {
    std::string body;
    char piece[20000];
    for (int round = 0; round < 100000; round++) {
      *last = connection.ReadBody(&response, piece, step);
      if (*last <= 0) break;
      body.append(piece, *last);
    }
    return body;
  }
  std::string Digest() {
    unsigned char digest[kSha256Size];
    EXPECT_TRUE(connection.GetDigest(digest));
    return std::string(reinterpret_cast<char*>(digest), kSha256Size);
  }
};

const char* Value(const HttpResponse& response, const char* name) {
  const HttpHeader* header = response.headers ? response.headers->Find(name) : nullptr;
  return header ? header->value : nullptr;
}

}  // namespace

TEST(TrimCopy, RemovesOnlyTheSetAtBothEnds) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {{"  a b\t ", "a b"}, {"\t\t", ""}, {"", ""}, {"x", "x"}, {" \tx\t y \t", "x\t y"}};
  for (const Case& c : cases) {
    char* copy = TrimCopy(c.text, " \t");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, c.expected);
    free(copy);
  }
  EXPECT_EQ(TrimCopy(nullptr, " "), nullptr);
}

TEST(HttpHeaders, GrowsKeepsOrderAndFindsTheFirstMatchIgnoringCase) {
  HttpHeaders headers;
  for (int i = 0; i < 25; i++) {
    std::string name = "Field" + std::to_string(i);
    ASSERT_NE(headers.Add(name.c_str(), std::to_string(i).c_str()), nullptr);
  }
  headers.Add("field3", "second");
  EXPECT_EQ(headers.count, 26u);
  EXPECT_STREQ(headers.entries[24]->name, "Field24");
  EXPECT_STREQ(headers.Find("FIELD3")->value, "3");
  EXPECT_EQ(headers.Find("Field"), nullptr);
  EXPECT_EQ(headers.Find("Field33"), nullptr);
}

TEST(HttpHeaders, RefusesMissingPartsAndOversizedFields) {
  HttpHeaders headers;
  EXPECT_EQ(headers.Add(nullptr, "v"), nullptr);
  EXPECT_EQ(headers.Add("n", nullptr), nullptr);
  std::string value(kHttpMaxFieldText - 1, 'v');
  EXPECT_NE(headers.Add("n", value.c_str()), nullptr);    // 16379 characters in all
  EXPECT_EQ(headers.Add("nn", value.c_str()), nullptr);   // one more is refused
  EXPECT_EQ(headers.count, 1u);
}

TEST(HttpConnection, SendsTheRequestLineAndFieldsInOrder) {
  ScriptedServer server({"HTTP/1.1 204 No Content\r\n\r\n"});
  HttpConnection connection;
  ASSERT_EQ(connection.Connect("127.0.0.1", server.port()), 0);
  EXPECT_EQ(connection.Connect("127.0.0.1", server.port()), -1);  // one connection per object
  HttpHeaders headers;
  headers.Add("Host", "update.example");
  headers.Add("User-Agent", "tallowbox-updater/1.0");
  // Three fields of 10000 characters pass the 16384-byte flush point twice.
  std::string big(10000, 'b');
  for (int i = 0; i < 3; i++) headers.Add(("X-Big" + std::to_string(i)).c_str(), big.c_str());
  HttpRequest request;
  request.method = "GET";
  request.target = "/dozelite/version?u=x&a=Dozelite&v=3.0";
  request.headers = &headers;
  ASSERT_EQ(connection.SendRequest(request), 0);
  HttpResponse response;
  EXPECT_EQ(connection.ReceiveResponseHead(&response), 0);
  EXPECT_EQ(connection.Close(), 0);
  EXPECT_EQ(server.request(),
            "GET /dozelite/version?u=x&a=Dozelite&v=3.0 HTTP/1.1\r\nHost: update.example\r\n"
            "User-Agent: tallowbox-updater/1.0\r\nX-Big0: " + big + "\r\nX-Big1: " + big + "\r\nX-Big2: " + big +
                "\r\n\r\n");
}

TEST(HttpConnection, ReadsTheStatusLineAndTrimsFieldValues) {
  Exchange x({"HTTP/1.1 200 OK Fine\r\nContent-Type:   text/plain   \r\n", "X-Empty:    \r\nContent-Length: 0\r\n\r\n"});
  ASSERT_EQ(x.headResult, 0);
  EXPECT_EQ(x.response.status, 200);
  EXPECT_STREQ(x.response.version, "HTTP/1.1");
  EXPECT_STREQ(x.response.reason, "OK Fine");
  EXPECT_STREQ(Value(x.response, "content-type"), "text/plain");
  EXPECT_STREQ(Value(x.response, "X-Empty"), "");
  EXPECT_EQ(x.response.bodyLength, 0);
}

TEST(HttpConnection, Status204HasNoBodyWhateverItsFieldsSay) {
  Exchange x({"HTTP/1.1 204 No Content\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\nhello"});
  ASSERT_EQ(x.headResult, 0);
  EXPECT_EQ(x.response.bodyLength, 0);
  int last = 0;
  EXPECT_EQ(x.Body(100, &last), "");
  EXPECT_EQ(last, 0);
  EXPECT_EQ(x.Digest(), Sha256Of(""));
}

TEST(HttpConnection, ReadsAChunkedBodyAndItsTrailersAndDigestsOnlyTheData) {
  Exchange x({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"});
  ASSERT_EQ(x.headResult, 0);
  EXPECT_EQ(x.response.bodyLength, kBodyChunked);
  int last = 0;
  EXPECT_EQ(x.Body(100, &last), "hello");
  EXPECT_EQ(last, 0);
  EXPECT_EQ(x.response.remaining, kLastChunkRead);
  EXPECT_EQ(x.Digest(), Sha256Of("hello"));
}

TEST(HttpConnection, ChunksSplitAcrossReceivesWithExtensionsAndTrailers) {
  Exchange x({"HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n3;name=value\r\nabc\r", "\n1A \r\n",
              "abcdefghijklmnopqrstuvwxyz\r\n0\r\nX-Trailer:  done \r\nX-Other: 1\r\n", "\r\n"});
  ASSERT_EQ(x.headResult, 0);
  int last = 0;
  std::string expected = "abcabcdefghijklmnopqrstuvwxyz";
  EXPECT_EQ(x.Body(4, &last), expected);
  EXPECT_EQ(last, 0);
  EXPECT_EQ(x.Digest(), Sha256Of(expected));
  EXPECT_STREQ(Value(x.response, "X-Trailer"), "done");
  EXPECT_STREQ(Value(x.response, "X-Other"), "1");
}

TEST(HttpConnection, IdentityCodingUsesTheContentLength) {
  Exchange x({"HTTP/1.1 200 OK\r\nTransfer-Encoding: IDENTITY\r\nContent-Length: 5\r\n\r\nhelloEXTRA"});
  ASSERT_EQ(x.headResult, 0);
  EXPECT_EQ(x.response.bodyLength, 5);
  int last = 0;
  EXPECT_EQ(x.Body(3, &last), "hello");
  EXPECT_EQ(last, 0);
  EXPECT_EQ(x.Digest(), Sha256Of("hello"));
}

TEST(HttpConnection, SizedBodyLargerThanTheBufferArrivesWhole) {
  std::string body(40000, 'z');
  body[123] = 'q';
  Exchange x({"HTTP/1.1 200 OK\r\nContent-Length: 40000\r\n\r\n" + body.substr(0, 7000), body.substr(7000)});
  ASSERT_EQ(x.headResult, 0);
  int last = 0;
  EXPECT_EQ(x.Body(20000, &last), body);
  EXPECT_EQ(last, 0);
  EXPECT_EQ(x.Digest(), Sha256Of(body));
}

TEST(HttpConnection, LinesLongerThanTheBufferAreMalformed) {
  std::string longValue(kHttpBufferSize, 'x');
  Exchange x({"HTTP/1.1 200 OK\r\nX-Long: " + longValue + "\r\n\r\n"});
  EXPECT_EQ(x.headResult, 1);
}

TEST(HttpConnection, ALineThatFillsTheBufferExactlyIsRead) {
  // The status line is consumed first, so the long field line gets the buffer from the start
  // once the reader moves the unread bytes down.
  std::string value(kHttpBufferSize - 2 - 3 - 1, 'x');  // "X: " + value + CR LF = 16384
  Exchange x({"HTTP/1.1 200 OK\r\nX: " + value + "\r\nContent-Length: 0\r\n\r\n"});
  EXPECT_EQ(x.headResult, 0);
}

TEST(HttpConnection, MalformedHeadsAreRefused) {
  const char* heads[] = {
      "HTTP/1.1 200\r\n\r\n",                                   // no reason phrase
      "HTTP/1.1 200 \r\n\r\n",                                  // empty reason phrase
      "HTTP/1.1\r\n\r\n",                                       // no status code
      "HTTP/1.1 OK fine\r\n\r\n",                               // status not a number
      "HTTP/1.1 200 OK\r\nno colon here\r\n\r\n",               // field without ":"
      "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",          // would read as chunked
      "HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\n",          // not a number
      "HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\n"  // beyond 32 bits
  };
  for (const char* head : heads) {
    Exchange x({head});
    EXPECT_EQ(x.headResult, 1) << head;
  }
}

TEST(HttpConnection, TooManyFieldsAreRefused) {
  std::string head = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i <= kHttpMaxFields; i++) head += "X-F: " + std::to_string(i) + "\r\n";
  Exchange x({head + "\r\n"});
  EXPECT_EQ(x.headResult, 1);
}

TEST(HttpConnection, ConnectionEndingEarlyIsReported) {
  {
    Exchange x({"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"});  // head cut short
    EXPECT_EQ(x.headResult, 2);
  }
  {
    Exchange x({"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"});
    ASSERT_EQ(x.headResult, 0);
    int last = 0;
    x.Body(100, &last);  // the bytes that did come are not reported as a body
    EXPECT_EQ(last, -3);
  }
  {
    Exchange x({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel"});
    ASSERT_EQ(x.headResult, 0);
    int last = 0;
    x.Body(100, &last);
    EXPECT_EQ(last, -3);
  }
}

TEST(HttpConnection, BodyWithoutLengthRunsToTheEndOfTheConnection) {
  {
    Exchange x({"HTTP/1.1 200 OK\r\n\r\nuntil the end"});
    ASSERT_EQ(x.headResult, 0);
    EXPECT_EQ(x.response.bodyLength, kBodyToEnd);
    int last = 0;
    EXPECT_EQ(x.Body(100, &last), "");  // its end is never a normal end
    EXPECT_EQ(last, -3);
  }
  {
    Exchange x({"HTTP/1.1 200 OK\r\n\r\nuntil the end"});
    char piece[5];
    EXPECT_EQ(x.connection.ReadBody(&x.response, piece, sizeof(piece)), 5);  // a full destination stops early
    EXPECT_EQ(memcmp(piece, "until", 5), 0);
  }
}

TEST(HttpConnection, BadChunkFramesAreMalformed) {
  const char* bodies[] = {
      "zz\r\nhello\r\n0\r\n\r\n",          // size not hexadecimal
      "\r\nhello\r\n0\r\n\r\n",            // empty size line
      "5\r\nhelloX\r\n0\r\n\r\n",          // data longer than its size
      "fffffffff\r\nhello\r\n0\r\n\r\n",   // size beyond 32 bits
      "-5\r\nhello\r\n0\r\n\r\n",          // negative size
      "5\r\nhello\r\n0\r\nno colon\r\n\r\n"  // malformed trailer
  };
  for (const char* body : bodies) {
    Exchange x({std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n") + body});
    ASSERT_EQ(x.headResult, 0);
    int last = 0;
    x.Body(100, &last);
    EXPECT_EQ(last, -1) << body;
  }
}

// A silent server ends the exchange at the step time-out, or at the exchange's deadline
// when that comes first.
TEST(HttpConnection, ASilentServerTimesOut) {
  int savedTimeout = GetHttpTimeout();
  int savedDeadline = GetHttpDeadline();
  struct Case {
    int timeoutMs, deadlineMs;
  } cases[] = {{300, savedDeadline}, {30000, 500}};
  for (const Case& c : cases) {
    SetHttpTimeout(c.timeoutMs);
    SetHttpDeadline(c.deadlineMs);
    auto start = std::chrono::steady_clock::now();
    {
      Exchange x({}, true);
      EXPECT_EQ(x.headResult, 2);
    }
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(10)) << c.timeoutMs << " ms a step, " << c.deadlineMs << " ms in all";
  }
  SetHttpTimeout(savedTimeout);
  SetHttpDeadline(savedDeadline);
}

TEST(HttpConnection, ConnectFailuresReportAnError) {
  int port = 0;
  SocketStartup();
  SocketHandle unused = SocketListenLoopback(&port);
  SocketClose(unused);  // nothing listens there now
  HttpConnection connection;
  EXPECT_NE(connection.Connect("127.0.0.1", port), 0);
  EXPECT_EQ(connection.Close(), 0);
  HttpConnection badPort;
  EXPECT_NE(badPort.Connect("127.0.0.1", -1), 0);
  badPort.Close();
  HttpConnection never;
  EXPECT_EQ(never.Close(), 0);
  SocketCleanup();
}

// The digest counts only once the body has ended: an all-zero digest of a body read in
// part must never reach the signature check.
TEST(HttpConnection, TheDigestIsRefusedUntilTheBodyHasEnded) {
  struct Case {
    const char* answer;
    int firstRead;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789", 4},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n0123\r\n6\r\n456789\r\n0\r\n\r\n", 10},
  };
  for (const Case& c : cases) {
    Exchange x({c.answer});
    ASSERT_EQ(x.headResult, 0);
    char piece[32];
    unsigned char digest[kSha256Size];
    EXPECT_EQ(x.connection.ReadBody(&x.response, piece, c.firstRead), c.firstRead) << c.answer;
    EXPECT_FALSE(x.connection.GetDigest(digest)) << c.answer;
    int last = 0;
    EXPECT_EQ(std::string(piece, c.firstRead) + x.Body(32, &last), "0123456789");
    EXPECT_EQ(x.Digest(), Sha256Of("0123456789")) << c.answer;
  }
}

TEST(Sha256, FinishReportsAStateThatNeverStarted) {
  Sha256State never;
  unsigned char digest[kSha256Size];
  memset(digest, 0xAA, sizeof(digest));
  EXPECT_FALSE(Sha256Finish(&never, digest));
  EXPECT_EQ(digest[0], 0);
  EXPECT_EQ(digest[kSha256Size - 1], 0);
}

// A server that trickles its answer one byte at a time never lets a single receive time
// out; the deadline of the whole exchange must end it anyway.
TEST(HttpConnection, ATricklingServerIsCutOffAtTheDeadline) {
  int savedDeadline = GetHttpDeadline();
  SetHttpDeadline(1000);
  std::vector<std::string> bytes;
  for (char c : std::string("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\nok"))
    bytes.push_back(std::string(1, c));
  auto start = std::chrono::steady_clock::now();
  int headResult = 0;
  {
    Exchange x(bytes, false, 100);  // about 7 s for the whole answer
    headResult = x.headResult;
  }
  auto elapsed = std::chrono::steady_clock::now() - start;
  SetHttpDeadline(savedDeadline);
  EXPECT_EQ(headResult, 2);
  EXPECT_LT(elapsed, std::chrono::milliseconds(3500));
}

namespace {

std::atomic<bool> releaseSlowLookup{false};

int SlowLookup(const char*, uint32_t* address, int*) {
  while (!releaseSlowLookup) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  *address = 0x0100007F;
  return 1;
}

int FastLookup(const char* host, uint32_t* address, int* error) {
  if (strcmp(host, "known.example") != 0) {
    *error = 11001;
    return 0;
  }
  *address = 0x04030201;
  return 1;
}

}  // namespace

TEST(LookupHostWithin, AnswersInTimeOrGivesUp) {
  struct Case {
    const char* host;
    HostLookup lookup;
    int found;
    int error;
    uint32_t address;
  } cases[] = {
      {"known.example", FastLookup, 1, 0, 0x04030201},
      {"unknown.example", FastLookup, 0, 11001, 0},
      {"slow.example", SlowLookup, 0, kLookupTimedOut, 0},
  };
  for (const Case& c : cases) {
    uint32_t address = 0;
    int error = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LookupHostWithin(c.host, &address, 300, &error, c.lookup), c.found) << c.host;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << c.host;
    EXPECT_EQ(error, c.error) << c.host;
    EXPECT_EQ(address, c.address) << c.host;
  }
  releaseSlowLookup = true;  // the abandoned lookup ends on its own and frees its job

  std::string tooLong(kLookupHostSize, 'a');
  uint32_t address = 0;
  int error = 0;
  EXPECT_EQ(LookupHostWithin(tooLong.c_str(), &address, 300, &error, FastLookup), 0);
  EXPECT_EQ(error, -1);
}
