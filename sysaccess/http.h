// HTTP downloads for the update check and the updater: a GET of a full URL
// into a local file. The file is written beside its final name and renamed
// over it only when the whole body of a 200 answer has arrived, so a failed,
// capped or cancelled download never leaves a partial file and never
// replaces an older good one.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vl::sys {

enum class HttpOutcome {
  kOk,              // 200, whole body stored
  kBadRequest,      // a URL or a redirect the transport rule refuses (IsPermittedUrl,
                    // IsPermittedRedirect), or a header with a line break
  kConnectFailed,   // no connection to the server
  kHttpStatus,      // an answer other than 200 (see status)
  kTooLarge,        // the body is longer than maxBytes
  kCancelled,       // the progress callback answered false
  kTransferFailed,  // broken or short transfer, too many redirects, time-out
  kFileError,       // the local file could not be written or renamed
};

struct HttpRequest {
  std::string url;
  // Sent as given ("User-Agent", "Accept" ...).
  std::vector<std::pair<std::string, std::string>> headers;
  // Longest body accepted.
  uint64_t maxBytes = 64ull << 20;
  // Limit for the connection and for each wait for data.
  uint32_t timeoutMs = 60000;
  // After each piece of the body: the length the server announced (0 when
  // it gave none) and the bytes received so far. False cancels.
  std::function<bool(uint64_t expected, uint64_t received)> progress;
};

struct HttpResult {
  HttpOutcome outcome = HttpOutcome::kTransferFailed;
  int status = 0;       // HTTP status of the final answer; 0 when none came
  uint64_t bytes = 0;   // body bytes received
  uint32_t error = 0;   // the transport's own code (WinINet or libcurl), for logs
  std::string errorText;
  bool ok() const { return outcome == HttpOutcome::kOk; }
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // GET `request.url`, following redirects to https:// only, into the file
  // `path`. The system's proxy settings apply.
  virtual HttpResult GetToFile(const HttpRequest& request, const std::string& path) = 0;
};

// True for "http://..." and "https://..." (either case); every other scheme
// is refused before any connection.
bool IsHttpUrl(const std::string& url);
// The transport rule of the downloads: https:// to any host, plain
// http:// only to a loopback address written as such (127.0.0.0/8, [::1]),
// for tests and local mirrors. A redirect is followed only to https://.
bool IsPermittedUrl(const std::string& url);
bool IsPermittedRedirect(const std::string& url);
// False when a header name or value holds a line break or NUL (which would
// add headers of its own), or the name is empty or holds a colon.
bool IsSafeHeader(const std::string& name, const std::string& value);
// The text of an outcome, for logs.
const char* HttpOutcomeName(HttpOutcome outcome);

}  // namespace vl::sys
