// Assembly of the real machine.
#include "sysaccess/win32/win32_platform.h"

#include <windows.h>

#include <vector>

#include "sysaccess/win32/files_win32.h"
#include "sysaccess/win32/http_wininet.h"
#include "sysaccess/win32/processes_win32.h"
#include "sysaccess/win32/registry_win32.h"
#include "sysaccess/win32/security_win32.h"
#include "sysaccess/win32/shell_win32.h"
#include "sysaccess/win32/system_win32.h"
#include "sysaccess/win32/wide.h"

namespace vl::sys {

std::string ProgramPath() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return "";
    if (n < buf.size()) return win32::Narrow(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

std::string ProgramDirectory() {
  std::string path = ProgramPath();
  return path.substr(0, path.find_last_of('\\') + 1);
}

Win32Platform::Win32Platform()
    : registry_(std::make_unique<Win32Registry>()),
      files_(std::make_unique<Win32FileSystem>()),
      shell_(std::make_unique<Win32Shell>()),
      system_(std::make_unique<Win32System>()),
      processes_(std::make_unique<Win32Processes>()),
      http_(std::make_unique<WinInetHttpClient>()),
      security_(std::make_unique<Win32Security>()) {
  platform_.registry = registry_.get();
  platform_.files = files_.get();
  platform_.shell = shell_.get();
  platform_.system = system_.get();
  platform_.processes = processes_.get();
  platform_.http = http_.get();
  platform_.security = security_.get();
  platform_.appDir = ProgramDirectory();
}

Win32Platform::~Win32Platform() = default;

std::unique_ptr<Win32Platform> MakeWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace vl::sys
