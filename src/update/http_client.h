// A small blocking HTTP/1.1 client for the update check: one GET per connection, no
// keep-alive, redirects, proxy or TLS. Portable: sockets come from socket_shim.h.
#pragma once

#include "update/signature.h"
#include "update/socket_shim.h"

constexpr int kHttpBufferSize = 16384;
constexpr int kHttpMaxFieldText = 16379;  // name and value of one header field together
constexpr int kHttpMaxFields = 200;       // header and trailer fields of one response
constexpr int kHttpDefaultTimeoutMs = 30000;
constexpr int kHttpDefaultDeadlineMs = 60000;
constexpr int kBodyChunked = -1;
constexpr int kBodyToEnd = -2;
constexpr int kLastChunkRead = -2;

// A copy of text without leading and trailing characters of `set`; free() the result.
char* TrimCopy(const char* text, const char* set);

struct HttpHeader {
  char* name = nullptr;
  char* value = nullptr;
  HttpHeader() = default;
  HttpHeader(const HttpHeader&) = delete;
  HttpHeader& operator=(const HttpHeader&) = delete;
  ~HttpHeader();
};

class HttpHeaders {
 public:
  unsigned count = 0;
  HttpHeader** entries = nullptr;

  HttpHeaders() = default;
  HttpHeaders(const HttpHeaders&) = delete;
  HttpHeaders& operator=(const HttpHeaders&) = delete;
  ~HttpHeaders();
  HttpHeader* Add(const char* name, const char* value);
  HttpHeader* Find(const char* name) const;  // first match, ASCII case ignored
};

struct HttpRequest {
  const char* method = nullptr;
  const char* target = nullptr;
  const HttpHeaders* headers = nullptr;
};

class HttpResponse {
 public:
  int status = 0;
  char* reason = nullptr;
  char* version = nullptr;
  HttpHeaders* headers = nullptr;
  int bodyLength = 0;  // bytes, or kBodyChunked, or kBodyToEnd
  int remaining = 0;   // of the body or current chunk; kLastChunkRead after the last chunk

  HttpResponse() = default;
  HttpResponse(const HttpResponse&) = delete;
  HttpResponse& operator=(const HttpResponse&) = delete;
  ~HttpResponse();
};

// Sets the time-out that new connections use for connecting, sending and each receive
// (0: none).
void SetHttpTimeout(int timeoutMs);
int GetHttpTimeout();
// Sets the limit of a whole exchange of new connections, from the start of Connect (name
// lookup included) to the last byte read (0: none).
void SetHttpDeadline(int deadlineMs);
int GetHttpDeadline();

class HttpConnection {
 public:
  HttpConnection();
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;
  ~HttpConnection();

  int Connect(const char* host, int port);
  int Attach(SocketHandle connected);  // takes over a connected socket, as Connect would
  int SendRequest(const HttpRequest& request);
  void SetDigest(bool on);
  int ReceiveResponseHead(HttpResponse* response);
  int ReadBody(HttpResponse* response, char* destination, int maximum);
  // True only for a digest finished over the whole body without a library failure.
  bool GetDigest(unsigned char digest[kSha256Size]);
  int Close();

 private:
  int ReadLine(char** line);
  int Receive(char* destination, int count);
  int SendBytes(const char* bytes, int count);
  int NextStepTimeout();
  void StartClock();
  int ReadTrailers(HttpResponse* response);
  void FinishDigest();

  SocketHandle socket_ = kNoSocket;
  bool started_ = false;
  int capacity_ = kHttpBufferSize;
  char* buffer_ = nullptr;
  int readPosition_ = 0;
  int unread_ = 0;
  bool digestOn_ = false;
  bool digestFinished_ = false;
  bool digestValid_ = false;
  Sha256State digestState_;
  unsigned char digest_[kSha256Size] = {};
  int timeoutMs_ = kHttpDefaultTimeoutMs;
  int deadlineMs_ = kHttpDefaultDeadlineMs;
  long long deadline_ = 0;  // steady-clock milliseconds; 0: none
};
