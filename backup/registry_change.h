// One backed-up registry change: the entry as it was is exported into the
// backup file, appended and flushed, and only then is the registry changed.
// A failed backup write means no change. The repair removes through it; the
// optimizer and the evidence cleaner change values through it.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "sysaccess/platform.h"
#include "sysaccess/reg_backup_file.h"
#include "sysaccess/registry.h"

namespace vl::backup {

class RegistryChange {
 public:
  // `backupPath` names the backup file when the first lines are written;
  // null switches backups off (the user's choice): changes then go ahead
  // without one.
  RegistryChange(sys::Platform& platform, std::function<std::string()> backupPath);

  // The key and everything below it; the whole tree is backed up.
  bool DeleteKeyTree(sys::RegRoot root, const std::string& key, uint32_t access);
  // A key that holds nothing: its key line is the whole backup. It is
  // deleted only while still empty, never with what arrived meanwhile.
  bool DeleteEmptyKey(sys::RegRoot root, const std::string& key, uint32_t access);
  // One value, backed up with its whole data. Value names here are exact:
  // "" is the unnamed value, and "(Default)" a value of that name.
  bool DeleteValue(sys::RegRoot root, const std::string& key, const std::string& name, uint32_t access);
  // Sets a value of an existing key (keys are never created). The backup
  // holds the old value, or a line that removes the value again when there
  // was none, so that restoring the file undoes the change.
  bool SetValue(sys::RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                const std::string& bytes, uint32_t access);

  // The backup file written so far; empty when none was.
  const std::string& backupFile() const;
  // Why the last change was refused or failed; empty after a success.
  const std::string& problem() const { return problem_; }
  // True once a backup write failed: no further change may go ahead
  // without one, so a caller running a series stops there.
  bool backupFailed() const { return backupFailed_; }

 private:
  bool Refuse(std::string why);
  bool Backup(const std::vector<std::string>& lines);
  // True for success; otherwise records what the registry said.
  bool Changed(long rc, const char* what);
  // The value's lines below its key line; false (and the problem recorded)
  // when the key or the value cannot be read. `exists` tells a missing value
  // from an unreadable one.
  bool ValueLines(sys::RegRoot root, const std::string& key, const std::string& name, uint32_t access,
                  std::vector<std::string>& lines, bool* exists);

  sys::Platform& platform_;
  sys::Registry registry_;
  std::unique_ptr<sys::RegBackupFile> backup_;
  std::string problem_;
  bool backupFailed_ = false;
};

}  // namespace vl::backup
