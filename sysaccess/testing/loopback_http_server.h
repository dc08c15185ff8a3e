// A tiny HTTP server for the HTTP contract tests: one thread, 127.0.0.1
// only, a port the system picks, one request per connection, canned answers.
// It stops when destroyed, and by itself after its time limit.
//   /len        body with Content-Length         /close   body ended by closing (HTTP/1.0)
//   /r1         302 -> /r2 (absolute) -> /len (relative)
//   /missing    404 with a body                  /big     1 MiB with Content-Length
//   /bigclose   1 MiB ended by closing           /short   announces 100 bytes, sends 10
//   /echo       the request's header lines as the body
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace vl::sys::testing {

class LoopbackHttpServer {
 public:
  explicit LoopbackHttpServer(int timeLimitSeconds = 60);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  bool ok() const { return port_ != 0; }
  uint16_t port() const { return port_; }
  std::string Url(const std::string& path) const;
  // Body of /len and of the end of the redirect chain.
  static std::string LenBody() { return "hello with a length\n"; }
  static std::string CloseBody() { return "hello until the close\n"; }
  static uint64_t BigSize() { return 1u << 20; }

 private:
  void Run();
  void Serve(intptr_t client);

  intptr_t listener_ = -1;
  uint16_t port_ = 0;
  int timeLimit_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vl::sys::testing
