// The HTTP client. Framing rules, as the reader applies them:
// - Lines end at LF; a CR right before it is dropped. A line (with its CR LF) must fit
//   in the 16384-byte receive buffer, or the head is malformed.
// - The status line is "version SP code SP reason", all three present. Header lines are
//   split at their first ":"; names and values lose surrounding spaces and tabs.
// - Status 1xx, 204 and 304 have no body. Otherwise a Transfer-Encoding other than
//   "identity" means chunked; else Content-Length (plain decimal digits) gives the size;
//   else the body runs to the end of the connection.
// - Chunks are "hex-size[;extension]" lines, the bytes and an empty line; size 0 ends the
//   body and is followed by trailer fields up to an empty line.
// The digest covers exactly the body bytes handed to the caller, and counts only once the
// body has ended.
// Time: every step (lookup, connect, each send and receive) waits at most the step
// time-out, and never past the deadline of the whole exchange, which starts with Connect.
#include "update/http_client.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "update/bounded_lookup.h"

namespace {

std::atomic<int> defaultTimeoutMs{kHttpDefaultTimeoutMs};
std::atomic<int> defaultDeadlineMs{kHttpDefaultDeadlineMs};

constexpr int kRequestBufferSize = 32768;
constexpr int kRequestFlushSize = 16384;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const char* a, const char* b) {
  while (*a && LowerAscii(*a) == LowerAscii(*b)) a++, b++;
  return LowerAscii(*a) == LowerAscii(*b);
}

// A run of decimal digits only, at most INT_MAX; -1 otherwise.
int ParseDecimal(const char* text) {
  if (!*text) return -1;
  long long value = 0;
  for (; *text; text++) {
    if (*text < '0' || *text > '9') return -1;
    value = value * 10 + (*text - '0');
    if (value > INT_MAX) return -1;
  }
  return static_cast<int>(value);
}

// The chunk size of a size line (up to any ";"), blanks around it allowed; -1 if bad.
int ParseChunkSize(char* line) {
  char* extension = strchr(line, ';');
  if (extension) *extension = 0;
  char* size = TrimCopy(line, " \t");
  if (!size) return -1;
  long long value = 0;
  int digits = 0;
  for (const char* c = size; *c; c++, digits++) {
    int nibble = (*c >= '0' && *c <= '9') ? *c - '0'
                 : (*c >= 'a' && *c <= 'f') ? *c - 'a' + 10
                 : (*c >= 'A' && *c <= 'F') ? *c - 'A' + 10
                                            : -1;
    if (nibble < 0 || value > (INT_MAX >> 4)) {
      digits = 0;
      break;
    }
    value = value * 16 + nibble;
  }
  free(size);
  return digits > 0 && value <= INT_MAX ? static_cast<int>(value) : -1;
}

// Splits "name: value" and adds it; false for a line without ":" or too many fields.
bool AddFieldLine(HttpHeaders* headers, char* line) {
  char* colon = strchr(line, ':');
  if (!colon || headers->count >= static_cast<unsigned>(kHttpMaxFields)) return false;
  *colon = 0;
  headers->Add(line, colon + 1);
  return true;
}

}  // namespace

char* TrimCopy(const char* text, const char* set) {
  if (!text) return nullptr;
  size_t length = strlen(text);
  size_t start = 0;
  while (start < length && strchr(set, text[start])) start++;
  while (length > start && strchr(set, text[length - 1])) length--;
  char* copy = static_cast<char*>(malloc(length - start + 1));
  if (!copy) return nullptr;
  memcpy(copy, text + start, length - start);
  copy[length - start] = 0;
  return copy;
}

HttpHeader::~HttpHeader() {
  free(name);
  free(value);
}

HttpHeaders::~HttpHeaders() {
  for (unsigned i = 0; i < count; i++) delete entries[i];
  delete[] entries;
}

HttpHeader* HttpHeaders::Add(const char* name, const char* value) {
  if (!name || !value || strlen(name) + strlen(value) > static_cast<size_t>(kHttpMaxFieldText)) return nullptr;
  if (count % 10 == 0) {
    HttpHeader** grown = new (std::nothrow) HttpHeader*[count + 10];
    if (!grown) return nullptr;
    for (unsigned i = 0; i < count; i++) grown[i] = entries[i];
    delete[] entries;
    entries = grown;
  }
  HttpHeader* entry = new (std::nothrow) HttpHeader;
  if (!entry) return nullptr;
  entry->name = TrimCopy(name, " \t");
  entry->value = TrimCopy(value, " \t");
  if (!entry->name || !entry->value) {
    delete entry;
    return nullptr;
  }
  entries[count++] = entry;
  return entry;
}

HttpHeader* HttpHeaders::Find(const char* name) const {
  if (!name) return nullptr;
  for (unsigned i = 0; i < count; i++) {
    if (EqualNoCase(entries[i]->name, name)) return entries[i];
  }
  return nullptr;
}

HttpResponse::~HttpResponse() {
  free(reason);
  free(version);
  delete headers;
}

