// The machine as the features see it: one object per concern, chosen once at
// program start (Win32 backend in the programs, sim backend in native tests)
// and passed down. Nothing here is global.
#pragma once
#include <string>

#include "sysaccess/files.h"
#include "sysaccess/http.h"
#include "sysaccess/processes.h"
#include "sysaccess/registry.h"
#include "sysaccess/security.h"
#include "sysaccess/shell.h"
#include "sysaccess/system.h"

namespace vl::sys {

struct Platform {
  FileSystem* files = nullptr;
  // Directory of the running program, with a trailing backslash.
  std::string appDir;
  RegistryApi* registry = nullptr;
  Shell* shell = nullptr;
  System* system = nullptr;
  Processes* processes = nullptr;
  HttpClient* http = nullptr;
  Security* security = nullptr;
};

}  // namespace vl::sys
