// Category 14: uninstall entries whose uninstaller or install folder is gone,
// and cached program data (ARPCache) of programs no longer listed.
#include <vector>

#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/text.h"

namespace vl::registry {

using namespace refs;

namespace {

// One uninstall entry.
struct TUninstallItem {
  std::string productId;      // trimmed "ProductGuid"
  std::string displayName;    // trimmed "DisplayName"
  std::string installFolder;  // trimmed "InstallLocation"
  std::string keyName;        // the uninstall subkey's own name
};

}  // namespace

void CheckUninstall(ScanContext& context) {
  const std::string base = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const uint32_t access = context.access();
  sys::Registry& reg = context.registry();
  RedirectionOff off(context);
  std::vector<TUninstallItem> items;
  for (sys::RegRoot root : {sys::kHKLM, sys::kHKCU}) {
    for (const std::string& list : ViewPaths(context, root, base)) {
      if (context.Stopped()) break;
      std::vector<std::string> products;
      reg.EnumSubKeys(products, root, list, access);
      for (const std::string& product : products) {
        const std::string key = list + "\\" + product;
        if (reg.ValueExists(root, key, "UninstallString", access)) {
          const std::string value = Trim(reg.ReadString(root, key, "UninstallString", access));
          const std::string path = sys::ToLowerText(PathOf(context, value));
          if (path.empty() || !context.FileExistsWow64(path, 1))
            context.AddProblem(root, key, access, kInvalidPath, value, "UninstallString");
        }
        if (reg.ValueExists(root, key, "InstallLocation", access)) {
          const std::string value = Trim(reg.ReadString(root, key, "InstallLocation", access));
          const std::string path = sys::ToLowerText(PathOf(context, value, sys::CommaRule::kPartOfPath));
          if (!path.empty() && !FolderExists(context, path))
            context.AddProblem(root, key, access, kInvalidPath, value, "InstallLocation");
        }
        items.push_back({Trim(reg.ReadString(root, key, "ProductGuid", access)),
                         Trim(reg.ReadString(root, key, "DisplayName", access)),
                         Trim(reg.ReadString(root, key, "InstallLocation", access)), product});
      }
    }
  }

  // A cached entry is unused only when no uninstall list of either view names it.
  const std::string arp = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";
  for (const std::string& cache : ViewPaths(context, sys::kHKLM, arp)) {
    std::vector<std::string> cached;
    reg.EnumSubKeys(cached, sys::kHKLM, cache, access);
    for (const std::string& name : cached) {
      if (context.Stopped()) break;
      context.ShowProgress("HKEY_LOCAL_MACHINE\\" + cache + "\\" + name);
      bool listed = false;
      for (const TUninstallItem& item : items)
        if (item.keyName == name) listed = true;
      if (!listed) context.AddProblem(sys::kHKLM, cache + "\\" + name, access, kValueNotUsed, "", "");
    }
  }
}

}  // namespace vl::registry
