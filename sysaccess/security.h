// File security: folders only administrators can change, and who may change
// a file or folder. The backend reads owners and access lists (and asks the
// user's unelevated token); the verdict on what it read is portable
// (OthersWhoMayChange), so the rule is the same on every backend.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vl::sys {

// Well-known accounts, as SID strings.
namespace sid {
inline constexpr char kSystem[] = "S-1-5-18";
inline constexpr char kAdministrators[] = "S-1-5-32-544";
inline constexpr char kUsers[] = "S-1-5-32-545";
inline constexpr char kEveryone[] = "S-1-1-0";
inline constexpr char kAuthenticatedUsers[] = "S-1-5-11";
inline constexpr char kInteractive[] = "S-1-5-4";
inline constexpr char kCreatorOwner[] = "S-1-3-0";
inline constexpr char kOwnerRights[] = "S-1-3-4";
inline constexpr char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
}  // namespace sid

// Access bits of a file or folder (the Windows values).
namespace rights {
inline constexpr uint32_t kWriteData = 0x2;       // add a file, for a folder
inline constexpr uint32_t kAppendData = 0x4;      // add a subfolder, for a folder
inline constexpr uint32_t kDeleteChild = 0x40;
inline constexpr uint32_t kDelete = 0x10000;
inline constexpr uint32_t kReadControl = 0x20000;
inline constexpr uint32_t kWriteDac = 0x40000;
inline constexpr uint32_t kWriteOwner = 0x80000;
inline constexpr uint32_t kGenericAll = 0x10000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;
inline constexpr uint32_t kFullControl = 0x1F01FF;
// Rights that let their holder change what a path holds or who may.
inline constexpr uint32_t kChange = kWriteData | kAppendData | kDeleteChild | kDelete | kWriteDac | kWriteOwner;
// `mask` with generic bits mapped to the file rights they stand for.
uint32_t MapGeneric(uint32_t mask);
}  // namespace rights

// ACE flags (the Windows values).
inline constexpr uint8_t kAceObjectInherit = 0x1;
inline constexpr uint8_t kAceContainerInherit = 0x2;
inline constexpr uint8_t kAceInheritOnly = 0x8;

struct AccessEntry {
  std::string sid;
  bool allow = true;  // false: a deny entry
  uint32_t mask = 0;
  uint8_t flags = 0;
  bool inheritOnly() const { return (flags & kAceInheritOnly) != 0; }
};

struct PathSecurity {
  std::string owner;  // SID string
  bool nullDacl = false;  // no access list: everyone may do everything
  bool protectedDacl = false;  // nothing inherited from the parent
  std::vector<AccessEntry> entries;  // in order
};

// What the user's unelevated token may do to a path.
struct UnelevatedAccess {
  bool hasToken = false;  // false: the system keeps none (UAC off)
  uint32_t granted = 0;   // rights granted, generic bits mapped
};

class Security {
 public:
  virtual ~Security() = default;
  // Creates folder `path` whose access list grants SYSTEM and Administrators
  // full control, inherited by everything made below it, and nothing
  // inherited from above. kAlreadyExists when it exists (left unchanged).
  virtual uint32_t CreateAdminOnlyFolder(const std::string& path) = 0;
  // Owner and access list of an existing path; kFileNotFound/kPathNotFound
  // when there is none.
  virtual uint32_t ReadSecurity(const std::string& path, PathSecurity& out) = 0;
  // What the user's unelevated token would be granted on path; 0 or the
  // system error.
  virtual uint32_t CheckUnelevatedAccess(const std::string& path, UnelevatedAccess& out) = 0;
  // The SID of the account the process runs as.
  virtual std::string UserSid() = 0;
  // An account's name for messages ("Users", "PC\\bob"); the SID when unknown.
  virtual std::string AccountName(const std::string& sid) = 0;
  // Under Wine, which keeps no file security and grants the limited linked
  // token everything: the user's own account then says nothing.
  virtual bool UserAccountUnreliable() = 0;
};

// Who besides SYSTEM, Administrators and TrustedInstaller (and CREATOR OWNER
// in entries that only pass to children) may change `path`: account names,
// each once. The user's own account counts only while its unelevated token
// would get such a right. A path that does not exist gives nobody; one
// whose security cannot be read gives `*unreadable` = true.
std::vector<std::string> OthersWhoMayChange(Security& security, const std::string& path, bool* unreadable);

}  // namespace vl::sys
