// Category 9: shared DLL usage counters (value name = the file) whose file
// is gone.
#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

void CheckSharedDlls(ScanContext& context) {
  const std::string dlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
  const uint32_t access = context.access();
  refs::RedirectionOff off(context);
  for (const std::string& key : ViewPaths(context, sys::kHKLM, dlls)) {
    std::vector<std::string> names;
    context.registry().EnumValueNamesExact(names, sys::kHKLM, key, access);
    for (const std::string& exact : names) {
      if (context.Stopped()) break;
      const std::string name = sys::ShownValueName(exact);
      context.ShowProgress("HKEY_LOCAL_MACHINE\\" + key + "\\" + name);
      if (!context.FileExistsWow64(name, 1))
        context.AddProblem(sys::kHKLM, key, access, kInvalidPath, name, name, exact.empty());
    }
  }
}

}  // namespace vl::registry
