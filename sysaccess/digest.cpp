// MD5 of a file through the file system.
#include "sysaccess/digest.h"

namespace vl::sys {

std::string FileMd5Hex(FileSystem& files, const std::string& path) {
  std::string bytes;
  if (!files.ReadFileBytes(path, bytes)) return "";
  return Md5Hex(bytes);
}

}  // namespace vl::sys
