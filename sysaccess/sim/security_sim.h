// Simulated file security for native tests: owners and access lists per
// path (a path without its own list gets what its nearest listed ancestor
// passes down, or the administrators-only default of a program folder), the
// user's account and its linked unelevated token, and the access check of
// that token. Test use only.
#pragma once
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sysaccess/files.h"
#include "sysaccess/security.h"

namespace vl::sys {

class SimSecurity : public Security {
 public:
  static constexpr char kUserSidDefault[] = "S-1-5-21-1004336348-1177238915-682003330-1001";

  explicit SimSecurity(FileSystem& files) : files_(files) {}

  // Gives `path` its own owner and access list.
  void SetSecurity(const std::string& path, const PathSecurity& security);
  // What an administrator's process makes: owner Administrators, SYSTEM and
  // Administrators full control, Users read, CREATOR OWNER full control
  // for what is made below.
  static PathSecurity ProgramFolderDefault();
  // UAC on (the default): the user's processes run with a linked limited
  // token; off: none.
  void SetLinkedToken(bool present) { linkedToken_ = present; }
  void SetUserSid(const std::string& sid) { userSid_ = sid; }
  // Behave as Wine does: the user's own account says nothing.
  void SetUserAccountUnreliable(bool on) { unreliable_ = on; }
  // Paths that CreateAdminOnlyFolder made.
  std::vector<std::string> adminOnlyFolders();
  // Paths whose security was read, in order (tests prove the check ran).
  std::vector<std::string> reads();

  uint32_t CreateAdminOnlyFolder(const std::string& path) override;
  uint32_t ReadSecurity(const std::string& path, PathSecurity& out) override;
  uint32_t CheckUnelevatedAccess(const std::string& path, UnelevatedAccess& out) override;
  std::string UserSid() override { return userSid_; }
  std::string AccountName(const std::string& sid) override;
  bool UserAccountUnreliable() override { return unreliable_; }

 private:
  PathSecurity Effective(const std::string& key, bool folder);

  FileSystem& files_;
  std::mutex lock_;
  std::map<std::string, PathSecurity> own_;  // by normalised path
  std::vector<std::string> made_, reads_;
  std::string userSid_ = kUserSidDefault;
  bool linkedToken_ = true;
  bool unreliable_ = false;
};

}  // namespace vl::sys
