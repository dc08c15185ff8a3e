// Category 4: font registrations whose font file is gone.
#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/shell_folders.h"

namespace vl::registry {

using namespace refs;

void CheckFonts(ScanContext& context) {
  const std::string key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  const uint32_t access = context.access();
  sys::Registry& reg = context.registry();
  RedirectionOff off(context);
  const std::string fonts = sys::SpecialFolderPath(*context.platform().shell, 14);
  std::vector<std::string> names;
  reg.EnumValueNamesExact(names, sys::kHKLM, key, access);
  for (const std::string& exact : names) {
    if (context.Stopped()) break;
    const std::string name = sys::ShownValueName(exact);
    context.ShowProgress("HKEY_LOCAL_MACHINE\\" + key + "\\" + name);
    const std::string value = Trim(reg.ReadStringExact(sys::kHKLM, key, exact, access));
    bool invalid;
    if (value.rfind("\\??\\", 0) == 0) {
      // An object-manager path ("\??\C:\..."): its drive path is tested;
      // any other device (Wine's "\??\unix\...") is beyond our reach, and a
      // registration we cannot test is not reported.
      const std::string dos = value.substr(4);
      invalid = IsDrivePath(dos) && !context.FileExistsWow64(PathOf(context, dos), 1);
    } else if (!IsDrivePath(value))  // a bare file name lives in the fonts folder
      invalid = value.empty() || !context.FileExistsWow64(fonts + value, 1);
    else
      invalid = !context.FileExistsWow64(PathOf(context, value), 1);
    if (invalid) context.AddProblem(sys::kHKLM, key, access, kInvalidPath, value, name, exact.empty());
  }
}

}  // namespace vl::registry
