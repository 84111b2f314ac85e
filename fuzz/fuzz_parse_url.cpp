// ParseUrl with output buffers of sizes the first input byte chooses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/url_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int room = 1 + data[0] % 64;
  std::string url(reinterpret_cast<const char*>(data + 1), size - 1);
  char* scheme = new char[room];
  char* host = new char[room];
  char* path = new char[room];
  char* query = new char[room];
  int port = -7;
  UrlParts parts;
  parts.scheme = scheme;
  parts.schemeSize = room;
  parts.host = host;
  parts.hostSize = room;
  parts.port = &port;
  parts.path = path;
  parts.pathSize = room;
  parts.query = query;
  parts.querySize = room;
  if (ParseUrl(url.c_str(), parts)) {
    // Every output is terminated inside its buffer, and the port is a real one or -1.
    if (strnlen(host, room) >= static_cast<size_t>(room) || strnlen(path, room) >= static_cast<size_t>(room) ||
        strnlen(query, room) >= static_cast<size_t>(room))
      abort();
    if (port != -1 && (port < 0 || port > 99999)) abort();
  }
  UrlParts none;
  ParseUrl(url.c_str(), none);  // no outputs at all
  delete[] scheme;
  delete[] host;
  delete[] path;
  delete[] query;
  return 0;
}
