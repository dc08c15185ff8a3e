// File security on advapi32: protected folders, owners and access lists, and
// the access check of the user's unelevated (linked) token.
#pragma once
#include "sysaccess/security.h"

namespace vl::sys {

class Win32Security : public Security {
 public:
  uint32_t CreateAdminOnlyFolder(const std::string& path) override;
  uint32_t ReadSecurity(const std::string& path, PathSecurity& out) override;
  uint32_t CheckUnelevatedAccess(const std::string& path, UnelevatedAccess& out) override;
  std::string UserSid() override;
  std::string AccountName(const std::string& sid) override;
  bool UserAccountUnreliable() override;
};

}  // namespace vl::sys
