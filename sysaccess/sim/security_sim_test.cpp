// The rule of who may change a path, over the simulated access lists.
#include <gtest/gtest.h>

#include "sysaccess/security.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::sys {
namespace {

const uint8_t kBoth = kAceObjectInherit | kAceContainerInherit;

class SecurityRule : public ::testing::Test {
 protected:
  SecurityRule() { sim.files().CreateFolder(kDir); }
  std::vector<std::string> Who(const std::string& path = kDir) {
    bool unreadable = true;
    std::vector<std::string> who = OthersWhoMayChange(sim.security(), path, &unreadable);
    EXPECT_FALSE(unreadable);
    return who;
  }
  void Give(AccessEntry e, const std::string& owner = sid::kAdministrators) {
    PathSecurity s = SimSecurity::ProgramFolderDefault();
    s.owner = owner;
    s.entries.push_back(e);
    sim.security().SetSecurity(kDir, s);
  }
  static constexpr char kDir[] = "C:\\Tool";
  const std::string me = SimSecurity::kUserSidDefault;
  SimPlatform sim;
};

using Names = std::vector<std::string>;

TEST_F(SecurityRule, TheProgramFolderDefaultLetsOnlyAdministratorsChange) { EXPECT_EQ(Who(), Names{}); }

TEST_F(SecurityRule, EachChangeRightOfAGroupCounts) {
  for (uint32_t right : {rights::kWriteData, rights::kAppendData, rights::kDeleteChild, rights::kDelete,
                         rights::kWriteDac, rights::kWriteOwner, rights::kGenericWrite, rights::kGenericAll}) {
    Give({sid::kUsers, true, right, 0});
    EXPECT_EQ(Who(), Names{"Users"}) << std::hex << right;
  }
  // Reading, running and the attributes change nothing that is trusted.
  Give({sid::kUsers, true, 0x1200A9 | 0x100 | 0x10, kBoth});
  EXPECT_EQ(Who(), Names{});
}

TEST_F(SecurityRule, GroupsAndOtherAccountsAreNamedOnce) {
  PathSecurity s = SimSecurity::ProgramFolderDefault();
  s.entries.push_back({sid::kEveryone, true, rights::kDeleteChild, 0});
  s.entries.push_back({sid::kAuthenticatedUsers, true, rights::kFullControl, kBoth | kAceInheritOnly});
  s.entries.push_back({sid::kEveryone, true, rights::kWriteData, 0});
  sim.security().SetSecurity(kDir, s);
  // Entries that only pass to children count too: they are what new files get.
  EXPECT_EQ(Who(), (Names{"Everyone", "Authenticated Users"}));
}

TEST_F(SecurityRule, CreatorOwnerCountsOnlyWhereItAppliesToThePathItself) {
  Give({sid::kCreatorOwner, true, rights::kGenericAll, kBoth | kAceInheritOnly});
  EXPECT_EQ(Who(), Names{});
  Give({sid::kCreatorOwner, true, rights::kGenericAll, kBoth});
  EXPECT_EQ(Who(), Names{"CREATOR OWNER"});
}

TEST_F(SecurityRule, SystemAdministratorsAndTrustedInstallerMayChange) {
  Give({sid::kTrustedInstaller, true, rights::kFullControl, kBoth}, sid::kTrustedInstaller);
  EXPECT_EQ(Who(), Names{});
  Give({sid::kSystem, true, rights::kFullControl, 0}, sid::kSystem);
  EXPECT_EQ(Who(), Names{});
}

TEST_F(SecurityRule, AnotherOwnerMayChangeTheListUnlessOwnerRightsSayOtherwise) {
  const std::string bob = "S-1-5-21-1004336348-1177238915-682003330-1002";
  Give({sid::kUsers, true, 0x1200A9, 0}, bob);
  EXPECT_EQ(Who(), Names{bob});
  Give({sid::kOwnerRights, true, 0x1200A9, 0}, bob);
  EXPECT_EQ(Who(), Names{});
  Give({sid::kOwnerRights, true, rights::kWriteData, 0}, bob);
  EXPECT_EQ(Who(), Names{bob});
}

TEST_F(SecurityRule, TheUsersAccountCountsWhileItsUnelevatedTokenWouldWrite) {
  Give({me, true, rights::kFullControl, kBoth});
  EXPECT_EQ(Who(), Names{"PC\\Tester without administrator rights"});
  // Owning the folder is enough: the owner may change the list.
  Give({sid::kUsers, true, 0x1200A9, kBoth}, me);
  EXPECT_EQ(Who(), Names{"PC\\Tester without administrator rights"});
  // A deny entry first takes the rights away from the unelevated token.
  PathSecurity s = SimSecurity::ProgramFolderDefault();
  s.entries.insert(s.entries.begin(), {me, false, rights::kChange, 0});
  s.entries.push_back({me, true, rights::kChange, 0});
  sim.security().SetSecurity(kDir, s);
  EXPECT_EQ(Who(), Names{});
}

TEST_F(SecurityRule, WithoutALinkedTokenOrUnderWineTheUsersAccountIsNoReason) {
  Give({me, true, rights::kFullControl, kBoth}, me);
  sim.security().SetLinkedToken(false);
  EXPECT_EQ(Who(), Names{});
  sim.security().SetLinkedToken(true);
  sim.security().SetUserAccountUnreliable(true);
  EXPECT_EQ(Who(), Names{});
  // Other accounts still are.
  Give({sid::kUsers, true, rights::kWriteData, 0}, me);
  EXPECT_EQ(Who(), Names{"Users"});
}

TEST_F(SecurityRule, NoAccessListLetsEveryoneChange) {
  PathSecurity s;
  s.owner = sid::kAdministrators;
  s.nullDacl = true;
  sim.security().SetSecurity(kDir, s);
  EXPECT_EQ(Who(), Names{"Everyone"});
}

TEST_F(SecurityRule, FilesInheritWhatTheirFolderPassesOn) {
  Give({sid::kUsers, true, rights::kWriteData, kAceObjectInherit});
  ASSERT_TRUE(sim.files().WriteFileBytes("C:\\Tool\\Settings.ini", ""));
  EXPECT_EQ(Who("C:\\Tool\\Settings.ini"), Names{"Users"});
  Give({sid::kUsers, true, rights::kWriteData, kAceContainerInherit});
  EXPECT_EQ(Who("C:\\Tool\\Settings.ini"), Names{});
}

TEST_F(SecurityRule, AnAdministratorsOnlyFolderIsProtectedAndPassesItOn) {
  ASSERT_EQ(sim.security().CreateAdminOnlyFolder("C:\\Tool\\backup"), 0u);
  PathSecurity s;
  ASSERT_EQ(sim.security().ReadSecurity("C:\\Tool\\backup", s), 0u);
  EXPECT_TRUE(s.protectedDacl);
  ASSERT_EQ(s.entries.size(), 2u);
  EXPECT_EQ(s.entries[0].sid, sid::kSystem);
  EXPECT_EQ(s.entries[1].sid, sid::kAdministrators);
  EXPECT_EQ(s.entries[1].mask, rights::kFullControl);
  EXPECT_EQ(s.entries[1].flags, kBoth);
  ASSERT_TRUE(sim.files().CreateFolder("C:\\Tool\\backup\\full_backup"));
  ASSERT_EQ(sim.security().ReadSecurity("C:\\Tool\\backup\\full_backup", s), 0u);
  EXPECT_EQ(s.entries.size(), 2u);
  EXPECT_EQ(Who("C:\\Tool\\backup\\full_backup"), Names{});
}

}  // namespace
}  // namespace vl::sys
