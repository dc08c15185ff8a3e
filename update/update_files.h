// The download folder `update\` and what both programs do with a program
// file fetched into it: take a name from the manifest only when it is a
// plain file name, inflate and verify it, and put it in place so that the
// old program stays whole until the new one is complete.
#pragma once
#include <cstdint>
#include <string>

#include "sysaccess/files.h"

namespace vl::update {

// A name the manifest may give for a file in `update\`: no folder parts
// (\ / :), not "." or "..", no control characters or wildcards, no trailing
// dot or space, and no device name (CON, NUL, COM1 ... with or without an
// extension), so that no manifest can make a program write elsewhere.
bool IsPlainFileName(const std::string& name);

enum class UnpackResult { kOk, kCorrupt, kEmpty, kTooLarge, kReadFailed, kWriteFailed, kDigestMismatch };

// Inflates the zlib file `from` into `to` (replacing it) and compares the
// MD5 of `to` with `md5` exactly (lowercase). `to` exists afterwards only
// when the data inflated (even when the digest then differs, as the next
// attempt overwrites it).
UnpackResult UnpackVerified(sys::FileSystem& files, const std::string& from, const std::string& to,
                            const std::string& md5);

// Puts the bytes of file `from` in place of `to`: written beside `to` and
// renamed over it, so a failure at any point leaves `to` as it was.
// 0 or the system error.
uint32_t InstallFile(sys::FileSystem& files, const std::string& from, const std::string& to);

}  // namespace vl::update
