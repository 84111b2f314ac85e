// RunUpdateCheck: GET <path>?u=..&a=..&v=.. and accept the answer only when it is a 200
// form-encoded body of 1 to 16383 bytes with a field "v" and a valid signature over the
// body bytes as received. Every failure ends with one message of the table below.
#include "update/update_checker.h"

#include <cstring>
#include <memory>
#include <new>

#include "language/text.h"
#include "shell/text_helpers.h"
#include "shell/url_encoding.h"
#include "update/http_client.h"
#include "update/signature.h"

namespace {

// The failures, shown after "Error: " when the user asked for the check.
constexpr const char* kInvalidUrl = TrNoop("invalid update check URL");
constexpr const char* kConnectFailed = TrNoop("error connecting to server");
constexpr const char* kSendFailed = TrNoop("error sending request to server");
constexpr const char* kReceiveFailed = TrNoop("error receiving server response");
constexpr const char* kInvalidResponse = TrNoop("received invalid response from server");
constexpr const char* kReadFailed = TrNoop("error reading server response");
constexpr const char* kBodyTooLong = TrNoop("response body too long");
constexpr const char* kNoVersion = TrNoop("error getting latest version from server");
constexpr const char* kCorrupt = TrNoop("the data received from the server appears to be corrupt");

constexpr int kSignatureDigits = 2 * kSignatureSize;

std::unique_ptr<char[]> Allocate(size_t size) {
  std::unique_ptr<char[]> text(new (std::nothrow) char[size]);
  if (text) text[0] = 0;
  return text;
}

// The message of the first failure, or null when the answer is authentic.
const char* Exchange(UpdateChecker* checker) {
  size_t urlLength = checker->url ? strlen(checker->url) : 0;
  if (!urlLength || !checker->product || !checker->currentVersion || !checker->publicKey) return kInvalidUrl;
  // Room beyond the address itself: the query gains the "a" field, the path is bounded
  // by the address anyway.
  int hostSize = static_cast<int>(urlLength) + 1;
  int pathSize = static_cast<int>(2 * urlLength + 1024);
  int querySize = static_cast<int>(urlLength + 256);
  auto host = Allocate(hostSize);
  auto path = Allocate(pathSize);
  auto query = Allocate(querySize);
  if (!host || !path || !query) return kInvalidUrl;
  int port = 0;
  UrlParts parts;
  parts.host = host.get();
  parts.hostSize = hostSize;
  parts.port = &port;
  parts.path = path.get();
  parts.pathSize = pathSize;
  parts.query = query.get();
  parts.querySize = querySize;
  if (!ParseUrl(checker->url, parts)) return kInvalidUrl;
  if (!FormAppend(query.get(), querySize, "a", checker->product) ||
      !FormAppend(query.get(), querySize, "v", checker->currentVersion))
    return kInvalidUrl;

  int targetSize = pathSize + querySize + 2;
  auto target = Allocate(targetSize);
  if (!target) return kInvalidUrl;
  CopyText(target.get(), path.get(), targetSize);
  AppendText(target.get(), "?", targetSize);
  AppendText(target.get(), query.get(), targetSize);

  HttpHeaders headers;
  headers.Add("Host", host.get());
  headers.Add("User-Agent", kUpdateUserAgent);
  HttpRequest request;
  request.method = "GET";
  request.target = target.get();
  request.headers = &headers;

  HttpConnection connection;
  if (connection.Connect(host.get(), port) != 0) return kConnectFailed;
  if (connection.SendRequest(request) != 0) return kSendFailed;
  connection.SetDigest(true);
  HttpResponse response;
  if (connection.ReceiveResponseHead(&response) != 0) return kReceiveFailed;

  const HttpHeader* type = response.headers->Find("Content-Type");
  if (response.status != 200 || !type || strncmp(type->value, kFormContentType, strlen(kFormContentType)) != 0)
    return kInvalidResponse;

  auto body = Allocate(kUpdateBodySize + 1);
  if (!body) return kReadFailed;
  int bodyLength = connection.ReadBody(&response, body.get(), kUpdateBodySize);
  if (bodyLength < 1) return kReadFailed;
  if (bodyLength >= kUpdateBodySize) return kBodyTooLong;
  body[bodyLength] = 0;

  // A value longer than 127 characters once decoded does not fit and fails here.
  if (!FormGetValue(body.get(), checker->latestVersion, kLatestVersionSize, "v")) {
    checker->latestVersion[0] = 0;
    return kNoVersion;
  }

  const HttpHeader* signatureField = response.headers->Find(kSignatureField);
  unsigned char signature[kSignatureSize];
  unsigned char digest[kSha256Size];
  if (!signatureField || strlen(signatureField->value) != kSignatureDigits ||
      !HexDecode(signatureField->value, kSignatureDigits, signature) || !connection.GetDigest(digest) ||
      !VerifySignature(checker->publicKey, digest, signature)) {
    checker->latestVersion[0] = 0;
    return kCorrupt;
  }
  return nullptr;
}

}  // namespace

int UpdateChecker::RunUpdateCheck() {
  latestVersion[0] = 0;
  failure = Exchange(this);
  if (!failure) return 0;
  if (!quiet && reportError) reportError(product, failure);
  return 1;
}

int FormatTrackedUrl(char* destination, int capacity, const char* base, const char* version, const char* id) {
  if (!destination || capacity <= 0) return 0;
  destination[0] = 0;
  if (!base || static_cast<int>(strlen(base)) >= capacity) return 0;
  char query[512] = "";
  FormAppend(query, sizeof(query), "v", version ? version : "");
  FormAppend(query, sizeof(query), "u", id ? id : "");
  CopyText(destination, base, capacity);
  int whole = AppendText(destination, "?", capacity);
  return AppendText(destination, query, capacity) && whole;
}
