// Category 11: Start menu ordering entries named after no program the
// machine knows (no program menu folder, no installed program).
#include <set>
#include <vector>

#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/shell_folders.h"
#include "sysaccess/text.h"

namespace vl::registry {

namespace {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return sys::CompareNoCase(a, b) < 0;
  }
};
using KnownPrograms = std::set<std::string, NoCaseLess>;

KnownPrograms ReadKnownPrograms(ScanContext& context) {
  KnownPrograms known;
  sys::FileSystem& files = *context.platform().files;
  // Common programs menu, then the user's.
  for (int index : {1, 6}) {
    const std::string folder = sys::SpecialFolderPath(*context.platform().shell, index);
    std::vector<sys::FileEntry> entries;
    if (folder.empty() || !files.ListFolder(folder, entries)) continue;
    for (const sys::FileEntry& entry : entries)
      if (entry.IsFolder()) known.insert(entry.name);
  }
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  for (sys::RegRoot root : {sys::kHKLM, sys::kHKCU}) {
    if (context.Stopped()) break;
    std::vector<std::string> products;
    context.registry().EnumSubKeys(products, root, uninstall, context.access());
    for (const std::string& product : products) {
      const std::string name = refs::Trim(
          context.registry().ReadString(root, uninstall + "\\" + product, "DisplayName", context.access()));
      if (!name.empty()) known.insert(name);
    }
  }
  return known;
}

}  // namespace

void CheckStartMenu(ScanContext& context) {
  const uint32_t access = context.access();
  const KnownPrograms known = ReadKnownPrograms(context);
  for (const char* key : {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs"}) {
    std::vector<std::string> entries;
    context.registry().EnumSubKeys(entries, sys::kHKCU, key, access);
    for (const std::string& entry : entries) {
      if (context.Stopped()) break;
      context.ShowProgress(std::string("HKEY_CURRENT_USER\\") + key + "\\" + entry);
      if (known.count(entry) == 0)
        context.AddProblem(sys::kHKCU, std::string(key) + "\\" + entry, access, kValueNotUsed, "", "");
    }
  }
}

}  // namespace vl::registry
