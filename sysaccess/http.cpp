// The portable parts of the HTTP interface.
#include "sysaccess/http.h"

#include "sysaccess/text.h"

namespace vl::sys {

bool IsHttpUrl(const std::string& url) {
  for (const char* scheme : {"http://", "https://"}) {
    std::string s = scheme;
    if (url.size() > s.size() && EqualsNoCase(url.substr(0, s.size()), s)) {
      // No blanks or control characters: they would reach the request line.
      for (unsigned char c : url)
        if (c <= ' ' || c == 0x7F) return false;
      return true;
    }
  }
  return false;
}

bool IsSafeHeader(const std::string& name, const std::string& value) {
  if (name.empty() || name.find_first_of(":\r\n", 0) != std::string::npos) return false;
  for (unsigned char c : name)
    if (c <= ' ' || c == 0x7F) return false;
  for (unsigned char c : value)
    if (c == '\r' || c == '\n' || c == 0) return false;
  return true;
}

const char* HttpOutcomeName(HttpOutcome outcome) {
  switch (outcome) {
    case HttpOutcome::kOk: return "ok";
    case HttpOutcome::kBadRequest: return "bad request";
    case HttpOutcome::kConnectFailed: return "connection failed";
    case HttpOutcome::kHttpStatus: return "HTTP status";
    case HttpOutcome::kTooLarge: return "too large";
    case HttpOutcome::kCancelled: return "cancelled";
    case HttpOutcome::kTransferFailed: return "transfer failed";
    case HttpOutcome::kFileError: return "file error";
  }
  return "?";
}

}  // namespace vl::sys
