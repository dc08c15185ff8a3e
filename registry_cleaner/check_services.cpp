// Category 13: services and drivers whose image file is gone.
#include <vector>

#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"
#include "sysaccess/text.h"

namespace vl::registry {

using namespace refs;

void CheckServices(ScanContext& context) {
  const std::string base = "SYSTEM\\ControlSet001\\Services";
  const uint32_t access = context.access();
  sys::Registry& reg = context.registry();
  RedirectionOff off(context);
  std::vector<std::string> services;
  reg.EnumSubKeys(services, sys::kHKLM, base, access);
  for (const std::string& service : services) {
    if (context.Stopped()) break;
    context.ShowProgress("HKEY_LOCAL_MACHINE\\" + base + "\\" + service);
    const std::string key = base + "\\" + service;
    if (!reg.ValueExists(sys::kHKLM, key, "ImagePath", access)) continue;
    const std::string value = Trim(reg.ReadString(sys::kHKLM, key, "ImagePath", access));
    std::string path = sys::ToLowerText(PathOf(context, value));
    if (!path.empty() && !HasExtension(path)) path += ".exe";
    // Shared service hosts named without ".exe" keep their arguments in the path.
    if (path.find("\\svchost ") != std::string::npos) continue;
    if (!path.empty() && !context.FileExistsWow64(path, 1))
      context.AddProblem(sys::kHKLM, key, access, kInvalidImagePath, value, "ImagePath");
  }
}

}  // namespace vl::registry
