// The backup catalogue: the rows of a backup list, newest first.
#pragma once
#include <string>
#include <vector>

#include "backup/backup_folders.h"
#include "sysaccess/platform.h"

namespace vl::backup {

// One row of a backup list: the file's last-write time as shown, and the
// file name without folder (the hidden second column).
struct BackupEntry {
  std::string dateText;
  std::string fileName;
  bool operator==(const BackupEntry&) const = default;
};

// The .reg files of `folder` (no subfolders), newest first; equal seconds
// fall back to the file name, descending, without regard to case. A missing
// folder gives no rows.
std::vector<BackupEntry> ListBackups(sys::FileSystem& files, sys::System& system, const std::string& folder);

// A file time as "yyyymmddhhnnss" in local time; empty when it has none.
std::string LocalTimestampOf(sys::System& system, uint64_t fileTime);

}  // namespace vl::backup
