// The socket shim over Windows Sockets 2. Part of the portable core's Windows build:
// only this file of the core sees the Winsock headers.
#include "update/socket_shim.h"

#include <winsock2.h>
#include <ws2tcpip.h>

int SocketStartup() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data);
}

int SocketCleanup() { return WSACleanup(); }
int SocketLastError() { return WSAGetLastError(); }

SocketHandle SocketOpenTcp() {
  SOCKET handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  return handle == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(handle);
}

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
    WSASetLastError(WSAHOST_NOT_FOUND);
    return 0;
  }
  *address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return 1;
}

static void SetTimeouts(SOCKET handle, int timeoutMs) {
  DWORD limit = static_cast<DWORD>(timeoutMs);
  setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof(limit));
  setsockopt(handle, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof(limit));
}

int SocketConnect(SocketHandle socket, uint32_t address, int port, int timeoutMs) {
  SOCKET handle = static_cast<SOCKET>(socket);
  sockaddr_in target = {};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<u_short>(port));
  target.sin_addr.s_addr = address;
  if (timeoutMs <= 0) return connect(handle, reinterpret_cast<sockaddr*>(&target), sizeof(target)) == 0 ? 0 : -1;

  u_long nonBlocking = 1;
  ioctlsocket(handle, FIONBIO, &nonBlocking);
  int result = connect(handle, reinterpret_cast<sockaddr*>(&target), sizeof(target));
  int error = result == 0 ? 0 : WSAGetLastError();
  if (result != 0 && error == WSAEWOULDBLOCK) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(handle, &writable);
    FD_SET(handle, &failed);
    timeval limit = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = select(0, nullptr, &writable, &failed, &limit);
    if (ready == 0) {
      error = WSAETIMEDOUT;
    } else if (ready > 0 && FD_ISSET(handle, &writable)) {
      result = 0;
      error = 0;
    } else if (ready > 0) {
      int code = 0;
      int length = sizeof(code);
      getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &length);
      error = code ? code : WSAECONNREFUSED;
    } else {
      error = WSAGetLastError();
    }
  }
  nonBlocking = 0;
  ioctlsocket(handle, FIONBIO, &nonBlocking);
  if (result != 0) {
    WSASetLastError(error);
    return -1;
  }
  SetTimeouts(handle, timeoutMs);
  return 0;
}

void SocketSetTimeout(SocketHandle socket, int timeoutMs) {
  if (socket != kNoSocket) SetTimeouts(static_cast<SOCKET>(socket), timeoutMs < 0 ? 0 : timeoutMs);
}

int SocketSend(SocketHandle socket, const char* bytes, int count) {
  int sent = send(static_cast<SOCKET>(socket), bytes, count, 0);
  return sent == SOCKET_ERROR ? -1 : sent;
}

int SocketReceive(SocketHandle socket, char* bytes, int count) {
  int received = recv(static_cast<SOCKET>(socket), bytes, count, 0);
  return received == SOCKET_ERROR ? -1 : received;
}

void SocketClose(SocketHandle socket) {
  if (socket != kNoSocket) closesocket(static_cast<SOCKET>(socket));
}

SocketHandle SocketListenLoopback(int* port) {
  SOCKET handle = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (handle == INVALID_SOCKET) return kNoSocket;
  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(local);
  if (bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 || listen(handle, 8) != 0 ||
      getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    closesocket(handle);
    return kNoSocket;
  }
  *port = ntohs(local.sin_port);
  return static_cast<SocketHandle>(handle);
}

SocketHandle SocketAccept(SocketHandle listener) {
  SOCKET handle = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
  return handle == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(handle);
}

void SocketShutdownSend(SocketHandle socket) { shutdown(static_cast<SOCKET>(socket), SD_SEND); }
