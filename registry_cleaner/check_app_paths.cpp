// Category 1: App Paths entries whose program (or folder) is gone.
#include "registry_cleaner/check_references.h"
#include "registry_cleaner/check_refs_common.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

using namespace refs;

void CheckAppPaths(ScanContext& context) {
  const std::string base = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
  const uint32_t access = context.access();
  sys::Registry& reg = context.registry();
  RedirectionOff off(context);
  // One key for both views on Windows 7 and later (Wow64Path32 gives none).
  std::vector<std::string> apps;
  reg.EnumSubKeys(apps, sys::kHKLM, base, access);
  for (const std::string& app : apps) {
    if (context.Stopped()) break;
    const std::string key = base + "\\" + app;
    context.ShowProgress("HKEY_LOCAL_MACHINE\\" + key);
    const std::string value = Trim(reg.ReadString(sys::kHKLM, key, "(default)", access));
    const std::string exe = PathOf(context, value);
    const std::string folder =
        WithBackslash(PathOf(context, Trim(reg.ReadString(sys::kHKLM, key, "Path", access))));
    bool invalid;
    if (IsDrivePath(exe))
      // Some entries name a folder rather than a program.
      invalid = !context.FileExistsWow64(exe, 1) && !FolderExists(context, exe);
    else if (exe.empty())
      invalid = !FolderExists(context, folder);
    else
      invalid = !context.FileExistsWow64(folder + exe, 1);
    if (invalid) context.AddProblem(sys::kHKLM, key, access, kInvalidPath, value, "");
  }
}

}  // namespace vl::registry
