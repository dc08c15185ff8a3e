// The guard is the named object's existence: whoever created it holds it
// until its handle closes, so no thread ownership is involved.
#include "programs/cli/job_guard.h"

namespace vl::cli {

bool JobGuard::Take() {
  if (held_) return true;
  std::unique_ptr<sys::NamedMutex> mutex;
  bool existed = false;
  if (processes_.CreateNamedMutex(kJobGuardName, mutex, existed) != 0 || existed) return false;
  held_ = std::move(mutex);
  return true;
}

}  // namespace vl::cli
