// The HTTP response reader fed through a socket pair: head, then the body with sized,
// chunked and to-the-end framing, read in steps the first input byte chooses.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/url_encoding.h"
#include "update/http_client.h"
#include "update/update_checker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 60000) return 0;
  int step = 1 + data[0] * 67;  // 1 to 17086 bytes per ReadBody
  data++;
  size--;

  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) abort();
  int buffer = 262144;
  setsockopt(ends[0], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof(buffer));
  setsockopt(ends[1], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof(buffer));
  for (size_t sent = 0; sent < size;) {
    ssize_t count = send(ends[0], data + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (count <= 0) break;
    sent += static_cast<size_t>(count);
  }
  shutdown(ends[0], SHUT_WR);

  HttpConnection connection;
  connection.Attach(ends[1]);
  connection.SetDigest(true);
  HttpResponse response;
  if (connection.ReceiveResponseHead(&response) == 0) {
    static char body[kUpdateBodySize + 1];
    int total = 0;
    for (int round = 0; round < 100000 && total < kUpdateBodySize; round++) {
      int want = step < kUpdateBodySize - total ? step : kUpdateBodySize - total;
      int got = connection.ReadBody(&response, body + total, want);
      if (got < 0 || got > want) {
        if (got > want) abort();
        break;
      }
      if (got == 0) break;
      total += got;
    }
    body[total] = 0;
    char version[kLatestVersionSize];
    FormGetValue(body, version, sizeof(version), "v");
    unsigned char digest[kSha256Size];
    connection.GetDigest(digest);
    const HttpHeader* signature = response.headers->Find("X-tallowbox-signature");
    unsigned char bytes[64];
    if (signature && strlen(signature->value) == 128) HexDecode(signature->value, 128, bytes);
  }
  connection.Close();  // closes ends[1]
  close(ends[0]);
  return 0;
}
