// Shared pieces of the reference checks.
#include "registry_cleaner/check_refs_common.h"

#include "sysaccess/command_line.h"

namespace vl::registry::refs {

std::string PathOf(ScanContext& context, const std::string& text, sys::CommaRule commas) {
  return sys::CommandLineToPath(context.platform(), text, commas);
}

bool IsDrivePath(const std::string& path) { return path.size() >= 3 && path.compare(1, 2, ":\\") == 0; }

std::string WithBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + '\\';
}

bool FolderExists(ScanContext& context, const std::string& path) {
  // A share may simply be offline: a network path is never reported missing.
  if (path.compare(0, 2, "\\\\") == 0) return true;
  return context.platform().files->DirectoryExists(path);
}

bool HasExtension(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  size_t sep = path.find_last_of("\\:");
  return sep == std::string::npos || dot > sep;
}

}  // namespace vl::registry::refs
