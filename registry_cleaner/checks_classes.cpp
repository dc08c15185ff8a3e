// Dispatch of the class, file type and empty key checks.
#include "registry_cleaner/checks.h"

namespace vl::registry {

bool RunClassesCheck(int category, ScanContext& context) {
  switch (category) {
    default:
      return false;
  }
}

}  // namespace vl::registry
