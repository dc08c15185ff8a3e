// Category 2, "Empty Registry Keys": keys of the loaded user hives that hold
// neither subkeys nor values, outside the branches the system and common
// programs keep empty keys in on purpose.
#include <string>
#include <vector>

#include "registry_cleaner/check_classes.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

namespace {

constexpr sys::RegRoot kRoot = sys::kHKU;

const std::vector<const char*> kEmptyKeyExclusions = {
    "S-1-5-18", "S-1-5-19", "S-1-5-20", "Printers", "Network", "AppEvents", "Keyboard Layout",
    "Windows 3.1 Migration Status", "Control Panel", "Classes\\MIME", "SYSTEM\\CurrentControlSet",
    "Software\\Microsoft", "Software\\AppDataLow", "Microsoft\\RAS AutoDial",
    "Software\\Policies\\Microsoft", "Software\\Policies\\Power",
    "Software\\Wow6432Node\\Microsoft",
};

// Depth first, in enumeration order: only leaves can be collected.
void Walk(ScanContext& ctx, const std::string& q, std::vector<std::string>& found) {
  if (classes::ContainsAny(q, kEmptyKeyExclusions)) return;
  sys::Registry& reg = ctx.registry();
  std::vector<std::string> names;
  if (reg.EnumSubKeys(names, kRoot, q, ctx.access()) > 0) {
    for (const std::string& name : names) Walk(ctx, q + "\\" + name, found);
    return;
  }
  // A key that cannot be opened, or whose entries do not fit the listing
  // buffers, is not known to be empty.
  classes::KeyContents c = classes::CountKeyContents(reg, kRoot, q, ctx.access());
  if (c.opened && c.subKeys == 0 && c.values == 0) found.push_back(q);
}

}  // namespace

void CheckEmptyKeys(ScanContext& ctx) {
  std::vector<std::string> hives;
  ctx.registry().EnumSubKeys(hives, kRoot, "", ctx.access());
  for (const std::string& u : hives) {
    if (ctx.Stopped()) break;
    ctx.ShowProgress("HKEY_USERS\\" + u);
    // .DEFAULT is the system account's hive (S-1-5-18) by another name.
    if (sys::EqualsNoCase(u, ".DEFAULT")) continue;
    std::vector<std::string> found;
    Walk(ctx, u, found);
    for (const std::string& q : found) ctx.AddProblem(kRoot, q, ctx.access(), kEmptyKey, "", "");
  }
}

}  // namespace vl::registry
