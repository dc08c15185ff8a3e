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

namespace {

bool StartsNoCase(const std::string& s, const char* prefix) {
  std::string p = prefix;
  return s.size() > p.size() && EqualsNoCase(s.substr(0, p.size()), p);
}

// A dotted IPv4 literal of four decimal parts whose first is 127.
bool IsLoopbackIpv4(const std::string& host) {
  int parts = 0;
  size_t at = 0;
  bool first127 = false;
  while (at <= host.size()) {
    size_t dot = host.find('.', at);
    std::string part = host.substr(at, dot == std::string::npos ? std::string::npos : dot - at);
    if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    // No leading zeros: some resolvers read them as octal.
    if (part.size() > 1 && part[0] == '0') return false;
    int value = std::stoi(part);
    if (value > 255) return false;
    if (parts == 0) first127 = value == 127;
    ++parts;
    if (dot == std::string::npos) break;
    at = dot + 1;
  }
  return parts == 4 && first127;
}

}  // namespace

bool IsPermittedUrl(const std::string& url) {
  if (!IsHttpUrl(url)) return false;
  if (StartsNoCase(url, "https://")) return true;
  // http: the authority, up to the path, must be a loopback literal with an
  // optional port, and nothing else (no user part, no escapes).
  std::string rest = url.substr(7);
  std::string authority = rest.substr(0, rest.find_first_of("/?#"));
  std::string host = authority, port;
  if (!authority.empty() && authority[0] == '[') {
    size_t close = authority.find(']');
    if (close == std::string::npos) return false;
    host = authority.substr(1, close - 1);
    std::string after = authority.substr(close + 1);
    if (!after.empty() && after[0] != ':') return false;
    port = after.empty() ? "" : after.substr(1);
    if (host != "::1") return false;
  } else {
    size_t colon = authority.find(':');
    if (colon != std::string::npos) {
      host = authority.substr(0, colon);
      port = authority.substr(colon + 1);
      if (port.empty()) return false;
    }
    if (!IsLoopbackIpv4(host)) return false;
  }
  return port.size() <= 5 && port.find_first_not_of("0123456789") == std::string::npos;
}

bool IsPermittedRedirect(const std::string& url) { return IsHttpUrl(url) && StartsNoCase(url, "https://"); }

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
