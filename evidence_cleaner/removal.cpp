// Removal of the selected evidence items.
#include "evidence_cleaner/removal.h"

#include "backup/registry_change.h"
#include "evidence_cleaner/browser_traces.h"
#include "evidence_cleaner/chromium.h"
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
        if (!files_.GetEntry(item.path, e) || e.IsFolder()) return false;
        // Through a handle of the file itself, checked to lie at its path
        // (a folder on the way turned into a link refuses); a link goes as a
        // link; a delete that fails leaves the attributes as they were.
        return files_.RemoveSeen(item.path, sys::SeenEntry::Of(e)) == 0;
      }
      case kFolder: {
        c_.ShowHint("Deleting " + item.path);
        sys::FileEntry e;
        if (!files_.GetEntry(item.path, e) || !e.IsFolder()) return false;
        return sys::DeleteFolderTree(files_, item.path, 1);
      }
      default:
        return false;
    }
  }

 private:
  RemovalContext& c_;
  sys::FileSystem& files_;
  backup::RegistryChange registry_;
};

}  // namespace

void RemoveEvidence(RemovalContext& c, const std::vector<TSearchEvidence*>& records) {
  Remover remover(c);
  for (TSearchEvidence* e : records) {
    if (e->itemCount.load() <= 0) continue;
    c.ShowHint("Deleting " + e->name + "...");
    e->notCleaned.clear();
    int32_t cleaned = 0;
    sys::FileSystem& files = *c.platform().files;
    const ChromiumBrowser* chromium = ChromiumBrowserOf(e->typeNo);
    if (e->typeNo == 405 || e->typeNo == 406 || e->typeNo == 433) {
      // The rows go from the files the scan read them from.
      cleaned = RemoveFirefoxRows(files, *e);
    } else if (chromium && e->typeNo != chromium->cache) {
      cleaned = RemoveChromiumRows(files, *e);
    } else if (e->typeNo == 434) {
      // The session files of a profile the running browser holds would be
      // written again at once: that profile is left whole.
      std::vector<std::string> problems;
      std::vector<bool> held(e->sources.size(), false);
      for (size_t s = 0; s < e->sources.size(); ++s) {
        std::string problem;
        if (!SourceStillThere(files, e->sources[s], &problem) || BrowserHoldsProfile(files, e->sources[s], &problem)) {
          held[s] = true;
          bool any = false;
          for (const TScanEvidence& item : e->items) any = any || (item.selected && item.source == static_cast<int32_t>(s));
          if (any) problems.push_back(problem);
        }
      }
      for (const TScanEvidence& item : e->items)
        if (item.selected && item.source >= 0 && static_cast<size_t>(item.source) < held.size() &&
            !held[static_cast<size_t>(item.source)] && remover.Remove(item))
          ++cleaned;
      for (const std::string& p : problems) e->notCleaned += (e->notCleaned.empty() ? "" : " ") + p;
    } else {
      for (const TScanEvidence& item : e->items)
        if (item.selected && remover.Remove(item)) ++cleaned;
    }
    // A run that removed nothing keeps the count of the run before.
    if (cleaned > 0) e->cleanedCount.store(cleaned);
  }
}

}  // namespace vl::evidence
