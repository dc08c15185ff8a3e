// The loopback HTTP server of the tests: winsock on Windows, BSD sockets
// elsewhere.
#include "sysaccess/testing/loopback_http_server.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketLen = int;
constexpr intptr_t kNoSocket = static_cast<intptr_t>(INVALID_SOCKET);
static void CloseSocket(intptr_t s) { closesocket(static_cast<SOCKET>(s)); }
static constexpr int kSendFlags = 0;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using SocketLen = socklen_t;
constexpr intptr_t kNoSocket = -1;
static void CloseSocket(intptr_t s) { close(static_cast<int>(s)); }
static constexpr int kSendFlags = MSG_NOSIGNAL;  // a client that gave up must not kill the test
#endif

namespace vl::sys::testing {

namespace {

#ifdef _WIN32
using Sock = SOCKET;
struct WinsockInit {
  WinsockInit() {
    WSADATA d;
    WSAStartup(MAKEWORD(2, 2), &d);
  }
};
#else
using Sock = int;
#endif

bool SendAll(intptr_t s, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    int n = send(static_cast<Sock>(s), data.data() + done, static_cast<int>(data.size() - done), kSendFlags);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Waits up to `ms` for `s` to become readable.
bool Readable(intptr_t s, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(static_cast<Sock>(s), &set);
  timeval tv;
  tv.tv_sec = ms / 1000;
  tv.tv_usec = (ms % 1000) * 1000;
  return select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &tv) > 0;
}

std::string Reply(const std::string& status, const std::string& headers, const std::string& body,
                   bool withLength) {
  std::string out = status + "\r\nConnection: close\r\n" + headers;
  if (withLength) out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return out + "\r\n" + body;
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(int timeLimitSeconds) : timeLimit_(timeLimitSeconds) {
#ifdef _WIN32
  static WinsockInit init;
#endif
  Sock s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (static_cast<intptr_t>(s) == kNoSocket) return;
  sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never reachable from outside
  addr.sin_port = 0;
  SocketLen len = sizeof addr;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    CloseSocket(static_cast<intptr_t>(s));
    return;
  }
  listener_ = static_cast<intptr_t>(s);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { Run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ != kNoSocket) CloseSocket(listener_);
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LoopbackHttpServer::Set(const std::string& path, Answer answer) {
  std::lock_guard<std::mutex> lock(mu_);
  answers_[path] = std::move(answer);
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::Requests() {
  std::lock_guard<std::mutex> lock(mu_);
  return requests_;
}

void LoopbackHttpServer::Run() {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeLimit_);
  while (!stop_ && std::chrono::steady_clock::now() < deadline) {
    if (!Readable(listener_, 100)) continue;
    Sock c = accept(static_cast<Sock>(listener_), nullptr, nullptr);
    if (static_cast<intptr_t>(c) == kNoSocket) continue;
    Serve(static_cast<intptr_t>(c));
    CloseSocket(static_cast<intptr_t>(c));
  }
}

void LoopbackHttpServer::Serve(intptr_t client) {
  std::string request;
  char buf[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    if (!Readable(client, 5000)) return;
    int n = recv(static_cast<Sock>(client), buf, sizeof buf, 0);
    if (n <= 0) return;
    request.append(buf, static_cast<size_t>(n));
  }
  size_t sp1 = request.find(' '), sp2 = request.find(' ', sp1 + 1);
  if (sp1 == std::string::npos || sp2 == std::string::npos) return;
  std::string path = request.substr(sp1 + 1, sp2 - sp1 - 1);
  size_t scheme = path.find("://");  // a proxy-style absolute form
  if (scheme != std::string::npos) path = path.substr(path.find('/', scheme + 3));
  std::string head = request.substr(0, request.find("\r\n\r\n") + 2);
  head = head.substr(head.find("\r\n") + 2);
  Answer own;
  bool haveOwn = false;
  {
    std::lock_guard<std::mutex> lock(mu_);
    requests_.push_back({path, head});
    auto it = answers_.find(path);
    if (it != answers_.end()) {
      own = it->second;
      haveOwn = true;
    }
  }
  std::string big(static_cast<size_t>(BigSize()), 'b');
  if (haveOwn) {
    std::string status = "HTTP/1.1 " + std::to_string(own.status) + (own.status < 400 ? " OK" : " Error");
    std::string headers = own.location.empty() ? "" : "Location: " + own.location + "\r\n";
    if (own.cutAfter == std::string::npos) {
      SendAll(client, Reply(status, headers, own.body, true));
    } else {
      std::string whole = Reply(status, headers, own.body, true);
      SendAll(client, whole.substr(0, whole.size() - own.body.size() + std::min(own.cutAfter, own.body.size())));
    }
  } else if (path == "/len") {
    SendAll(client, Reply("HTTP/1.1 200 OK", "Content-Type: text/plain\r\n", LenBody(), true));
  } else if (path == "/close") {
    SendAll(client, Reply("HTTP/1.0 200 OK", "", CloseBody(), false));
  } else if (path == "/r1") {
    SendAll(client, Reply("HTTP/1.1 302 Found", "Location: " + Url("/r2") + "\r\n", "", true));
  } else if (path == "/r2") {
    SendAll(client, Reply("HTTP/1.1 302 Found", "Location: /len\r\n", "", true));
  } else if (path == "/big") {
    SendAll(client, Reply("HTTP/1.1 200 OK", "", big, true));
  } else if (path == "/bigclose") {
    SendAll(client, Reply("HTTP/1.0 200 OK", "", big, false));
  } else if (path == "/short") {
    SendAll(client, "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 100\r\n\r\n0123456789");
  } else if (path == "/echo") {
    SendAll(client, Reply("HTTP/1.1 200 OK", "", head, true));
  } else {
    SendAll(client, Reply("HTTP/1.1 404 Not Found", "", "not here\n", true));
  }
#ifdef _WIN32
  shutdown(static_cast<Sock>(client), SD_SEND);
#else
  shutdown(static_cast<Sock>(client), SHUT_WR);
#endif
}

}  // namespace vl::sys::testing
