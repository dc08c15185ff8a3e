// The full path test.
#include "sysaccess/full_path_check.h"

#include <cctype>

namespace vl::sys {

bool IsFullEntryPath(const std::string& path) {
  if (path.find_first_of("*?\"<>|") != std::string::npos) return false;
  if (path.find('/') != std::string::npos) return false;
  size_t rootEnd;
  if (path.size() > 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\') {
    rootEnd = 3;
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\' && path[2] != '?' &&
             path[2] != '.') {
    size_t server = path.find('\\', 2);
    if (server == std::string::npos) return false;
    size_t share = path.find('\\', server + 1);
    if (share == std::string::npos || share == server + 1) return false;
    rootEnd = share + 1;
  } else {
    return false;
  }
  if (path.find(':', rootEnd) != std::string::npos) return false;  // no stream names
  if (path.back() == '\\') return false;
  // Each name below the root is a real name, never "." or "..".
  size_t start = rootEnd;
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(start, end - start);
    if (name.empty() || name == "." || name == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace vl::sys
