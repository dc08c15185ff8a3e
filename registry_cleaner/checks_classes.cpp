// Dispatch of the class, file type and empty key checks.
#include "registry_cleaner/check_classes.h"
#include "registry_cleaner/checks.h"
#include "registry_cleaner/scan_types.h"

namespace vl::registry {

bool RunClassesCheck(int category, ScanContext& context) {
  switch (category) {
    case kActiveX: CheckActiveX(context); return true;
    case kEmptyKeys: CheckEmptyKeys(context); return true;
    case kFileExtensions: CheckFileExtensions(context); return true;
    case kFileAssociations: CheckFileAssociations(context); return true;
    default:
      return false;
  }
}

}  // namespace vl::registry
