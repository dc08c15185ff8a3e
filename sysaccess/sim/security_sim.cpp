// Simulated file security.
#include "sysaccess/sim/security_sim.h"

#include <algorithm>
#include <cctype>

#include "sysaccess/sys_error.h"

namespace vl::sys {

namespace {

std::string Key(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return std::tolower(c); });
  return path;
}

std::string Parent(const std::string& key) {
  size_t slash = key.rfind('\\');
  if (slash == std::string::npos || key.size() <= 3) return "";
  return slash == 2 ? key.substr(0, 3) : key.substr(0, slash);
}

AccessEntry Entry(const char* sid, uint32_t mask, uint8_t flags) { return AccessEntry{sid, true, mask, flags}; }

}  // namespace

PathSecurity SimSecurity::ProgramFolderDefault() {
  const uint8_t both = kAceObjectInherit | kAceContainerInherit;
  PathSecurity s;
  s.owner = sid::kAdministrators;
  s.entries = {Entry(sid::kSystem, rights::kFullControl, both),
               Entry(sid::kAdministrators, rights::kFullControl, both),
               Entry(sid::kTrustedInstaller, rights::kFullControl, kAceContainerInherit),
               Entry(sid::kUsers, 0x1200A9, both),
               Entry(sid::kCreatorOwner, rights::kGenericAll, both | kAceInheritOnly)};
  return s;
}

void SimSecurity::SetSecurity(const std::string& path, const PathSecurity& security) {
  std::lock_guard<std::mutex> hold(lock_);
  own_[Key(path)] = security;
}

std::vector<std::string> SimSecurity::adminOnlyFolders() {
  std::lock_guard<std::mutex> hold(lock_);
  return made_;
}

std::vector<std::string> SimSecurity::reads() {
  std::lock_guard<std::mutex> hold(lock_);
  return reads_;
}

// What a path without a list of its own gets: the entries its nearest listed
// ancestor passes to files (object inherit) or folders (container inherit).
PathSecurity SimSecurity::Effective(const std::string& key, bool folder) {
  auto it = own_.find(key);
  if (it != own_.end()) return it->second;
  std::string up = Parent(key);
  while (!up.empty() && !own_.count(up)) up = Parent(up);
  if (up.empty()) return ProgramFolderDefault();
  const PathSecurity& from = own_[up];
  PathSecurity s;
  s.owner = sid::kAdministrators;
  for (const AccessEntry& a : from.entries) {
    if (!(a.flags & (folder ? kAceContainerInherit : kAceObjectInherit))) continue;
    AccessEntry b = a;
    // CREATOR OWNER becomes the creator: an administrator's process.
    if (b.sid == sid::kCreatorOwner) b.sid = sid::kAdministrators;
    b.flags = folder ? static_cast<uint8_t>(a.flags & (kAceObjectInherit | kAceContainerInherit)) : 0;
    s.entries.push_back(b);
  }
  return s;
}

uint32_t SimSecurity::CreateAdminOnlyFolder(const std::string& path) {
  if (files_.DirectoryExists(path) || files_.FileExists(path)) return err::kAlreadyExists;
  if (!files_.CreateFolder(path)) return err::kPathNotFound;
  const uint8_t both = kAceObjectInherit | kAceContainerInherit;
  PathSecurity s;
  s.owner = sid::kAdministrators;
  s.protectedDacl = true;
  s.entries = {Entry(sid::kSystem, rights::kFullControl, both), Entry(sid::kAdministrators, rights::kFullControl, both)};
  std::lock_guard<std::mutex> hold(lock_);
  own_[Key(path)] = s;
  made_.push_back(path);
  return 0;
}

uint32_t SimSecurity::ReadSecurity(const std::string& path, PathSecurity& out) {
  const bool folder = files_.DirectoryExists(path);
  if (!folder && !files_.FileExists(path)) return err::kFileNotFound;
  std::lock_guard<std::mutex> hold(lock_);
  reads_.push_back(path);
  out = Effective(Key(path), folder);
  return 0;
}

uint32_t SimSecurity::CheckUnelevatedAccess(const std::string& path, UnelevatedAccess& out) {
  out = {};
  if (!linkedToken_) return 0;
  out.hasToken = true;
  PathSecurity s;
  if (uint32_t e = ReadSecurity(path, s)) return e;
  // The filtered token: the user and the groups every interactive user has;
  // Administrators is there for deny entries only.
  const std::set<std::string> groups = {userSid_, sid::kEveryone, sid::kUsers, sid::kAuthenticatedUsers,
                                        sid::kInteractive};
  uint32_t granted = 0, denied = 0;
  bool ownerRights = false;
  for (const AccessEntry& a : s.entries) {
    if (a.sid == sid::kOwnerRights) ownerRights = true;
    if (a.inheritOnly()) continue;
    const bool applies = groups.count(a.sid) || (a.sid == sid::kOwnerRights && groups.count(s.owner));
    if (!applies) continue;
    const uint32_t mask = rights::MapGeneric(a.mask);
    if (a.allow)
      granted |= mask & ~denied;
    else
      denied |= mask & ~granted;
  }
  if (!ownerRights && groups.count(s.owner)) granted |= rights::kReadControl | rights::kWriteDac;
  out.granted = granted;
  return 0;
}

std::string SimSecurity::AccountName(const std::string& s) {
  static const std::map<std::string, std::string> names = {
      {sid::kSystem, "SYSTEM"},
      {sid::kAdministrators, "Administrators"},
      {sid::kUsers, "Users"},
      {sid::kEveryone, "Everyone"},
      {sid::kAuthenticatedUsers, "Authenticated Users"},
      {sid::kInteractive, "INTERACTIVE"},
      {sid::kCreatorOwner, "CREATOR OWNER"},
      {sid::kOwnerRights, "OWNER RIGHTS"},
      {sid::kTrustedInstaller, "TrustedInstaller"}};
  if (s == userSid_) return "PC\\Tester";
  auto it = names.find(s);
  return it == names.end() ? s : it->second;
}

}  // namespace vl::sys
