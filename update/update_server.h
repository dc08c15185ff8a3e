// Where the update server is and how both programs ask it for files.
#pragma once
#include <string>

#include "sysaccess/files.h"
#include "sysaccess/http.h"
#include "sysaccess/platform.h"

namespace vl::update {

// The deployment's address, set when building (VL_UPDATE_SERVER).
extern const char* const kDefaultUpdateServer;

// The policy's UpdateServer, else Settings.ini's [Update] Server in the
// application folder, each only when it is an address the downloads may
// use (sys::IsPermittedUrl), else the compiled default; no trailing slash.
std::string UpdateServer(const sys::Platform& platform);
bool IsUsableServer(const std::string& value);
// `server` + "/update/" + `file`.
std::string ServerFileUrl(const std::string& server, const std::string& file);

// Longest bodies taken: the manifest, and a compressed program.
constexpr uint64_t kMaxManifestBytes = 1ull << 20;
constexpr uint64_t kMaxSignatureBytes = 4096;
constexpr uint64_t kMaxProgramDownloadBytes = 64ull << 20;
// Longest program an inflated download may give.
constexpr size_t kMaxProgramBytes = 128u << 20;

// A GET with the headers the server has always seen: User-Agent and Accept,
// and Content-Type "text/html" for the updater's requests.
sys::HttpRequest UpdateRequest(const std::string& url, uint64_t maxBytes, bool withContentType);

}  // namespace vl::update
