// RegBackupFile: append-as-you-go registry backups, whole or absent.
#include "sysaccess/reg_backup_file.h"

#include "sysaccess/reg_writer.h"
#include "sysaccess/sys_error.h"

namespace vl::sys {

namespace {

constexpr int kMaxNames = 100;

// "...\20240305143000.reg" -> "...\20240305143000_2.reg".
std::string Numbered(const std::string& path, int n) {
  const size_t slash = path.find_last_of('\\');
  const size_t dot = path.rfind('.');
  const size_t at = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : path.size();
  return path.substr(0, at) + "_" + std::to_string(n) + path.substr(at);
}

}  // namespace

bool RegBackupFile::Create(const std::vector<std::string>& lines) {
  const std::string path = makePath_();
  const size_t slash = path.find_last_of('\\');
  if (slash != std::string::npos) files_.CreateFolder(path.substr(0, slash));
  std::vector<std::string> first{kRegHeaderV5};
  first.insert(first.end(), lines.begin(), lines.end());
  const std::string bytes = EncodeRegFile(first);
  for (int n = 1; n <= kMaxNames; ++n) {
    const std::string candidate = n == 1 ? path : Numbered(path, n);
    const uint32_t rc = files_.CreateHeldFile(candidate, bytes, &file_);
    if (rc == err::kSuccess) {
      path_ = candidate;
      size_ = bytes.size();
      return true;
    }
    if (rc != err::kFileExists && rc != err::kAlreadyExists) return false;
  }
  return false;
}

bool RegBackupFile::Append(const std::vector<std::string>& lines) {
  if (broken_) return false;
  if (lines.empty()) return true;
  if (path_.empty()) return Create(lines);
  // Later batches without the byte-order mark.
  const std::string bytes = EncodeRegFile(lines).substr(2);
  if (file_->Append(bytes) == err::kSuccess) {
    size_ += bytes.size();
    return true;
  }
  // Part of the batch may be in the file: back to the last whole one.
  if (file_->Truncate(size_) != err::kSuccess) broken_ = true;
  return false;
}

}  // namespace vl::sys
