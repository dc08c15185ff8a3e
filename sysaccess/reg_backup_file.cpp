// RegBackupFile: append-as-you-go registry backups.
#include "sysaccess/reg_backup_file.h"

#include "sysaccess/reg_writer.h"

namespace vl::sys {

bool RegBackupFile::Append(const std::vector<std::string>& lines) {
  if (lines.empty()) return true;
  if (path_.empty()) {
    std::string path = makePath_();
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos) files_.CreateFolder(path.substr(0, slash));
    std::vector<std::string> first{kRegHeaderV5};
    first.insert(first.end(), lines.begin(), lines.end());
    if (!files_.AppendFileBytes(path, EncodeRegFile(first))) return false;
    path_ = path;
    return true;
  }
  // Later batches without the byte-order mark.
  return files_.AppendFileBytes(path_, EncodeRegFile(lines).substr(2));
}

}  // namespace vl::sys
