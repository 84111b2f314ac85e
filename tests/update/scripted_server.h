// A one-connection HTTP peer on 127.0.0.1 for the client tests: it reads the request head,
// answers with scripted pieces (pausing between them so the client sees separate
// receives) and closes, or holds the connection until the client gives up. It stops
// early when the client has gone.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "update/socket_shim.h"

class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<std::string> pieces, bool holdOpen = false, int pauseMs = 15)
      : pieces_(std::move(pieces)), holdOpen_(holdOpen), pauseMs_(pauseMs) {
    SocketStartup();
    listener_ = SocketListenLoopback(&port_);
    if (listener_ != kNoSocket) thread_ = std::thread([this] { Run(); });
  }
  ~ScriptedServer() {
    if (thread_.joinable()) thread_.join();
    SocketClose(listener_);
    SocketCleanup();
  }
  int port() const { return port_; }
  // The request as received; valid once the client has read its answer.
  std::string request() {
    if (thread_.joinable()) thread_.join();
    return request_;
  }

 private:
  void Run() {
    SocketHandle peer = SocketAccept(listener_);
    if (peer == kNoSocket) return;
    char chunk[4096];
    while (request_.find("\r\n\r\n") == std::string::npos && request_.size() < 1 << 20) {
      int received = SocketReceive(peer, chunk, sizeof(chunk));
      if (received <= 0) break;
      request_.append(chunk, received);
    }
    bool clientGone = false;
    for (size_t i = 0; i < pieces_.size() && !clientGone; i++) {
      if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
      const std::string& piece = pieces_[i];
      for (size_t sent = 0; sent < piece.size();) {
        int count = SocketSend(peer, piece.data() + sent, static_cast<int>(piece.size() - sent));
        if (count <= 0) {
          clientGone = true;
          break;
        }
        sent += count;
      }
    }
    if (holdOpen_ && !clientGone) {
      while (SocketReceive(peer, chunk, sizeof(chunk)) > 0) {
      }
    }
    SocketShutdownSend(peer);
    SocketClose(peer);
  }

  std::vector<std::string> pieces_;
  bool holdOpen_;
  int pauseMs_;
  SocketHandle listener_ = kNoSocket;
  int port_ = 0;
  std::thread thread_;
  std::string request_;
};
