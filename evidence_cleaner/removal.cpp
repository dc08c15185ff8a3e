// Removal of the selected evidence items.
#include "evidence_cleaner/removal.h"

#include <unordered_map>

#include "backup/registry_change.h"
#include "evidence_cleaner/browser_traces.h"
#include "sysaccess/folder_tree.h"
#include "sysaccess/shell_folders.h"

namespace vl::evidence {

namespace {

class Remover {
 public:
  explicit Remover(RemovalContext& c)
      : c_(c), files_(*c.platform().files), registry_(c.platform(), nullptr) {}

  bool Remove(const TScanEvidence& item) {
    const sys::RegRoot root = static_cast<sys::RegRoot>(item.key & 0xFFFFFFFFu);
    switch (item.kind) {
      case kRegistryKey:
        c_.ShowHint("Deleting " + ItemText(item));
        // The tree goes key by key; a registry link is never followed.
        return registry_.DeleteKeyTree(root, item.path, c_.access());
      case kRegistryValue:
        c_.ShowHint("Deleting " + ItemText(item));
        if (item.action == kBlankValue)
          return registry_.SetValue(root, item.path, item.name, sys::kRegSz, std::string(2, '\0'), c_.access());
        return registry_.DeleteValue(root, item.path, item.name, c_.access());
      case kFile: {
        c_.ShowHint("Deleting " + item.path);
        sys::FileEntry e;
        if (!files_.GetEntry(item.path, e) || e.IsFolder() || !ParentIsPlain(item.path)) return false;
        if (!e.IsReparsePoint()) files_.SetAttributes(item.path, sys::kAttrNormal);
        return files_.RemoveFile(item.path) == 0;
      }
      case kFolder: {
        c_.ShowHint("Deleting " + item.path);
        sys::FileEntry e;
        if (!files_.GetEntry(item.path, e) || !e.IsFolder() || !ParentIsPlain(item.path)) return false;
        return sys::DeleteFolderTree(files_, item.path, 1);
      }
      default:
        return false;
    }
  }

 private:
  // No folder on the way from the drive root is a link: one planted since
  // the scan would lead the removal somewhere else.
  bool ParentIsPlain(const std::string& path) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return false;
    return FolderIsPlain(path.substr(0, slash));
  }
  bool FolderIsPlain(const std::string& f) {
    if (f.size() <= 3) return true;  // the drive root
    auto it = plain_.find(f);
    if (it != plain_.end()) return it->second;
    sys::FileEntry e;
    const size_t slash = f.rfind('\\');
    const bool ok = files_.GetEntry(f, e) && e.IsFolder() && !e.IsReparsePoint() &&
                    (slash == std::string::npos || FolderIsPlain(f.substr(0, slash)));
    plain_[f] = ok;
    return ok;
  }

  RemovalContext& c_;
  sys::FileSystem& files_;
  backup::RegistryChange registry_;
  std::unordered_map<std::string, bool> plain_;
};

}  // namespace

void RemoveEvidence(RemovalContext& c, const std::vector<TSearchEvidence*>& records) {
  Remover remover(c);
  for (TSearchEvidence* e : records) {
    if (e->itemCount.load() <= 0) continue;
    c.ShowHint("Deleting " + e->name + "...");
    e->notCleaned.clear();
    int32_t cleaned = 0;
    if (e->typeNo == 405 || e->typeNo == 406) {
      sys::FileSystem& files = *c.platform().files;
      cleaned = RemoveFirefoxRows(files, FirefoxProfile(files, sys::SpecialFolderPath(*c.platform().shell, 17)), *e);
    } else {
      for (const TScanEvidence& item : e->items)
        if (item.selected && remover.Remove(item)) ++cleaned;
    }
    // A run that removed nothing keeps the count of the run before.
    if (cleaned > 0) e->cleanedCount.store(cleaned);
  }
}

}  // namespace vl::evidence
