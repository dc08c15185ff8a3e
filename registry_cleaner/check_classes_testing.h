// Test helpers of the class, file type and empty key checks: one line per
// filed problem, so that a whole run compares in order at a glance.
#pragma once
#include <string>
#include <vector>

#include "registry_cleaner/scan_types.h"
#include "sysaccess/registry.h"

namespace vl::registry::testing {

// "HKCR\key [value] = data #code"
inline std::string Describe(const TScanRegistry& p) {
  return sys::RootShortName(p.root) + "\\" + p.keyPath + " [" + p.valueName + "] = " + p.data +
         " #" + std::to_string(p.code);
}

inline std::vector<std::string> Describe(const std::vector<TScanRegistry>& problems) {
  std::vector<std::string> out;
  for (const auto& p : problems) out.push_back(Describe(p));
  return out;
}

}  // namespace vl::registry::testing
