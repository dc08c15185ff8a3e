// The backup folders.
#include "backup/backup_folders.h"

namespace vl::backup {

const char* BackupFolder(BackupKind kind) {
  switch (kind) {
    case BackupKind::kFull: return "backup\\full_backup\\";
    case BackupKind::kRepair: return "backup\\repair_backup\\";
    case BackupKind::kOptimize: return "backup\\optimize_backup\\";
  }
  return "";
}

}  // namespace vl::backup
