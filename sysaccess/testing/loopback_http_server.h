// A tiny HTTP server for the HTTP contract tests: one thread, 127.0.0.1
// only, a port the system picks, one request per connection, canned answers.
// It stops when destroyed, and by itself after its time limit.
//   /len        body with Content-Length         /close   body ended by closing (HTTP/1.0)
//   /r1         302 -> /r2 (absolute) -> /len (relative)
//   /missing    404 with a body                  /big     1 MiB with Content-Length
//   /bigclose   1 MiB ended by closing           /short   announces 100 bytes, sends 10
//   /echo       the request's header lines as the body
// Tests may add answers of their own for other paths (Answer).
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vl::sys::testing {

class LoopbackHttpServer {
 public:
  explicit LoopbackHttpServer(int timeLimitSeconds = 60);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // An answer of the test's own: a status with its body, a redirect
  // (`location` set), or a body cut short after `cutAfter` bytes of it
  // while the full length is announced.
  struct Answer {
    Answer(int status = 200, std::string body = {}, std::string location = {}, size_t cutAfter = std::string::npos)
        : status(status), body(std::move(body)), location(std::move(location)), cutAfter(cutAfter) {}
    int status;
    std::string body;
    std::string location;
    size_t cutAfter;
  };
  void Set(const std::string& path, Answer answer);
  void SetBody(const std::string& path, std::string body) { Set(path, Answer{200, std::move(body)}); }
  // The paths asked for so far, with the request's header lines.
  struct Request {
    std::string path;
    std::string headers;
  };
  std::vector<Request> Requests();

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
  std::mutex mu_;
  std::map<std::string, Answer> answers_;
  std::vector<Request> requests_;
  std::thread thread_;
};

}  // namespace vl::sys::testing
