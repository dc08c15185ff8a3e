// Category 8: the most-recently-used lists of the file dialogs and the Run
// box; every value is history and is reported as such.
#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

void CheckMru(ScanContext& context) {
  const uint32_t access = context.access();
  sys::Registry& reg = context.registry();
  for (const char* key : {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU"}) {
    std::vector<std::string> names;
    reg.EnumValueNamesExact(names, sys::kHKCU, key, access);
    for (const std::string& exact : names) {
      if (context.Stopped()) break;
      const std::string name = sys::ShownValueName(exact);
      const std::string value = refs::Trim(reg.ReadStringExact(sys::kHKCU, key, exact, access));
      context.ShowProgress(std::string("HKEY_CURRENT_USER\\") + key + "\\" + name);
      context.AddProblem(sys::kHKCU, key, access, kHistory, value, name, exact.empty());
    }
  }
}

}  // namespace vl::registry
