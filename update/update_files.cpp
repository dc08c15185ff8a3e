#include "update/update_files.h"

#include <algorithm>
#include <cctype>

#include "sysaccess/digest.h"
#include "sysaccess/inflate.h"
#include "sysaccess/sys_error.h"
#include "update/update_server.h"

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
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '0' && base[3] <= '9')
    return false;
  return true;
}

UnpackResult UnpackVerified(sys::FileSystem& files, const std::string& from, const std::string& to,
                            const std::string& md5) {
  if (files.FileExists(to)) files.RemoveFile(to);
  std::string in;
  if (!files.ReadFileBytes(from, in)) return UnpackResult::kReadFailed;
  std::string out;
  switch (sys::InflateZlib(in, kMaxProgramBytes, &out)) {
    case sys::InflateResult::kOk: break;
    case sys::InflateResult::kTooLarge: return UnpackResult::kTooLarge;
    case sys::InflateResult::kReadFailed: return UnpackResult::kReadFailed;
    case sys::InflateResult::kWriteFailed: return UnpackResult::kWriteFailed;
    default: return UnpackResult::kCorrupt;
  }
  if (out.empty()) return UnpackResult::kEmpty;
  if (files.ReplaceFileData(to, out) != 0) return UnpackResult::kWriteFailed;
  // Exact text: the manifest's digests are lowercase, and an uppercase one
  // has never matched.
  if (sys::Md5Hex(out) != md5) return UnpackResult::kDigestMismatch;
  return UnpackResult::kOk;
}

uint32_t InstallFile(sys::FileSystem& files, const std::string& from, const std::string& to) {
  std::string data;
  if (!files.ReadFileBytes(from, data)) return sys::err::kReadFault;
  return files.ReplaceFileData(to, data);
}

}  // namespace vl::update
