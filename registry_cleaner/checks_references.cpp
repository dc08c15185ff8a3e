// Dispatch of the checks of references to files, programs and history.
#include "registry_cleaner/checks.h"

namespace vl::registry {

bool RunReferencesCheck(int category, ScanContext& context) {
  switch (category) {
    default:
      return false;
  }
}

}  // namespace vl::registry
