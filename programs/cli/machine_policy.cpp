// Policies are read from the 64-bit view, where the administrative tools
// write them, whatever the bitness of the process.
#include "programs/cli/machine_policy.h"

namespace vl::cli {

bool AutoUpdateAllowed(sys::RegistryApi& registry) {
  constexpr uint32_t kKeyRead = 0x20019u;
  sys::RegKey key = 0;
  if (registry.OpenKey(sys::kHKLM, kPolicyKey, kKeyRead | sys::kWow64Key64, &key) != sys::kErrSuccess) return true;
  sys::RegData data;
  const long rc = registry.QueryValue(key, "AutoUpdate", 4, &data);
  registry.CloseKey(key);
  if (rc != sys::kErrSuccess || data.type != sys::kRegDword || data.bytes.size() != 4) return true;
  return data.bytes != std::string(4, '\0');
}

}  // namespace vl::cli
