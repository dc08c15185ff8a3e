// The machine-wide job guard: one Vantorel job at a time on the machine,
// whether the window or the command line runs it, in any session.
#pragma once
#include <memory>
#include <string>

#include "sysaccess/processes.h"

namespace vl::cli {

// In Global\ so that a scheduled task running as SYSTEM and a user's
// window meet at the same name.
inline constexpr char kJobGuardName[] = "Global\\VantorelJob";

// What the window and the command line say when the guard is taken.
inline constexpr char kJobGuardBusy[] =
    "Another Vantorel is running a job (the window or a command line on this computer). "
    "Try again when it has finished.";

class JobGuard {
 public:
  explicit JobGuard(sys::Processes& processes) : processes_(processes) {}
  // Takes the guard; false when another process holds it (or the system
  // refuses its object, as it does to a user while SYSTEM holds it).
  bool Take();
  void Release() { held_.reset(); }
  bool held() const { return held_ != nullptr; }

 private:
  sys::Processes& processes_;
  std::unique_ptr<sys::NamedMutex> held_;
};

}  // namespace vl::cli
