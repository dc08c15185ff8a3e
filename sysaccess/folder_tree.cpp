// Folder deletion, entry sizes and name masks.
#include "sysaccess/folder_tree.h"

#include "sysaccess/text.h"

namespace vl::sys {

namespace {

std::string WithBackslash(const std::string& p) {
  return (!p.empty() && p.back() != '\\') ? p + "\\" : p;
}

std::string WithoutBackslash(std::string p) {
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  return p;
}

bool Inside(const std::string& path, const std::string& folder) {
  std::string f = WithBackslash(folder);
  std::string p = WithBackslash(path);
  return p.size() >= f.size() && EqualsNoCase(p.substr(0, f.size()), f);
}

bool MaskMatch(const std::u16string& n, size_t i, const std::u16string& m, size_t j) {
  while (j < m.size()) {
    if (m[j] == u'*') {
      while (j < m.size() && m[j] == u'*') ++j;
      if (j == m.size()) return true;
      for (size_t k = i; k <= n.size(); ++k)
        if (MaskMatch(n, k, m, j)) return true;
      return false;
    }
    if (i >= n.size()) return false;
    if (m[j] != u'?' && UpperChar(m[j]) != UpperChar(n[i])) return false;
    ++i;
    ++j;
  }
  return i == n.size();
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
  std::u16string m = Utf8ToUtf16(mask);
  // "*.*" matches names without a dot as well.
  if (m == u"*.*") return true;
  return MaskMatch(Utf8ToUtf16(name), 0, m, 0);
}

int32_t FileSizeOf(FileSystem& files, const std::string& path) {
  std::string full = files.FullPath(path);
  if (full.empty()) return 0;
  size_t slash = full.rfind('\\');
  std::string last = slash == std::string::npos ? full : full.substr(slash + 1);
  FileEntry entry;
  if (last.find_first_of("*?") == std::string::npos) {
    if (!files.GetEntry(full, entry)) return 0;
  } else {
    std::vector<FileEntry> entries;
    if (slash == std::string::npos || !files.ListFolder(full.substr(0, slash + 1), entries)) return 0;
    bool found = false;
    for (const auto& e : entries) {
      if (MatchesMask(e.name, last)) {
        entry = e;
        found = true;
        break;
      }
    }
    if (!found) return 0;
  }
  return static_cast<int32_t>(static_cast<uint32_t>(entry.size & 0xFFFFFFFFu));
}

bool DeleteFolderTree(FileSystem& files, const std::string& folder, int mode) {
  std::string f = WithoutBackslash(folder);
  FileEntry self;
  if (!files.GetEntry(f, self) || !self.IsFolder()) return !files.DirectoryExists(f);
  if (self.IsReparsePoint()) {
    // A link to a folder: never delete what it points at.
    if (mode == 1) files.RemoveSeen(f, SeenEntry::Of(self));
    return !files.DirectoryExists(f);
  }
  // Every entry goes through a handle of its own, checked to lie at the
  // path below this folder: a folder swapped for a link at any moment makes
  // the removals inside it refuse rather than reach what the link names.
  std::vector<FileEntry> entries;
  files.ListFolder(f, entries);
  std::string base = WithBackslash(f);
  for (const auto& e : entries) {
    std::string path = base + e.name;
    if (e.IsFolder() && !e.IsReparsePoint()) DeleteFolderTree(files, path, 1);
    else files.RemoveSeen(path, SeenEntry::Of(e));
  }
  if (mode == 1) {
    // A folder that is the current one cannot be removed.
    if (Inside(files.CurrentFolder(), f)) files.SetCurrentFolder("C:\\");
    files.RemoveSeen(f, SeenEntry::Of(self));
  }
  return !files.DirectoryExists(f);
}

}  // namespace vl::sys
