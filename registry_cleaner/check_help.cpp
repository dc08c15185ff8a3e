// Category 5: help file registrations (name = file, data = its folder) whose
// file is gone.
#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

using namespace refs;

void CheckHelp(ScanContext& context) {
  const uint32_t access = context.access();
  sys::Registry& reg = context.registry();
  RedirectionOff off(context);
  for (const char* help : {"SOFTWARE\\Microsoft\\Windows\\Help", "SOFTWARE\\Microsoft\\Windows\\Html Help"}) {
    for (const std::string& key : ViewPaths(context, sys::kHKLM, help)) {
      if (context.Stopped()) break;
      std::vector<std::string> names;
      reg.EnumValueNamesExact(names, sys::kHKLM, key, access);
      for (const std::string& exact : names) {
        if (context.Stopped()) break;
        const std::string name = sys::ShownValueName(exact);
        context.ShowProgress("HKEY_LOCAL_MACHINE\\" + key + "\\" + name);
        const std::string value = Trim(reg.ReadStringExact(sys::kHKLM, key, exact, access));
        const std::string folder = WithBackslash(PathOf(context, value));
        if (!context.FileExistsWow64(folder + name, 1))
          context.AddProblem(sys::kHKLM, key, access, kInvalidPath, value, name, exact.empty());
      }
    }
  }
}

}  // namespace vl::registry
