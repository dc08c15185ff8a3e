// Category 12: programs started with Windows (the Run keys of the machine, in
// both views on 64-bit Windows, and of the user) whose program is gone.
#include <vector>

#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

using namespace refs;

void CheckStartup(ScanContext& context) {
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const uint32_t access = context.access();
  sys::Registry& reg = context.registry();
  RedirectionOff off(context);
  for (sys::RegRoot root : {sys::kHKLM, sys::kHKCU}) {
    for (const std::string& key : ViewPaths(context, root, run)) {
      if (context.Stopped()) break;
      std::vector<std::string> names;
      reg.EnumValueNamesExact(names, root, key, access);
      for (const std::string& exact : names) {
        if (context.Stopped()) break;
        const std::string name = sys::ShownValueName(exact);
        context.ShowProgress(sys::RootLongName(root) + "\\" + key + "\\" + name);
        const std::string value = Trim(reg.ReadStringExact(root, key, exact, access));
        const std::string path = PathOf(context, value);
        if (path.empty() || !context.FileExistsWow64(path, 1))
          context.AddProblem(root, key, access, kInvalidPath, value, name, exact.empty());
      }
    }
  }
}

}  // namespace vl::registry
