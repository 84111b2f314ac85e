// The few socket calls the HTTP client needs, over Windows Sockets (socket_win.cpp) or
// POSIX sockets (socket_posix.cpp). Portable header: no <windows.h>. Every call that can
// fail returns -1 and leaves the reason to SocketLastError.
#pragma once

#include <cstdint>

using SocketHandle = intptr_t;
constexpr SocketHandle kNoSocket = -1;

int SocketStartup();  // 0 or the WSAStartup code; nothing to do on POSIX
int SocketCleanup();  // result of WSACleanup; 0 on POSIX
int SocketLastError();

SocketHandle SocketOpenTcp();
// The IPv4 address (network order) of a dotted address or a host name; 0 if unknown.
int SocketResolve(const char* host, uint32_t* address);
// Connects within timeoutMs (0: no limit) and then applies it to every send and receive.
int SocketConnect(SocketHandle socket, uint32_t address, int port, int timeoutMs);
// Limits every later send and receive to timeoutMs (0: no limit).
void SocketSetTimeout(SocketHandle socket, int timeoutMs);
int SocketSend(SocketHandle socket, const char* bytes, int count);
int SocketReceive(SocketHandle socket, char* bytes, int count);  // 0 at the end
void SocketClose(SocketHandle socket);

// For tests and tools: a listener on 127.0.0.1 at an unused port, and its accept.
SocketHandle SocketListenLoopback(int* port);
SocketHandle SocketAccept(SocketHandle listener);
void SocketShutdownSend(SocketHandle socket);
