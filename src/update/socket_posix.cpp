// The socket shim over POSIX sockets, for the native build of the portable core.
#include "update/socket_shim.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>

int SocketStartup() {
  // A peer that closes early must give an error, not kill the process.
  signal(SIGPIPE, SIG_IGN);
  return 0;
}

int SocketCleanup() { return 0; }
int SocketLastError() { return errno; }

SocketHandle SocketOpenTcp() { return socket(AF_INET, SOCK_STREAM, IPPROTO_TCP); }

int SocketResolve(const char* host, uint32_t* address) {
  in_addr numeric;
  if (inet_pton(AF_INET, host, &numeric) == 1) {
    *address = numeric.s_addr;
    return 1;
  }
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) {
    errno = EHOSTUNREACH;
    return 0;
  }
  *address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return 1;
}

static void SetTimeouts(int fd, int timeoutMs) {
  timeval limit = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
}

int SocketConnect(SocketHandle socket, uint32_t address, int port, int timeoutMs) {
  int fd = static_cast<int>(socket);
  sockaddr_in target = {};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  target.sin_addr.s_addr = address;
  if (timeoutMs <= 0) return connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof(target));

  int flags = fcntl(fd, F_GETFL, 0);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int result = connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof(target));
  if (result != 0 && errno == EINPROGRESS) {
    pollfd waiting = {fd, POLLOUT, 0};
    int ready = poll(&waiting, 1, timeoutMs);
    if (ready == 0) {
      errno = ETIMEDOUT;
    } else if (ready > 0) {
      int error = 0;
      socklen_t length = sizeof(error);
      getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
      if (error == 0) {
        result = 0;
      } else {
        errno = error;
      }
    }
  }
  int saved = errno;
  fcntl(fd, F_SETFL, flags);
  errno = saved;
  if (result == 0) SetTimeouts(fd, timeoutMs);
  return result == 0 ? 0 : -1;
}

void SocketSetTimeout(SocketHandle socket, int timeoutMs) {
  if (socket != kNoSocket) SetTimeouts(static_cast<int>(socket), timeoutMs < 0 ? 0 : timeoutMs);
}

int SocketSend(SocketHandle socket, const char* bytes, int count) {
  ssize_t sent = send(static_cast<int>(socket), bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
  return sent < 0 ? -1 : static_cast<int>(sent);
}

int SocketReceive(SocketHandle socket, char* bytes, int count) {
  ssize_t received;
  do {
    received = recv(static_cast<int>(socket), bytes, static_cast<size_t>(count), 0);
  } while (received < 0 && errno == EINTR);
  return received < 0 ? -1 : static_cast<int>(received);
}

void SocketClose(SocketHandle socket) {
  if (socket != kNoSocket) close(static_cast<int>(socket));
}

SocketHandle SocketListenLoopback(int* port) {
  int fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (fd < 0) return kNoSocket;
  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(local);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    close(fd);
    return kNoSocket;
  }
  *port = ntohs(local.sin_port);
  return fd;
}

SocketHandle SocketAccept(SocketHandle listener) {
  int fd;
  do {
    fd = accept(static_cast<int>(listener), nullptr, nullptr);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kNoSocket : fd;
}

void SocketShutdownSend(SocketHandle socket) { shutdown(static_cast<int>(socket), SHUT_WR); }
