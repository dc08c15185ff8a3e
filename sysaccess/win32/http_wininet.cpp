// WinINet transfers into a temporary file renamed over the target on success.
#include "sysaccess/win32/http_wininet.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cwchar>
#include <vector>

#include "sysaccess/text.h"
#include "sysaccess/win32/wide.h"
#include "sysaccess/win32/wininet_calls.h"

namespace vl::sys {

using win32::Narrow;
using win32::Wide;

namespace {

std::atomic<unsigned> g_tempNumber{0};

class Net {
 public:
  explicit Net(HINTERNET h) : h_(h) {}
  ~Net() { if (h_) InternetCloseHandle(h_); }
  Net(const Net&) = delete;
  Net& operator=(const Net&) = delete;
  HINTERNET get() const { return h_; }
  void reset(HINTERNET h) {
    if (h_) InternetCloseHandle(h_);
    h_ = h;
  }

 private:
  HINTERNET h_;
};

std::string ErrorText(DWORD e) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                               FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           GetModuleHandleW(L"wininet.dll"), e, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string out;
  if (n && text) {
    out = Narrow(text, n);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
  }
  if (text) LocalFree(text);
  return out.empty() ? "error " + std::to_string(e) : out;
}

void Fail(HttpResult& r, HttpOutcome outcome, DWORD e) {
  r.outcome = outcome;
  r.error = e;
  r.errorText = ErrorText(e);
}

// The Content-Length header as a number; false when the server sent none.
bool ContentLength(HINTERNET h, uint64_t& length) {
  wchar_t buf[32];
  DWORD size = sizeof buf;
  if (!HttpQueryInfoW(h, HTTP_QUERY_CONTENT_LENGTH, buf, &size, nullptr)) return false;
  length = 0;
  size_t digits = 0;
  for (const wchar_t* p = buf; *p; ++p) {
    if (*p < L'0' || *p > L'9' || ++digits > 19) return false;
    length = length * 10 + static_cast<uint64_t>(*p - L'0');
  }
  return digits > 0;
}

bool WriteAll(HANDLE f, const char* data, DWORD size) {
  DWORD done = 0;
  while (done < size) {
    DWORD n = 0;
    if (!WriteFile(f, data + done, size - done, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

HttpResult WinInetHttpClient::GetToFile(const HttpRequest& request, const std::string& path) {
  HttpResult r;
  bool safe = IsPermittedUrl(request.url);
  for (const auto& [name, value] : request.headers) safe = safe && IsSafeHeader(name, value);
  if (!safe) {
    r.outcome = HttpOutcome::kBadRequest;
    r.errorText = "refused URL or header";
    return r;
  }
  std::wstring target = Wide(path);
  DWORD attrs = GetFileAttributesW(target.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    r.outcome = HttpOutcome::kFileError;
    r.error = ERROR_ACCESS_DENIED;
    r.errorText = "cannot replace " + path;
    return r;
  }
  // The agent string is the User-Agent header; the others go with the request.
  std::wstring agent = L"Vantorel", headers;
  for (const auto& [name, value] : request.headers) {
    if (EqualsNoCase(name, "User-Agent")) agent = Wide(value);
    else headers += Wide(name + ": " + value + "\r\n");
  }
  // The system's proxy settings: updates work behind a company proxy.
  Net inet(InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!inet.get()) {
    Fail(r, HttpOutcome::kConnectFailed, GetLastError());
    return r;
  }
  DWORD timeout = request.timeoutMs;
  InternetSetOptionW(inet.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  InternetSetOptionW(inet.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  InternetSetOptionW(inet.get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
  // Redirects are followed here, not by WinINet, so that each target is
  // checked: only https:// is taken.
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_AUTO_REDIRECT;
  std::string current = request.url;
  Net url(nullptr);
  DWORD status = 0;
  for (int redirects = 0;; ++redirects) {
    url.reset(InternetOpenUrlW(inet.get(), Wide(current).c_str(), headers.empty() ? nullptr : headers.c_str(),
                               headers.empty() ? 0 : static_cast<DWORD>(-1), flags, 0));
    if (!url.get()) {
      DWORD e = GetLastError();
      bool connect = e == ERROR_INTERNET_CANNOT_CONNECT || e == ERROR_INTERNET_NAME_NOT_RESOLVED ||
                     e == ERROR_INTERNET_TIMEOUT;
      Fail(r, e == ERROR_INTERNET_INVALID_URL || e == ERROR_INTERNET_UNRECOGNIZED_SCHEME ? HttpOutcome::kBadRequest
              : connect ? HttpOutcome::kConnectFailed
                        : HttpOutcome::kTransferFailed, e);
      return r;
    }
    DWORD size = sizeof status;
    if (!HttpQueryInfoW(url.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
      Fail(r, HttpOutcome::kTransferFailed, GetLastError());
      return r;
    }
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) break;
    if (redirects == 10) {
      r.status = static_cast<int>(status);
      r.outcome = HttpOutcome::kTransferFailed;
      r.errorText = "too many redirects";
      return r;
    }
    wchar_t location[2048];
    DWORD locationSize = sizeof location;
    if (!HttpQueryInfoW(url.get(), HTTP_QUERY_LOCATION, location, &locationSize, nullptr)) {
      Fail(r, HttpOutcome::kTransferFailed, GetLastError());
      return r;
    }
    // A relative location is resolved against the address that sent it.
    wchar_t combined[4096];
    DWORD combinedSize = sizeof combined / sizeof combined[0];
    if (!InternetCombineUrlW(Wide(current).c_str(), location, combined, &combinedSize, ICU_NO_ENCODE)) {
      Fail(r, HttpOutcome::kTransferFailed, GetLastError());
      return r;
    }
    std::string next = Narrow(combined, combinedSize);
    if (!IsPermittedRedirect(next)) {
      r.status = static_cast<int>(status);
      r.outcome = HttpOutcome::kBadRequest;
      r.errorText = "redirect to " + next + " refused: only https:// is followed";
      return r;
    }
    current = next;
  }
  r.status = static_cast<int>(status);
  if (status != 200) {
    r.outcome = HttpOutcome::kHttpStatus;
    r.errorText = "HTTP status " + std::to_string(status);
    return r;
  }
  uint64_t expected = 0;
  bool known = ContentLength(url.get(), expected);
  if (known && expected > request.maxBytes) {
    r.outcome = HttpOutcome::kTooLarge;
    r.errorText = "announced length " + std::to_string(expected) + " exceeds the limit";
    return r;
  }

  // Beside the target, so that the final rename stays on its volume.
  std::wstring temp = Wide(path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++g_tempNumber) + ".tmp");
  HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    Fail(r, HttpOutcome::kFileError, GetLastError());
    return r;
  }
  r.outcome = HttpOutcome::kOk;
  std::vector<char> buf(64 * 1024);
  for (;;) {
    DWORD n = 0;
    if (!InternetReadFile(url.get(), buf.data(), static_cast<DWORD>(buf.size()), &n)) {
      Fail(r, HttpOutcome::kTransferFailed, GetLastError());
      break;
    }
    if (n == 0) break;
    if (r.bytes + n > request.maxBytes) {
      r.outcome = HttpOutcome::kTooLarge;
      r.errorText = "body exceeds the limit";
      break;
    }
    if (!WriteAll(f, buf.data(), n)) {
      Fail(r, HttpOutcome::kFileError, GetLastError());
      break;
    }
    r.bytes += n;
    if (request.progress && !request.progress(known ? expected : 0, r.bytes)) {
      r.outcome = HttpOutcome::kCancelled;
      r.errorText = "cancelled";
      break;
    }
  }
  // A connection closed before the announced length is a broken transfer.
  if (r.outcome == HttpOutcome::kOk && known && r.bytes != expected) {
    r.outcome = HttpOutcome::kTransferFailed;
    r.errorText = "short body: " + std::to_string(r.bytes) + " of " + std::to_string(expected) + " bytes";
  }
  if (r.outcome == HttpOutcome::kOk && !FlushFileBuffers(f)) Fail(r, HttpOutcome::kFileError, GetLastError());
  if (!CloseHandle(f) && r.outcome == HttpOutcome::kOk) Fail(r, HttpOutcome::kFileError, GetLastError());
  if (r.outcome == HttpOutcome::kOk &&
      !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    Fail(r, HttpOutcome::kFileError, GetLastError());
  if (r.outcome != HttpOutcome::kOk) DeleteFileW(temp.c_str());
  return r;
}

}  // namespace vl::sys
