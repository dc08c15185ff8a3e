// Category 2: empty keys of the user hives.
#include <gmock/gmock.h>

#include "registry_cleaner/check_classes_testing.h"
#include "registry_cleaner/scan_types.h"
#include "registry_cleaner/testing/recording_context.h"

namespace vl::registry {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Describe;

class EmptyKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sid = sim.registry().currentUserSid();
    // The simulated machine starts with an empty .DEFAULT hive and an empty
    // Software key in the user's hive; give both something to hold.
    ctx.LoadReg(R"(REGEDIT4
[HKEY_USERS\.DEFAULT\Environment]
"TEMP"="%USERPROFILE%\\AppData\\Local\\Temp"
[HKEY_CURRENT_USER\Software\Contoso]
"Installed"=dword:00000001
)");
  }
  std::vector<std::string> Scan() { return Describe(ctx.Run(kEmptyKeys)); }
  std::string User(const std::string& path) { return "HKU\\" + sid + "\\" + path + " [] =  #107"; }

  sys::SimPlatform sim;
  testing::RecordingContext ctx{sim};
  std::string sid;
};

TEST_F(EmptyKeysTest, OnlyLeavesWithoutValuesAreReportedInWalkOrder) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CURRENT_USER\Software\Vendor\App\Empty]
[HKEY_CURRENT_USER\Software\Vendor\App\Settings]
"Size"=dword:00000010
[HKEY_CURRENT_USER\Software\Vendor\App\Blank]
@=""
[HKEY_CURRENT_USER\Software\Vendor\Tools\A]
[HKEY_CURRENT_USER\Software\Vendor\Tools\B\C]
[HKEY_CURRENT_USER\Environment]
"Path"="C:\\Tools"
)");
  // Parents whose children are all empty are left for the repair to climb.
  EXPECT_THAT(Scan(), ElementsAre(User("Software\\Vendor\\App\\Empty"),
                                  User("Software\\Vendor\\Tools\\A"),
                                  User("Software\\Vendor\\Tools\\B\\C")));
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_USERS\\.DEFAULT", "HKEY_USERS\\" + sid));
  for (const auto& p : ctx.problems) EXPECT_EQ(p.access, sys::kMaskAll);
}

TEST_F(EmptyKeysTest, ExcludedBranchesAndSystemHivesAreNotWalked) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Empty]
[HKEY_CURRENT_USER\Software\AppDataLow\Vendor]
[HKEY_CURRENT_USER\Software\Policies\Microsoft\Windows]
[HKEY_CURRENT_USER\Software\Policies\PowerSettings]
[HKEY_CURRENT_USER\Software\Policies\Other]
[HKEY_CURRENT_USER\Software\Wow6432Node\Microsoft\Empty]
[HKEY_CURRENT_USER\Software\Wow6432Node\Vendor]
[HKEY_CURRENT_USER\Control Panel\Desktop\Colors]
[HKEY_CURRENT_USER\AppEvents\Schemes]
[HKEY_CURRENT_USER\Keyboard Layout\Toggle]
[HKEY_CURRENT_USER\Printers\Connections]
[HKEY_CURRENT_USER\Network\Z]
[HKEY_CURRENT_USER\Software\Vendor\Printers]
[HKEY_CURRENT_USER\Software\Classes\MIME\Database]
[HKEY_CURRENT_USER\Software\Classes\Vendor.Doc]
[HKEY_CURRENT_USER\SYSTEM\CurrentControlSet\Control]
[HKEY_CURRENT_USER\Software\Vendor\Microsoft\RAS AutoDial\Default]
[HKEY_CURRENT_USER\Windows 3.1 Migration Status\IniFiles]
[HKEY_USERS\S-1-5-18\Software\Vendor\Empty]
[HKEY_USERS\S-1-5-19\Software\Vendor\Empty]
[HKEY_USERS\S-1-5-20\Software\Vendor\Empty]
)");
  // The texts are matched in their own letter case only.
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CURRENT_USER\Software\Acme\printers]
)");
  EXPECT_THAT(Scan(), ElementsAre(User("Software\\Acme\\printers"),
                                  User("Software\\Classes\\Vendor.Doc"),
                                  User("Software\\Policies\\Other"),
                                  User("Software\\Wow6432Node\\Vendor")));
  // Excluded hives are still shown as current item.
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_USERS\\.DEFAULT", "HKEY_USERS\\S-1-5-18",
                                        "HKEY_USERS\\S-1-5-19", "HKEY_USERS\\S-1-5-20",
                                        "HKEY_USERS\\" + sid));
}

TEST_F(EmptyKeysTest, TheDefaultHiveIsTheSystemAccountsAndNeverReported) {
  ctx.LoadReg("REGEDIT4\n[HKEY_USERS\\.DEFAULT\\Software\\Vendor\\Empty]\n");
  EXPECT_THAT(Scan(), IsEmpty());
}

TEST_F(EmptyKeysTest, AnEmptyHiveIsReportedAsItself) {
  ctx.LoadReg("REGEDIT4\n[HKEY_USERS\\S-1-5-21-1-2-3-1002_Classes]\n");
  EXPECT_THAT(Scan(), ElementsAre("HKU\\S-1-5-21-1-2-3-1002_Classes [] =  #107"));
}

TEST_F(EmptyKeysTest, ValuesOfAnySizeOrTypeKeepAKey) {
  std::string big(4096, 'x');
  ctx.LoadReg("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Vendor\\Big]\n\"Blob\"=\"" + big + "\"\n"
              "[HKEY_CURRENT_USER\\Software\\Vendor\\Number]\n\"N\"=dword:00000000\n"
              "[HKEY_CURRENT_USER\\Software\\Vendor\\Default]\n@=\"\"\n");
  EXPECT_THAT(Scan(), IsEmpty());
}

TEST_F(EmptyKeysTest, ASubkeyTooLongToListStillKeepsItsParent) {
  // 255 characters: a valid key name that the subkey listing cannot take.
  std::string longName(255, 'k');
  ctx.LoadReg("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Vendor\\Parent\\" + longName + "]\n\"v\"=\"1\"\n");
  EXPECT_THAT(Scan(), IsEmpty());
}

TEST_F(EmptyKeysTest, StopEndsAfterTheCurrentHiveIsWalkedWhole) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_USERS\S-1-5-17\Software\Vendor\One]
[HKEY_USERS\S-1-5-17\Software\Vendor\Two]
[HKEY_CURRENT_USER\Software\Vendor\Three]
)");
  ctx.StopAfter(2);
  EXPECT_THAT(Scan(), ElementsAre("HKU\\S-1-5-17\\Software\\Vendor\\One [] =  #107",
                                  "HKU\\S-1-5-17\\Software\\Vendor\\Two [] =  #107"));
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_USERS\\.DEFAULT", "HKEY_USERS\\S-1-5-17"));
  ctx.StopAfter(0);
  EXPECT_THAT(Scan(), IsEmpty());
}

}  // namespace
}  // namespace vl::registry
