// RunCategoryCheck: picks the check of a category; ViewPaths: the keys of both views.
#include "registry_cleaner/checks.h"

namespace vl::registry {

std::vector<std::string> ViewPaths(const ScanContext& context, sys::RegRoot root, const std::string& key) {
  std::vector<std::string> paths{key};
  if (!context.bitness().windows64) return paths;
  std::string path32 = sys::Wow64Path32(root, key);
  if (!path32.empty()) paths.push_back(std::move(path32));
  return paths;
}

void RunCategoryCheck(int category, ScanContext& context) {
  if (!RunClassesCheck(category, context)) RunReferencesCheck(category, context);
}

}  // namespace vl::registry
