// HTTP for the Windows programs through WinINet: direct connections, no
// cache, no dialogs.
#pragma once
#include "sysaccess/http.h"

namespace vl::sys {

class WinInetHttpClient : public HttpClient {
 public:
  HttpResult GetToFile(const HttpRequest& request, const std::string& path) override;
};

}  // namespace vl::sys
