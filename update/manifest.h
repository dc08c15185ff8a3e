// Update.xml, the manifest on the update server: which Vantorel and which
// updater are the newest, and where their compressed files lie.
#pragma once
#include <string>

#include "sysaccess/files.h"

namespace vl::update {

// The texts of the eight elements; a missing element reads as "".
struct Manifest {
  std::string softver, softmd5, softpos, softfile;
  std::string upver, upmd5, uppos, upfile;
};

// False, with the parser's error text in `error`, when the text is not XML
// or its top element is not `updateinformation`.
bool ParseManifest(const std::string& xml, Manifest& out, std::string& error);
// The same for a file; an unreadable file is an error too.
bool ReadManifest(sys::FileSystem& files, const std::string& path, Manifest& out, std::string& error);

}  // namespace vl::update
