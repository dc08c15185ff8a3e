// libcurl transfers into a temporary file renamed over the target on success.
#include "sysaccess/sim/http_curl.h"

#include <curl/curl.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace vl::sys {

namespace {

std::atomic<unsigned> g_tempNumber{0};

struct Transfer {
  CURL* curl = nullptr;
  const HttpRequest* request = nullptr;
  int fd = -1;
  uint64_t bytes = 0;
  bool checkedStatus = false;
  bool badStatus = false;
  bool tooLarge = false;
  bool cancelled = false;
  bool writeFailed = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  if (!t->checkedStatus) {
    t->checkedStatus = true;
    long status = 0;
    curl_easy_getinfo(t->curl, CURLINFO_RESPONSE_CODE, &status);
    // The body of an error answer is not wanted, however long it is.
    if (status != 200) {
      t->badStatus = true;
      return 0;
    }
  }
  if (t->bytes + n > t->request->maxBytes) {
    t->tooLarge = true;
    return 0;
  }
  size_t done = 0;
  while (done < n) {
    ssize_t w = write(t->fd, data + done, n - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      t->writeFailed = true;
      return 0;
    }
    done += static_cast<size_t>(w);
  }
  t->bytes += n;
  if (t->request->progress) {
    curl_off_t expected = -1;
    curl_easy_getinfo(t->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    if (!t->request->progress(expected > 0 ? static_cast<uint64_t>(expected) : 0, t->bytes)) {
      t->cancelled = true;
      return 0;
    }
  }
  return n;
}

HttpOutcome OutcomeOf(CURLcode rc) {
  switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT: return HttpOutcome::kConnectFailed;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return HttpOutcome::kBadRequest;
    case CURLE_FILESIZE_EXCEEDED: return HttpOutcome::kTooLarge;
    default: return HttpOutcome::kTransferFailed;
  }
}

}  // namespace

namespace {

// The simulated platform serves tests only: it talks to servers on this
// machine's loopback address and to nothing else, even when a program's
// configuration names a real server.
bool IsLoopbackUrl(const std::string& url) {
  size_t start = url.find("://");
  if (start == std::string::npos) return false;
  std::string host = url.substr(start + 3, url.find_first_of("/?#", start + 3) - (start + 3));
  host = host.substr(host.rfind('@') == std::string::npos ? 0 : host.rfind('@') + 1);
  if (host.rfind("[::1]", 0) == 0) return true;
  host = host.substr(0, host.find(':'));
  return host == "127.0.0.1" || host == "localhost";
}

curl_socket_t OpenLoopbackSocket(void*, curlsocktype, curl_sockaddr* address) {
  bool loopback = false;
  if (address->family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&address->addr);
    loopback = (ntohl(in->sin_addr.s_addr) >> 24) == 127;
  } else if (address->family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&address->addr);
    loopback = IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr);
  }
  if (!loopback) return CURL_SOCKET_BAD;
  return socket(address->family, address->socktype, address->protocol);
}

}  // namespace

CurlHttpClient::CurlHttpClient(SimFileSystem& files) : files_(files) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResult CurlHttpClient::GetToFile(const HttpRequest& request, const std::string& path) {
  HttpResult result;
  bool safe = IsPermittedUrl(request.url);
  for (const auto& [name, value] : request.headers) safe = safe && IsSafeHeader(name, value);
  if (!safe) {
    result.outcome = HttpOutcome::kBadRequest;
    result.errorText = "refused URL or header";
    return result;
  }
  if (!IsLoopbackUrl(request.url)) {
    result.outcome = HttpOutcome::kConnectFailed;
    result.errorText = "the simulated platform reaches only servers on the loopback address";
    return result;
  }
  std::string host = files_.HostPath(path);
  if (host.empty()) {
    result.outcome = HttpOutcome::kFileError;
    result.errorText = "no drive for " + path;
    return result;
  }
  struct stat st;
  // As on Windows, a read-only file or a folder is never renamed over.
  if (lstat(host.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR))) {
    result.outcome = HttpOutcome::kFileError;
    result.errorText = "cannot replace " + path;
    return result;
  }
  std::string temp = host + "." + std::to_string(getpid()) + "-" + std::to_string(++g_tempNumber) + ".tmp";
  Transfer t;
  t.request = &request;
  t.fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (t.fd < 0) {
    result.outcome = HttpOutcome::kFileError;
    result.error = static_cast<uint32_t>(errno);
    result.errorText = "cannot create a file beside " + path;
    return result;
  }
  t.curl = curl_easy_init();
  CURL* c = t.curl;
  curl_slist* headers = nullptr;
  for (const auto& [name, value] : request.headers)
    headers = curl_slist_append(headers, (name + ": " + value).c_str());
  char errorBuffer[CURL_ERROR_SIZE] = {0};
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, OpenLoopbackSocket);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
#if LIBCURL_VERSION_NUM >= 0x075500
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  // A redirect leads only to https (IsPermittedRedirect).
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
#else
  curl_easy_setopt(c, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS, static_cast<long>(CURLPROTO_HTTPS));
#endif
  // Direct connections only: a proxy named by the environment is ignored.
  curl_easy_setopt(c, CURLOPT_PROXY, "");
  curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.timeoutMs));
  // A transfer that stalls for the time-out fails.
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>((request.timeoutMs + 999) / 1000));
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBytes));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
  CURLcode rc = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(c);
  curl_slist_free_all(headers);

  result.status = static_cast<int>(status);
  result.bytes = t.bytes;
  result.error = static_cast<uint32_t>(rc);
  result.errorText = errorBuffer[0] ? errorBuffer : (rc == CURLE_OK ? "" : curl_easy_strerror(rc));
  if (t.cancelled) result.outcome = HttpOutcome::kCancelled;
  else if (t.tooLarge) result.outcome = HttpOutcome::kTooLarge;
  else if (t.writeFailed) result.outcome = HttpOutcome::kFileError;
  else if (t.badStatus || (rc == CURLE_OK && status != 200)) result.outcome = HttpOutcome::kHttpStatus;
  else if (rc != CURLE_OK) result.outcome = OutcomeOf(rc);
  else result.outcome = HttpOutcome::kOk;

  bool ok = result.outcome == HttpOutcome::kOk;
  if (ok && fsync(t.fd) != 0) ok = false;
  if (close(t.fd) != 0) ok = false;
  if (ok && rename(temp.c_str(), host.c_str()) != 0) ok = false;
  if (!ok) {
    unlink(temp.c_str());
    if (result.outcome == HttpOutcome::kOk) {
      result.outcome = HttpOutcome::kFileError;
      result.errorText = "cannot store " + path;
    }
  }
  return result;
}

}  // namespace vl::sys
