// RegistryChange: export, append and flush, then change.
#include "backup/registry_change.h"

#include <algorithm>

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

bool RegistryChange::Backup(const std::vector<std::string>& lines) { return !backup_ || backup_->Append(lines); }

bool RegistryChange::DeleteKeyTree(sys::RegRoot root, const std::string& key, uint32_t access) {
  std::vector<std::string> lines = sys::ExportRegTree(*platform_.registry, root, key, access);
  // Without the header and its blank line; nothing left means no such key.
  if (lines.size() <= 2) return false;
  lines.erase(lines.begin(), lines.begin() + 2);
  if (!Backup(lines)) return false;
  return registry_.DeleteKey(root, key, access);
}

bool RegistryChange::DeleteEmptyKey(sys::RegRoot root, const std::string& key, uint32_t access) {
  if (!Backup({sys::RegKeyLine(root, key), ""})) return false;
  return registry_.DeleteKey(root, key, access);
}

bool RegistryChange::ValueLines(sys::RegRoot root, const std::string& key, const std::string& name,
                                uint32_t access, std::vector<std::string>& lines, bool* exists) {
  *exists = false;
  sys::ScopedKey k(*platform_.registry, root, key, access);
  if (!k.ok()) return false;
  // The value's full data, however large.
  sys::RegData data;
  const long rc = platform_.registry->QueryValue(k.get(), name, 0, &data);
  if (rc == sys::kErrFileNotFound) return true;
  if (rc != sys::kErrSuccess) return false;
  if (platform_.registry->QueryValue(k.get(), name, std::max<uint32_t>(data.size, 1), &data) != sys::kErrSuccess)
    return false;
  *exists = true;
  for (const std::string& l : sys::ExportValueLines(name, data)) lines.push_back(l);
  return true;
}

bool RegistryChange::DeleteValue(sys::RegRoot root, const std::string& key, const std::string& name,
                                 uint32_t access) {
  const std::string effective = sys::EffectiveValueName(name);
  std::vector<std::string> lines{sys::RegKeyLine(root, key)};
  bool exists = false;
  if (!ValueLines(root, key, effective, access, lines, &exists) || !exists) return false;
  if (!Backup(lines)) return false;
  return registry_.DeleteValue(root, key, name, access);
}

bool RegistryChange::SetValue(sys::RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                              const std::string& bytes, uint32_t access) {
  const std::string effective = sys::EffectiveValueName(name);
  std::vector<std::string> lines{sys::RegKeyLine(root, key)};
  bool exists = false;
  if (!ValueLines(root, key, effective, access, lines, &exists)) return false;  // no such key, or unreadable
  if (!exists) lines.push_back((effective.empty() ? std::string("@") : sys::QuoteRegString(effective)) + "=-");
  lines.push_back("");
  if (!Backup(lines)) return false;
  sys::ScopedKey k(*platform_.registry, root, key, access);
  return k.ok() && platform_.registry->SetValue(k.get(), effective, type, bytes) == sys::kErrSuccess;
}

}  // namespace vl::backup
