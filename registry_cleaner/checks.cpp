// RunCategoryCheck: picks the check of a category.
#include "registry_cleaner/checks.h"

namespace vl::registry {

void RunCategoryCheck(int category, ScanContext& context) {
  if (!RunClassesCheck(category, context)) RunReferencesCheck(category, context);
}

}  // namespace vl::registry