void SetHttpTimeout(int timeoutMs) { defaultTimeoutMs = timeoutMs < 0 ? 0 : timeoutMs; }
int GetHttpTimeout() { return defaultTimeoutMs; }
void SetHttpDeadline(int deadlineMs) { defaultDeadlineMs = deadlineMs < 0 ? 0 : deadlineMs; }
int GetHttpDeadline() { return defaultDeadlineMs; }

HttpConnection::HttpConnection()
    : buffer_(new char[kHttpBufferSize]), timeoutMs_(defaultTimeoutMs), deadlineMs_(defaultDeadlineMs) {}

void HttpConnection::StartClock() { deadline_ = deadlineMs_ > 0 ? NowMs() + deadlineMs_ : 0; }

// The limit of the next step: the step time-out cut to what is left of the exchange;
// 0 for no limit at all, -1 once the deadline has passed.
int HttpConnection::NextStepTimeout() {
  if (!deadline_) return timeoutMs_;
  long long left = deadline_ - NowMs();
  if (left <= 0) return -1;
  if (timeoutMs_ > 0 && timeoutMs_ < left) return timeoutMs_;
  return static_cast<int>(left);
}

HttpConnection::~HttpConnection() {
  Close();
  delete[] buffer_;
}

int HttpConnection::Connect(const char* host, int port) {
  if (started_) return -1;
  int startup = SocketStartup();
  if (startup != 0) return startup;
  started_ = true;
  StartClock();
  socket_ = SocketOpenTcp();
  if (socket_ == kNoSocket) return SocketLastError() ? SocketLastError() : -1;
  if (!host || port < 1 || port > 65535) return -2;
  uint32_t address = 0;
  int lookupError = 0;
  int limit = NextStepTimeout();
  if (limit < 0 || !LookupHostWithin(host, &address, limit, &lookupError)) return lookupError ? lookupError : -1;
  limit = NextStepTimeout();
  if (limit < 0 || SocketConnect(socket_, address, port, limit) != 0) {
    int error = SocketLastError();
    return error ? error : -1;
  }
  return 0;
}

int HttpConnection::Attach(SocketHandle connected) {
  if (started_) return -1;
  int startup = SocketStartup();
  if (startup != 0) return startup;
  started_ = true;
  StartClock();
  socket_ = connected;
  return 0;
}

int HttpConnection::SendBytes(const char* bytes, int count) {
  while (count > 0) {
    int limit = NextStepTimeout();
    if (limit < 0) return -1;
    SocketSetTimeout(socket_, limit);
    int sent = SocketSend(socket_, bytes, count);
    if (sent < 0) {
      int error = SocketLastError();
      return error ? error : -1;
    }
    bytes += sent;
    count -= sent;
  }
  return 0;
}

// Lines are gathered in a 32768-byte buffer and sent whenever it passes 16384 bytes; a
// single line too long for the buffer goes out on its own.
int HttpConnection::SendRequest(const HttpRequest& request) {
  if (!started_ || socket_ == kNoSocket || !request.method || !request.target) return -1;
  char* text = new (std::nothrow) char[kRequestBufferSize];
  if (!text) return -1;
  int length = 0;
  auto queue = [&](const char* a, const char* b, const char* c, const char* d) -> int {
    const char* parts[] = {a, b, c, d};
    for (const char* part : parts) {
      int size = static_cast<int>(strlen(part));
      if (length + size >= kRequestBufferSize) {
        int error = SendBytes(text, length);
        length = 0;
        if (error) return error;
      }
      if (size >= kRequestBufferSize) {
        int error = SendBytes(part, size);
        if (error) return error;
        continue;
      }
      memcpy(text + length, part, size);
      length += size;
    }
    if (length > kRequestFlushSize) {
      int error = SendBytes(text, length);
      length = 0;
      return error;
    }
    return 0;
  };
  int error = queue(request.method, " ", request.target, " HTTP/1.1\r\n");
  for (unsigned i = 0; !error && request.headers && i < request.headers->count; i++) {
    const HttpHeader* header = request.headers->entries[i];
    error = queue(header->name, ": ", header->value, "\r\n");
  }
  if (!error) error = queue("\r\n", "", "", "");
  if (!error && length > 0) error = SendBytes(text, length);
  delete[] text;
  return error;
}

void HttpConnection::SetDigest(bool on) { digestOn_ = on; }

// One receive, waiting no longer than the exchange has left.
int HttpConnection::Receive(char* destination, int count) {
  int limit = NextStepTimeout();
  if (limit < 0) return -1;
  SocketSetTimeout(socket_, limit);
  return SocketReceive(socket_, destination, count);
}

