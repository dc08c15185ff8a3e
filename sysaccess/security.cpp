// Who may change a path: the rule over what the backend read.
#include "sysaccess/security.h"

#include <algorithm>

#include "sysaccess/sys_error.h"

namespace vl::sys {

uint32_t rights::MapGeneric(uint32_t mask) {
  // The file object's generic mapping: write is data, append, attributes and
  // extended attributes; all is full control.
  if (mask & kGenericAll) mask |= kFullControl;
  if (mask & kGenericWrite) mask |= 0x120116;
  return mask & ~(kGenericAll | kGenericWrite | 0x80000000u | 0x20000000u);
}

namespace {
bool Administrative(const std::string& s) {
  return s == sid::kSystem || s == sid::kAdministrators || s == sid::kTrustedInstaller;
}
}  // namespace

std::vector<std::string> OthersWhoMayChange(Security& security, const std::string& path, bool* unreadable) {
  *unreadable = false;
  PathSecurity ps;
  const uint32_t e = security.ReadSecurity(path, ps);
  if (e == err::kFileNotFound || e == err::kPathNotFound) return {};
  if (e != 0) {
    *unreadable = true;
    return {};
  }
  const std::string user = security.UserSid();
  std::vector<std::string> others;
  bool userNamed = false;
  auto consider = [&](const std::string& who) {
    if (who.empty() || Administrative(who)) return;
    if (who == user) {
      userNamed = true;
      return;
    }
    if (std::find(others.begin(), others.end(), who) == others.end()) others.push_back(who);
  };
  if (ps.nullDacl) consider(sid::kEveryone);
  bool ownerRights = false;
  for (const AccessEntry& a : ps.entries) {
    if (a.sid == sid::kOwnerRights) ownerRights = true;
    // Deny entries are left out: a right counts as given wherever an entry
    // gives it (stricter than the system, never looser).
    if (!a.allow || (rights::MapGeneric(a.mask) & rights::kChange) == 0) continue;
    // CREATOR OWNER only passes to what administrators create below.
    if (a.sid == sid::kCreatorOwner && a.inheritOnly()) continue;
    consider(a.sid == sid::kOwnerRights ? ps.owner : a.sid);
  }
  // The owner may always change the access list, unless OWNER RIGHTS says
  // otherwise.
  if (!ownerRights) consider(ps.owner);

  std::vector<std::string> names;
  for (const std::string& s : others) names.push_back(security.AccountName(s));
  if (userNamed && !security.UserAccountUnreliable()) {
    UnelevatedAccess ua;
    if (security.CheckUnelevatedAccess(path, ua) != 0)
      *unreadable = true;
    else if (ua.hasToken && (ua.granted & rights::kChange) != 0)
      names.push_back(security.AccountName(user) + " without administrator rights");
  }
  return names;
}

}  // namespace vl::sys
