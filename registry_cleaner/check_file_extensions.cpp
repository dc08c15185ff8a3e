// Category 3, "File Extensions": extension keys of the classes root and of
// the user's Explorer FileExts list whose one value is the unnamed one, without text.
#include <optional>
#include <string>
#include <vector>

#include "registry_cleaner/check_classes.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/system.h"

namespace vl::registry {

namespace {

struct Pass {
  sys::RegRoot root;
  const char* base;
  const char* label;
};

const Pass kPasses[] = {
    {sys::kHKCR, "", "HKEY_CLASSES_ROOT"},
    {sys::kHKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts",
     "HKEY_CURRENT_USER"},
};

}  // namespace

void CheckFileExtensions(ScanContext& ctx) {
  sys::Registry& reg = ctx.registry();
  const uint32_t mask = ctx.access();
  std::optional<sys::ScopedFsRedirectionOff> redirectionOff;
  if (ctx.wow64()) redirectionOff.emplace(*ctx.platform().system);

  for (const Pass& pass : kPasses) {
    const std::string base = pass.base;
    // The line names the pass, not the extension.
    const std::string item = std::string(pass.label) + "\\" + base;
    std::vector<std::string> names;
    reg.EnumSubKeys(names, pass.root, base, mask);
    for (const std::string& e : names) {
      if (e.empty() || e[0] != '.') continue;
      if (ctx.Stopped()) break;
      const std::string k = base.empty() ? e : base + "\\" + e;
      ctx.ShowProgress(item);
      std::string v = classes::Trim(reg.ReadString(pass.root, k, "", mask));
      if (!v.empty()) continue;
      // A key whose one value is a named one ("Content Type" alone) holds data.
      if (!reg.ValueExistsExact(pass.root, k, "", mask)) continue;
      // Counted by the system, so a second value too large to list still keeps the key.
      classes::KeyContents c = classes::CountKeyContents(reg, pass.root, k, mask);
      if (c.opened && c.subKeys == 0 && c.values == 1)
        ctx.AddProblem(pass.root, k, mask, kNoData, v, "");
    }
  }
}

}  // namespace vl::registry
