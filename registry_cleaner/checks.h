// The fifteen category checks, in two families: class registrations, file
// types and empty keys (check_classes_*), and references to files, programs
// and history (check_refs_*). Each family dispatches its own categories.
#pragma once
#include "registry_cleaner/scan_context.h"

namespace vl::registry {

// Categories 0, 2, 3 and 6; false for any other category.
bool RunClassesCheck(int category, ScanContext& context);
// Categories 1, 4, 5 and 7 to 14; false for any other category.
bool RunReferencesCheck(int category, ScanContext& context);

}  // namespace vl::registry
