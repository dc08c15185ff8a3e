// The real machine for the Windows programs: the Win32 backends bundled as a
// Platform, made once at program start.
#pragma once
#include <memory>

#include "sysaccess/platform.h"

namespace vl::sys {

class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;
  Platform& platform() { return platform_; }

 private:
  std::unique_ptr<RegistryApi> registry_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<Shell> shell_;
  std::unique_ptr<System> system_;
  std::unique_ptr<Processes> processes_;
  std::unique_ptr<HttpClient> http_;
  std::unique_ptr<Security> security_;
  Platform platform_;
};

std::unique_ptr<Win32Platform> MakeWin32Platform();

// Full path of the running program's file.
std::string ProgramPath();
// Directory of the running program, with a trailing backslash.
std::string ProgramDirectory();

}  // namespace vl::sys
