// Machine policy for fleets: HKLM\SOFTWARE\Policies\Vantorel.
#pragma once
#include "sysaccess/registry.h"

namespace vl::cli {

inline constexpr char kPolicyKey[] = "SOFTWARE\\Policies\\Vantorel";

// False when the policy value AutoUpdate is the DWORD 0: the automatic
// update check stays off whatever Settings.ini says.
bool AutoUpdateAllowed(sys::RegistryApi& registry);

}  // namespace vl::cli
