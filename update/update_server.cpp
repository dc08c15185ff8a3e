#include "update/update_server.h"

#include "app/ini_file.h"

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

std::string UpdateServer(sys::FileSystem& files, const std::string& appDir) {
  std::string text, value;
  if (files.ReadFileBytes(appDir + "Settings.ini", text) && FindIniValue(text, "Update", "Server", value)) {
    value = Trimmed(value);
    if (sys::IsHttpUrl(value) && sys::IsSafeHeader("Host", value)) return WithoutTrailingSlashes(value);
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
