// Removing one problem found by a scan, backing it up first: the removal
// table by category, the climb for empty keys, the guard that never lets a
// problem record delete a root or a container key, and the log line.
#pragma once
#include <memory>
#include <string>

#include "backup/registry_change.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/platform.h"

namespace vl::registry {

struct TCleanInfo {
  std::string text;
  uint16_t status = 0;  // 1 removed, 0 not removed
  std::string reason;   // why not, when known
};

// Keys no problem record may delete: roots, user hives, and the container
// keys the checks walk (and their ancestors).
bool IsProtectedKey(uint32_t root, const std::string& keyPath);

// A problem found under HKEY_CLASSES_ROOT, moved to the hive that holds the
// entry (HKCU\Software\Classes before HKLM\SOFTWARE\Classes, as the merged
// view shows it), so that its backup names that hive and a restore puts it
// back there. Other problems, and entries found in neither, stay as they are.
TScanRegistry InHoldingHive(sys::Registry& registry, TScanRegistry problem);

class Repairer {
 public:
  // `backupPath` names the backup file when the first lines are written;
  // null switches backups off.
  Repairer(sys::Platform& platform, std::function<std::string()> backupPath);

  TCleanInfo Remove(int category, const TScanRegistry& problem);
  const std::string& backupFile() const { return change_.backupFile(); }

 private:
  bool RemoveKeyTree(const TScanRegistry& p);
  bool RemoveValue(const TScanRegistry& p);
  bool Climb(const TScanRegistry& p);
  bool Refuse(std::string why);

  std::string reason_;

  sys::Platform& platform_;
  sys::Registry registry_;
  backup::RegistryChange change_;
};

}  // namespace vl::registry
