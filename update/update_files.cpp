#include "update/update_files.h"

#include <algorithm>
#include <cctype>

#include "sysaccess/digest.h"
#include "sysaccess/inflate.h"
#include "sysaccess/signature.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/version_info.h"
#include "update/update_server.h"
#include "update/version_compare.h"

namespace vl::update {

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name.size() > 200 || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
      return false;
  if (name.back() == '.' || name.back() == ' ' || name.find("..") != std::string::npos) return false;
  // Device names stay devices whatever extension follows them.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  std::transform(base.begin(), base.end(), base.begin(), [](unsigned char c) { return std::toupper(c); });
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : kDevices)
    if (base == d) return false;
  const bool port = base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0;
  if (port && base.size() == 4 && base[3] >= '0' && base[3] <= '9') return false;
  // Windows takes the superscript digits one to three (UTF-8 C2 B9, B2, B3)
  // as port numbers too.
  if (port && base.size() == 5 && base[3] == '\xC2' &&
      (base[4] == '\xB9' || base[4] == '\xB2' || base[4] == '\xB3'))
    return false;
  return true;
}

namespace {

bool SizeMatches(const std::string& text, size_t size) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  return std::stoull(text) == size;
}

UnpackResult Check(const std::string& out, const ExpectedProgram& expected) {
  if (!SizeMatches(expected.size, out.size())) return UnpackResult::kSizeMismatch;
  // Exact text: the manifest's digests are lowercase, and an uppercase one
  // has never matched. An empty one (or a digest the system could not
  // compute) matches nothing.
  const std::string md5 = sys::Md5Hex(out), sha256 = sys::Sha256Hex(out);
  if (md5.empty() || md5 != expected.md5 || sha256.empty() || sha256 != expected.sha256)
    return UnpackResult::kDigestMismatch;
  std::string block;
  if (!sys::ExtractVersionResource(out, block) || !SameVersion(sys::FileVersionFromBlock(block), expected.version))
    return UnpackResult::kVersionMismatch;
  return UnpackResult::kOk;
}

}  // namespace

UnpackResult UnpackVerified(sys::FileSystem& files, const std::string& from, const std::string& to,
                            const ExpectedProgram& expected, std::string& program) {
  program.clear();
  std::string in;
  const bool read = files.ReadFileBytes(from, in);
  // Nothing unverified stays under the name that gets installed.
  if (files.FileExists(to)) files.RemoveFile(to);
  if (!read) return UnpackResult::kReadFailed;
  std::string out;
  switch (sys::InflateZlib(in, kMaxProgramBytes, &out)) {
    case sys::InflateResult::kOk: break;
    case sys::InflateResult::kTooLarge: return UnpackResult::kTooLarge;
    case sys::InflateResult::kReadFailed: return UnpackResult::kReadFailed;
    case sys::InflateResult::kWriteFailed: return UnpackResult::kWriteFailed;
    default: return UnpackResult::kCorrupt;
  }
  if (out.empty()) return UnpackResult::kEmpty;
  if (UnpackResult r = Check(out, expected); r != UnpackResult::kOk) return r;
  if (files.ReplaceFileData(to, out) != 0) return UnpackResult::kWriteFailed;
  program = std::move(out);
  return UnpackResult::kOk;
}

}  // namespace vl::update
