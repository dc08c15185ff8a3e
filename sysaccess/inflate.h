// Inflating zlib data (RFC 1950), as the update server sends program files,
// with a cap on the size of what comes out: a broken or hostile download
// must not fill the disk or the memory.
#pragma once
#include <cstddef>
#include <string>

#include "sysaccess/files.h"

namespace vl::sys {

enum class InflateResult { kOk, kCorrupt, kTooLarge, kReadFailed, kWriteFailed };

// `out` holds the inflated bytes only when the answer is kOk. Data after the
// end of the zlib stream makes the input corrupt.
InflateResult InflateZlib(const std::string& in, size_t maxOut, std::string* out);
// Inflates file `from` into file `to`; `to` is written only when the whole
// input inflated within the cap.
InflateResult InflateZlibFile(FileSystem& files, const std::string& from, const std::string& to, size_t maxOut);

}  // namespace vl::sys
