// HTTP for native builds: real transfers through libcurl, with the local
// file named by a Windows path on the simulated drives. Test servers listen
// on 127.0.0.1; no proxy from the environment is ever used.
#pragma once
#include "sysaccess/http.h"
#include "sysaccess/sim/files_sim.h"

namespace vl::sys {

class CurlHttpClient : public HttpClient {
 public:
  explicit CurlHttpClient(SimFileSystem& files);
  HttpResult GetToFile(const HttpRequest& request, const std::string& path) override;

 private:
  SimFileSystem& files_;
};

}  // namespace vl::sys
