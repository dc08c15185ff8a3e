// File system access used by every feature: one interface, a Win32 backend and
// a simulated one (drive letters mapped to host folders) for native tests.
// Paths are Windows paths in UTF-8 ("C:\\Dir\\file.txt") on both backends.
#pragma once
#include <cstdint>
#include <string>

namespace vl::sys {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Whole file into `out`; false when it cannot be read.
  virtual bool ReadFileBytes(const std::string& path, std::string& out) = 0;
  // Creates or replaces the file; false on failure.
  virtual bool WriteFileBytes(const std::string& path, const std::string& data) = 0;
  // Creates the folder and its missing parents; true when it exists afterwards.
  virtual bool CreateFolder(const std::string& path) = 0;
  // The path a library that opens files by itself (SQLite) must be given.
  virtual std::string NativePath(const std::string& path) = 0;
};

}  // namespace vl::sys
