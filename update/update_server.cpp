#include "update/update_server.h"

#include "app/ini_file.h"
#include "update/trust.h"

#ifndef VL_UPDATE_SERVER
#define VL_UPDATE_SERVER "https://update.vantorel.com"
#endif

namespace vl::update {

const char* const kDefaultUpdateServer = VL_UPDATE_SERVER;

namespace {
std::string WithoutTrailingSlashes(std::string s) {
  while (!s.empty() && s.back() == '/') s.pop_back();
  return s;
}
std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}
}  // namespace

bool IsUsableServer(const std::string& value) {
  return sys::IsPermittedUrl(value) && sys::IsSafeHeader("Host", value);
}

std::string UpdateServer(const sys::Platform& platform) {
  // The machine's policy first: only administrators can write it, while
  // Settings.ini lies in the program folder.
  std::string value = Trimmed(ReadUpdatePolicy(*platform.registry).server);
  if (IsUsableServer(value)) return WithoutTrailingSlashes(value);
  std::string text;
  if (platform.files->ReadFileBytes(platform.appDir + "Settings.ini", text) &&
      FindIniValue(text, "Update", "Server", value)) {
    value = Trimmed(value);
    if (IsUsableServer(value)) return WithoutTrailingSlashes(value);
  }
  return WithoutTrailingSlashes(kDefaultUpdateServer);
}

std::string ServerFileUrl(const std::string& server, const std::string& file) {
  return WithoutTrailingSlashes(server) + "/update/" + file;
}

sys::HttpRequest UpdateRequest(const std::string& url, uint64_t maxBytes, bool withContentType) {
  sys::HttpRequest r;
  r.url = url;
  r.headers = {{"User-Agent", "Mozilla/3.0 (compatible; Indy Library)"}, {"Accept", "text/html, */*"}};
  if (withContentType) r.headers.emplace_back("Content-Type", "text/html");
  r.maxBytes = maxBytes;
  return r;
}

}  // namespace vl::update
