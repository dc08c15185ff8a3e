// File security on both backends: an administrators-only folder is made
// protected and passes the check; owners and access lists read back; Wine's
// report of an ordinary folder passes as well.
#include <gtest/gtest.h>

#include <cstdio>

#include "sysaccess/security.h"
#include "sysaccess/sys_error.h"
#include "sysaccess/test_env.h"

namespace vl::sys {
namespace {

class SecurityContract : public ContractTest {
 protected:
  Security& sec() { return *p().security; }
};

TEST_F(SecurityContract, AnAdministratorsOnlyFolderIsMadeOnceAndNobodyElseMayChangeIt) {
  ASSERT_NE(p().security, nullptr);
  const std::string folder = folder_ + "\\admins";
  ASSERT_EQ(sec().CreateAdminOnlyFolder(folder), 0u);
  EXPECT_TRUE(fs().DirectoryExists(folder));
  EXPECT_EQ(sec().CreateAdminOnlyFolder(folder), err::kAlreadyExists);
  PathSecurity s;
  ASSERT_EQ(sec().ReadSecurity(folder, s), 0u);
  bool unreadable = true;
  EXPECT_TRUE(OthersWhoMayChange(sec(), folder, &unreadable).empty());
  EXPECT_FALSE(unreadable);
  // The elevated program writes into it as before.
  EXPECT_TRUE(fs().WriteFileBytes(folder + "\\a.reg", "x"));
  EXPECT_TRUE(OthersWhoMayChange(sec(), folder + "\\a.reg", &unreadable).empty());
  EXPECT_FALSE(unreadable);
}

TEST_F(SecurityContract, OwnerAndEntriesOfAFolderReadBack) {
  PathSecurity s;
  ASSERT_EQ(sec().ReadSecurity(folder_, s), 0u);
  EXPECT_EQ(s.owner.rfind("S-1-", 0), 0u) << s.owner;
  EXPECT_FALSE(s.entries.empty());
  for (const AccessEntry& a : s.entries) {
    EXPECT_EQ(a.sid.rfind("S-1-", 0), 0u) << a.sid;
    std::printf("  %s %s 0x%08x flags 0x%02x\n", a.allow ? "allow" : "deny", a.sid.c_str(),
                static_cast<unsigned>(a.mask), a.flags);
  }
  const uint32_t missing = sec().ReadSecurity(folder_ + "\\none", s);
  EXPECT_TRUE(missing == err::kFileNotFound || missing == err::kPathNotFound) << missing;
  bool unreadable = true;
  EXPECT_TRUE(OthersWhoMayChange(sec(), folder_ + "\\none", &unreadable).empty());
  EXPECT_FALSE(unreadable);
}

TEST_F(SecurityContract, TheUsersAccountAndWellKnownGroupsHaveNames) {
  EXPECT_EQ(sec().UserSid().rfind("S-1-5-", 0), 0u) << sec().UserSid();
  EXPECT_EQ(sec().AccountName(sid::kUsers), "Users");
  EXPECT_EQ(sec().AccountName(sid::kEveryone), "Everyone");
  EXPECT_EQ(sec().AccountName("S-1-5-21-1-2-3-999999"), "S-1-5-21-1-2-3-999999");
}

TEST_F(SecurityContract, TheUnelevatedTokenIsAskedWithoutError) {
  UnelevatedAccess ua;
  EXPECT_EQ(sec().CheckUnelevatedAccess(folder_, ua), 0u);
  std::printf("  linked token %s, granted 0x%08x\n", ua.hasToken ? "yes" : "no", static_cast<unsigned>(ua.granted));
}

// The check of every start passes on what this machine reports for an
// ordinary folder of the user: under Wine always (it reports the same list
// for every file); natively the simulated default.
TEST_F(SecurityContract, AnOrdinaryFolderPassesWhereTheUsersAccountSaysNothing) {
  if (env_->real() && !sec().UserAccountUnreliable()) GTEST_SKIP() << "real Windows: the user's own folder";
  bool unreadable = true;
  EXPECT_TRUE(OthersWhoMayChange(sec(), folder_, &unreadable).empty());
  EXPECT_FALSE(unreadable);
  ASSERT_TRUE(fs().WriteFileBytes(folder_ + "\\Settings.ini", "[Basic]\r\n"));
  EXPECT_TRUE(OthersWhoMayChange(sec(), folder_ + "\\Settings.ini", &unreadable).empty());
  EXPECT_FALSE(unreadable);
}

}  // namespace
}  // namespace vl::sys
