// MD5 digests, as the update manifest names them: 32 lowercase hexadecimal
// digits. The Windows build asks CryptoAPI, the native build OpenSSL; one
// set of known-answer tests runs against both.
#pragma once
#include <string>

#include "sysaccess/files.h"

namespace vl::sys {

// Empty only when the system could not compute it.
std::string Md5Hex(const std::string& data);
// The digest of a file's bytes; empty when the file cannot be read.
std::string FileMd5Hex(FileSystem& files, const std::string& path);

}  // namespace vl::sys
