// The reference update endpoint. Generates the P-256 key pair whose public half the
// program's build carries, and serves GET /dozelite/version with a signed form body.
// For tests it misbehaves on request: a path "/<mode>[/<argument>]/dozelite/version"
// picks the behaviour of that one answer (see Usage).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "endpoint_keys.h"

namespace {

const char kUsage[] =
    "usage: dozelite_update_server keygen <key.pem>     write a new key, print the public key\n"
    "       dozelite_update_server pubkey <key.pem>     print the 128-digit public key\n"
    "       dozelite_update_server sign <key.pem> <text>  print the signature of the text\n"
    "       dozelite_update_server serve <key.pem> [--address A] [--port P] [--port-file F]\n"
    "                              [--version V] [--mode M] [--lifetime SECONDS]\n"
    "modes (--mode, or per request as /<mode>[/<argument>]/dozelite/version):\n"
    "  ok, chunked, version/<v>, raw/<percent-encoded body>, size/<bytes>, tampered,\n"
    "  bad-signature, no-signature, not-found, wrong-type, cut-short, slow, trickle[/ms], silent, close\n";

constexpr const char* kEndpointPath = "/dozelite/version";
constexpr int kRequestLimit = 16384;
constexpr int kSilentHoldMs = 120000;

EVP_PKEY* signingKey = nullptr;
EVP_PKEY* strangerKey = nullptr;  // signs the "bad-signature" answers
std::string defaultVersion = "3.1";
std::string defaultMode = "ok";

struct Answer {
  int status = 200;
  std::string contentType = "application/x-www-form-urlencoded";
  std::string body;
  std::string signature;  // empty: no signature field
  bool chunked = false;
  int extraLength = 0;      // announced beyond the body (a body cut short)
  int byteDelayMs = 0;      // pause before every byte (a slow server)
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] == '%' && i + 2 < text.size() + 0 && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string FormEncode(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

bool SendAll(int fd, const std::string& bytes, int byteDelayMs) {
  if (byteDelayMs > 0) {
    for (char c : bytes) {
      std::this_thread::sleep_for(std::chrono::milliseconds(byteDelayMs));
      if (send(fd, &c, 1, MSG_NOSIGNAL) != 1) return false;
    }
    return true;
  }
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// The answer a mode asks for; false for an unknown mode.
bool BuildAnswer(const std::string& mode, const std::string& argument, Answer* answer) {
  answer->body = "v=" + FormEncode(defaultVersion);
  if (mode == "ok") {
  } else if (mode == "chunked") {
    answer->chunked = true;
  } else if (mode == "version") {
    answer->body = "v=" + FormEncode(argument);
  } else if (mode == "raw") {
    answer->body = PercentDecode(argument);
  } else if (mode == "size") {
    size_t size = strtoul(argument.c_str(), nullptr, 10);
    answer->body += "&p=";
    if (size > 1 << 24) return false;
    if (answer->body.size() < size) answer->body.append(size - answer->body.size(), 'x');
  } else if (mode == "not-found") {
    answer->status = 404;
  } else if (mode == "wrong-type") {
    answer->contentType = "text/plain";
  } else if (mode == "cut-short") {
    answer->extraLength = 10;
  } else if (mode == "slow") {
    answer->byteDelayMs = 5;
  } else if (mode == "trickle") {  // one byte every <argument> ms, 2000 by default
    answer->byteDelayMs = argument.empty() ? 2000 : atoi(argument.c_str());
    if (answer->byteDelayMs < 1 || answer->byteDelayMs > 60000) return false;
  } else if (mode != "tampered" && mode != "bad-signature" && mode != "no-signature" && mode != "silent" &&
             mode != "close") {
    return false;
  }
  if (mode == "bad-signature") {
    answer->signature = SignBodyHex(strangerKey, answer->body);
  } else if (mode != "no-signature") {
    answer->signature = SignBodyHex(signingKey, answer->body);
  }
  if (mode == "tampered") answer->body.back() = static_cast<char>(answer->body.back() ^ 0x03);  // 3.1 -> 3.2
  return true;
}

std::string Head(const Answer& answer) {
  std::string head = "HTTP/1.1 " + std::to_string(answer.status) + (answer.status == 200 ? " OK" : " Not Found");
  head += "\r\nContent-Type: " + answer.contentType + "\r\n";
  if (!answer.signature.empty()) head += "X-tallowbox-signature: " + answer.signature + "\r\n";
  if (answer.chunked) {
    head += "Transfer-Encoding: chunked\r\n";
  } else {
    head += "Content-Length: " + std::to_string(answer.body.size() + answer.extraLength) + "\r\n";
  }
  return head + "Connection: close\r\n\r\n";
}

// The body in chunks of at most 4 bytes, with an extension on the first and a trailer.
std::string Chunked(const std::string& body) {
  std::string out;
  char size[16];
  for (size_t at = 0; at < body.size(); at += 4) {
    size_t count = body.size() - at < 4 ? body.size() - at : 4;
    snprintf(size, sizeof(size), "%zx", count);
    out += size;
    if (at == 0) out += ";part=first";
    out += "\r\n" + body.substr(at, count) + "\r\n";
  }
  return out + "0\r\nX-Trailer: done\r\n\r\n";
}

// Reads the request head; its first line, or empty when none came within 10 s.
std::string ReadRequestLine(int fd) {
  std::string request;
  char chunk[2048];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < kRequestLimit) {
    pollfd waiting = {fd, POLLIN, 0};
    if (poll(&waiting, 1, 10000) <= 0) return "";
    ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
    if (n <= 0) return "";
    request.append(chunk, static_cast<size_t>(n));
  }
  return request.substr(0, request.find("\r\n"));
}

void HoldUntilClosed(int fd) {
  char chunk[256];
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSilentHoldMs);
  while (std::chrono::steady_clock::now() < until) {
    pollfd waiting = {fd, POLLIN, 0};
    if (poll(&waiting, 1, 200) > 0 && recv(fd, chunk, sizeof(chunk), 0) <= 0) return;
  }
}

void Serve(int fd) {
  std::string line = ReadRequestLine(fd);
  std::string method = line.substr(0, line.find(' '));
  size_t targetStart = line.find(' ') == std::string::npos ? line.size() : line.find(' ') + 1;
  std::string target = line.substr(targetStart, line.find(' ', targetStart) - targetStart);
  std::string path = target.substr(0, target.find('?'));
  fprintf(stderr, "update_server: %s\n", line.c_str());

  std::string mode = defaultMode;
  std::string argument;
  size_t endpoint = path.size() >= strlen(kEndpointPath) ? path.size() - strlen(kEndpointPath) : std::string::npos;
  bool known = method == "GET" && endpoint != std::string::npos && path.compare(endpoint, std::string::npos,
                                                                                kEndpointPath) == 0;
  if (known && endpoint > 0) {  // "/<mode>[/<argument>]" before the endpoint path
    std::string prefix = path.substr(1, endpoint - 1);
    mode = prefix.substr(0, prefix.find('/'));
    argument = prefix.find('/') == std::string::npos ? "" : prefix.substr(prefix.find('/') + 1);
  }
  Answer answer;
  if (!known || !BuildAnswer(mode, argument, &answer)) {
    SendAll(fd, "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 10\r\n\r\nnot found\n", 0);
  } else if (mode == "silent") {
    HoldUntilClosed(fd);
  } else if (mode != "close") {
    std::string bytes = Head(answer) + (answer.chunked ? Chunked(answer.body) : answer.body);
    SendAll(fd, bytes, answer.byteDelayMs);
    shutdown(fd, SHUT_WR);
    HoldUntilClosed(fd);
  }
  close(fd);
}

int ServeForever(int argc, char** argv) {
  std::string address = "127.0.0.1";
  int port = 8080;
  const char* portFile = nullptr;
  int lifetime = 0;
  for (int i = 3; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--address") address = argv[i + 1];
    else if (option == "--port") port = atoi(argv[i + 1]);
    else if (option == "--port-file") portFile = argv[i + 1];
    else if (option == "--version") defaultVersion = argv[i + 1];
    else if (option == "--mode") defaultMode = argv[i + 1];
    else if (option == "--lifetime") lifetime = atoi(argv[i + 1]);
    else {
      fputs(kUsage, stderr);
      return 2;
    }
  }
  strangerKey = GenerateEndpointKey();
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t length = sizeof(local);
  if (!strangerKey || inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
      bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 || listen(listener, 16) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    perror("update_server: cannot listen");
    return 1;
  }
  port = ntohs(local.sin_port);
  if (portFile) {
    std::string temporary = std::string(portFile) + ".tmp";
    FILE* file = fopen(temporary.c_str(), "w");
    if (!file || fprintf(file, "%d\n", port) < 0 || fclose(file) != 0 || rename(temporary.c_str(), portFile) != 0) {
      perror("update_server: cannot write the port file");
      return 1;
    }
  }
  fprintf(stderr, "update_server: serving http://%s:%d%s\n", address.c_str(), port, kEndpointPath);
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(lifetime);
  while (lifetime == 0 || std::chrono::steady_clock::now() < end) {
    pollfd waiting = {listener, POLLIN, 0};
    if (poll(&waiting, 1, 250) <= 0) continue;
    int connection = accept(listener, nullptr, nullptr);
    if (connection >= 0) std::thread(Serve, connection).detach();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  std::string command = argc > 1 ? argv[1] : "";
  if (argc < 3 || (command != "keygen" && command != "pubkey" && command != "sign" && command != "serve")) {
    fputs(kUsage, stderr);
    return 2;
  }
  if (command == "keygen") {
    EVP_PKEY* key = GenerateEndpointKey();
    if (!key || !SaveEndpointKey(key, argv[2])) {
      fprintf(stderr, "update_server: cannot write a new key to %s (it must not exist yet)\n", argv[2]);
      return 1;
    }
    printf("%s\n", PublicKeyHex(key).c_str());
    EVP_PKEY_free(key);
    return 0;
  }
  signingKey = LoadEndpointKey(argv[2]);
  if (!signingKey || PublicKeyHex(signingKey).empty()) {
    fprintf(stderr, "update_server: %s holds no P-256 private key\n", argv[2]);
    return 1;
  }
  if (command == "pubkey") {
    printf("%s\n", PublicKeyHex(signingKey).c_str());
    EVP_PKEY_free(signingKey);
    return 0;
  }
  if (command == "sign") {
    if (argc < 4) {
      fputs(kUsage, stderr);
      return 2;
    }
    printf("%s\n", SignBodyHex(signingKey, argv[3]).c_str());
    EVP_PKEY_free(signingKey);
    return 0;
  }
  return ServeForever(argc, argv);
}
