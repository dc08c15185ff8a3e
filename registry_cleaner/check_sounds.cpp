// Category 10: sound events whose sound file is gone.
#include <vector>

#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

using namespace refs;

namespace {

// One invalid sound entry.
struct TREGISTRY_ITEM {
  uint32_t root = 0;
  std::string keyPath;
  std::string valueName;  // always empty: the sound is the default value
  std::string data;
};

// Depth first; only keys without subkeys hold a sound.
void Collect(ScanContext& context, const std::string& key, std::vector<TREGISTRY_ITEM>& found) {
  const uint32_t access = context.access();
  sys::Registry& reg = context.registry();
  std::vector<std::string> subKeys;
  if (reg.EnumSubKeys(subKeys, sys::kHKCU, key, access) > 0) {
    for (const std::string& sub : subKeys) Collect(context, key + "\\" + sub, found);
    return;
  }
  const std::string value = Trim(reg.ReadString(sys::kHKCU, key, "(default)", access));
  const std::string path = PathOf(context, value);
  if (!path.empty() && !context.FileExistsWow64(path, 1))
    found.push_back({sys::kHKCU, key, "", value});
}

}  // namespace

void CheckSounds(ScanContext& context) {
  const std::string base = "AppEvents\\Schemes\\Apps";
  const uint32_t access = context.access();
  RedirectionOff off(context);
  std::vector<std::string> apps;
  context.registry().EnumSubKeys(apps, sys::kHKCU, base, access);
  for (const std::string& app : apps) {
    if (context.Stopped()) break;
    const std::string key = base + "\\" + app;
    context.ShowProgress("HKEY_CURRENT_USER\\" + key);
    std::vector<TREGISTRY_ITEM> found;
    Collect(context, key, found);
    for (const TREGISTRY_ITEM& item : found)
      context.AddProblem(item.root, item.keyPath, access, kInvalidPath, item.data, item.valueName);
  }
}

}  // namespace vl::registry
