// RegistryChange: export, append and flush, then change.
#include "backup/registry_change.h"

#include <algorithm>

#include "sysaccess/error_text.h"
#include "sysaccess/reg_file.h"
#include "sysaccess/reg_writer.h"

namespace vl::backup {

RegistryChange::RegistryChange(sys::Platform& platform, std::function<std::string()> backupPath)
    : platform_(platform), registry_(*platform.registry) {
  if (backupPath) backup_ = std::make_unique<sys::RegBackupFile>(*platform.files, std::move(backupPath));
}

const std::string& RegistryChange::backupFile() const {
  static const std::string kNone;
  return backup_ ? backup_->path() : kNone;
}

bool RegistryChange::Refuse(std::string why) {
  problem_ = std::move(why);
  return false;
}

bool RegistryChange::Backup(const std::vector<std::string>& lines) {
  if (!backup_ || backup_->Append(lines)) return true;
  backupFailed_ = true;
  return Refuse("the backup file could not be written");
}

bool RegistryChange::Changed(long rc, const char* what) {
  if (rc == sys::kErrSuccess) return true;
  return Refuse(std::string("the registry refused to ") + what + ": " + sys::SystemErrorText(rc));
}

bool RegistryChange::DeleteKeyTree(sys::RegRoot root, const std::string& key, uint32_t access) {
  problem_.clear();
  // Only a whole export may stand for the tree: what the backup does not
  // hold is not deleted.
  sys::RegTreeExport tree = sys::ExportRegTreeForBackup(*platform_.registry, root, key, access);
  if (!tree.found) return Refuse("the key no longer exists");
  if (!tree.whole()) return Refuse(tree.problem);
  if (!Backup(tree.lines)) return false;
  // Only the exported keys go, children first, each while it still holds
  // just what the backup holds: what arrived since stays, with its parents.
  for (auto it = tree.keys.rbegin(); it != tree.keys.rend(); ++it) {
    {
      sys::ScopedKey k(*platform_.registry, root, it->path, access);
      if (!k.ok()) return Refuse("the key " + it->path + " could not be opened: " + sys::SystemErrorText(k.status()));
      uint32_t subKeys = 0, values = 0;
      const long rc = platform_.registry->QueryKeyCounts(k.get(), &subKeys, &values);
      if (rc != sys::kErrSuccess) return Changed(rc, "count the key's entries");
      if (subKeys != 0 || values != it->values) return Refuse("the key changed while it was being removed");
    }
    if (!Changed(registry_.DeleteLeafKey(root, it->path, access), "delete the key")) return false;
  }
  return true;
}

bool RegistryChange::DeleteEmptyKey(sys::RegRoot root, const std::string& key, uint32_t access) {
  problem_.clear();
  if (!sys::RegNameWritable(key)) return Refuse("the key has a name that a backup cannot hold");
  if (!Backup({sys::RegKeyLine(root, key), ""})) return false;
  // The key line is the whole backup, so nothing may have arrived since the
  // caller looked: values are counted once more, and the delete itself
  // fails when a subkey exists.
  if (!registry_.KeyIsEmpty(root, key, access)) return Refuse("the key is no longer empty");
  return Changed(registry_.DeleteLeafKey(root, key, access), "delete the key");
}

bool RegistryChange::ValueLines(sys::RegRoot root, const std::string& key, const std::string& name,
                                uint32_t access, std::vector<std::string>& lines, bool* exists) {
  *exists = false;
  sys::ScopedKey k(*platform_.registry, root, key, access);
  if (k.status() == sys::kErrFileNotFound) return Refuse("the key no longer exists");
  if (!k.ok()) return Refuse("the key could not be opened: " + sys::SystemErrorText(k.status()));
  // The value's full data, however large.
  sys::RegData data;
  long rc = platform_.registry->QueryValue(k.get(), name, 0, &data);
  if (rc == sys::kErrFileNotFound) return true;
  if (rc == sys::kErrSuccess)
    rc = platform_.registry->QueryValue(k.get(), name, std::max<uint32_t>(data.size, 1), &data);
  if (rc != sys::kErrSuccess) return Refuse("the value could not be read: " + sys::SystemErrorText(rc));
  *exists = true;
  for (const std::string& l : sys::ExportValueLines(name, data)) lines.push_back(l);
  return true;
}

bool RegistryChange::DeleteValue(sys::RegRoot root, const std::string& key, const std::string& name,
                                 uint32_t access) {
  problem_.clear();
  if (!sys::RegNameWritable(key) || !sys::RegNameWritable(name))
    return Refuse("the value has a name that a backup cannot hold");
  std::vector<std::string> lines{sys::RegKeyLine(root, key)};
  bool exists = false;
  if (!ValueLines(root, key, name, access, lines, &exists)) return false;
  if (!exists) return Refuse("the value no longer exists");
  if (!Backup(lines)) return false;
  return Changed(registry_.RemoveValue(root, key, name, access), "delete the value");
}

bool RegistryChange::SetValue(sys::RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                              const std::string& bytes, uint32_t access) {
  problem_.clear();
  if (!sys::RegNameWritable(key) || !sys::RegNameWritable(name))
    return Refuse("the value has a name that a backup cannot hold");
  std::vector<std::string> lines{sys::RegKeyLine(root, key)};
  bool exists = false;
  if (!ValueLines(root, key, name, access, lines, &exists)) return false;
  if (!exists) lines.push_back((name.empty() ? std::string("@") : sys::QuoteRegString(name)) + "=-");
  lines.push_back("");
  if (!Backup(lines)) return false;
  sys::ScopedKey k(*platform_.registry, root, key, access);
  if (!k.ok()) return Refuse("the key could not be opened");
  return Changed(platform_.registry->SetValue(k.get(), name, type, bytes), "set the value");
}

}  // namespace vl::backup