// 0 with *line set, 1 for a line longer than the buffer, 2 if the connection ended or
// failed first. The line lives in the buffer until the next read.
int HttpConnection::ReadLine(char** line) {
  if (unread_ == 0) readPosition_ = 0;
  int searched = 0;
  for (;;) {
    char* start = buffer_ + readPosition_;
    char* feed = static_cast<char*>(memchr(start + searched, '\n', unread_ - searched));
    if (feed) {
      *feed = 0;
      if (feed > start && feed[-1] == '\r') feed[-1] = 0;
      int used = static_cast<int>(feed - start) + 1;
      readPosition_ += used;
      unread_ -= used;
      *line = start;
      return 0;
    }
    searched = unread_;
    if (readPosition_ + unread_ == capacity_) {
      if (readPosition_ == 0) return 1;
      memmove(buffer_, buffer_ + readPosition_, unread_);
      readPosition_ = 0;
    }
    int end = readPosition_ + unread_;
    int received = Receive(buffer_ + end, capacity_ - end);
    if (received <= 0) return 2;
    unread_ += received;
  }
}

int HttpConnection::ReceiveResponseHead(HttpResponse* response) {
  delete response->headers;
  response->headers = new (std::nothrow) HttpHeaders;
  if (!response->headers || !started_) return 2;

  char* line = nullptr;
  int result = ReadLine(&line);
  if (result) return result;
  char* version = line + strspn(line, " ");
  char* versionEnd = version + strcspn(version, " ");
  char* code = versionEnd + strspn(versionEnd, " ");
  char* codeEnd = code + strcspn(code, " ");
  if (versionEnd == version || codeEnd == code || *codeEnd != ' ' || !codeEnd[1]) return 1;
  *versionEnd = 0;
  *codeEnd = 0;
  int status = ParseDecimal(code);
  if (status < 0) return 1;
  free(response->version);
  free(response->reason);
  response->version = TrimCopy(version, "");
  response->reason = TrimCopy(codeEnd + 1, "");
  response->status = status;

  for (;;) {
    result = ReadLine(&line);
    if (result) return result;
    if (!*line) break;
    if (!AddFieldLine(response->headers, line)) return 1;
  }

  int length;
  if ((status >= 100 && status <= 199) || status == 204 || status == 304) {
    length = 0;
  } else if (const HttpHeader* coding = response->headers->Find("Transfer-Encoding");
             coding && !EqualNoCase(coding->value, "identity")) {
    length = kBodyChunked;
  } else if (const HttpHeader* size = response->headers->Find("Content-Length")) {
    length = ParseDecimal(size->value);
    if (length < 0) return 1;
  } else {
    length = kBodyToEnd;
  }
  response->bodyLength = length;
  response->remaining = length;

  memset(digest_, 0, sizeof(digest_));
  digestFinished_ = false;
  digestValid_ = false;
  if (digestOn_) Sha256Start(&digestState_);
  return 0;
}

void HttpConnection::FinishDigest() {
  if (!digestOn_ || digestFinished_) return;
  digestValid_ = Sha256Finish(&digestState_, digest_);
  digestFinished_ = true;
}

// Trailer fields after the last chunk join the response's header list.
int HttpConnection::ReadTrailers(HttpResponse* response) {
  for (;;) {
    char* line = nullptr;
    if (ReadLine(&line)) return -1;
    if (!*line) return 0;
    if (!AddFieldLine(response->headers, line)) return -1;
  }
}

int HttpConnection::ReadBody(HttpResponse* response, char* destination, int maximum) {
  if (!started_ || !response->headers || !destination) return -2;
  int total = 0;
  while (total < maximum) {
    if (response->remaining <= 0) {
      if (response->bodyLength == kBodyChunked) {
        if (response->remaining == kLastChunkRead) break;
        char* line = nullptr;
        if (response->remaining == 0 && (ReadLine(&line) || *line)) return -1;
        if (ReadLine(&line)) return -1;
        int size = ParseChunkSize(line);
        if (size < 0) return -1;
        if (size == 0) {
          response->remaining = kLastChunkRead;
          FinishDigest();
          if (ReadTrailers(response)) return -1;
          break;
        }
        response->remaining = size;
      } else if (response->bodyLength == kBodyToEnd) {
        response->remaining = INT_MAX;
      } else {
        FinishDigest();
        break;
      }
    }

    int count = maximum - total;
    if (count > response->remaining) count = response->remaining;
    if (unread_ > 0) {
      if (count > unread_) count = unread_;
      memcpy(destination + total, buffer_ + readPosition_, count);
      readPosition_ += count;
      unread_ -= count;
    } else {
      count = Receive(destination + total, count);
      if (count < 0) return -2;
      if (count == 0) return -3;
    }
    response->remaining -= count;
    if (digestOn_) Sha256Update(&digestState_, destination + total, count);
    total += count;
  }
  return total;
}

bool HttpConnection::GetDigest(unsigned char digest[kSha256Size]) {
  memcpy(digest, digest_, kSha256Size);
  return digestOn_ && digestFinished_ && digestValid_;
}

int HttpConnection::Close() {
  if (!started_) return 0;
  SocketClose(socket_);
  socket_ = kNoSocket;
  started_ = false;
  unread_ = 0;
  readPosition_ = 0;
  return SocketCleanup();
}
