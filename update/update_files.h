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
// extension, the superscript COM¹-COM³ and LPT¹-LPT³ included), so that no manifest can make a program write elsewhere.
bool IsPlainFileName(const std::string& name);

enum class UnpackResult {
  kOk, kCorrupt, kEmpty, kTooLarge, kReadFailed, kWriteFailed, kDigestMismatch, kSizeMismatch, kVersionMismatch
};

// What the signed manifest says of an unpacked program.
struct ExpectedProgram {
  std::string md5;      // lowercase hex
  std::string sha256;   // lowercase hex
  std::string size;     // decimal byte count
  std::string version;  // the file version its version resource must carry
};

// Inflates the zlib file `from` (read whole before anything is written, so
// `from` may be `to`) and checks the result against `expected`: both
// digests exactly (an empty digest never matches), the size, and the
// program's own version resource. Only a program that passed is written to
// `to` (beside it and renamed); after a failure `to` is removed. The bytes
// that were checked are returned in `program`: install those, never what
// lies in `to` afterwards.
UnpackResult UnpackVerified(sys::FileSystem& files, const std::string& from, const std::string& to,
                            const ExpectedProgram& expected, std::string& program);

}  // namespace vl::update
