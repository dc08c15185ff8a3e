// Category 11: Start menu ordering entries.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kOrder = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";
const std::string kOrder2 = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs";

class StartMenuTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& key, const std::string& entry) {
    return "HKCU|" + key + "\\" + entry + "|||101|" + Mask();
  }
  void Fixture() {
    Folder("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Accessories");
    Folder("C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Games");
    File("C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Notes.lnk");
    Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\GoodApp]
"DisplayName"="Good App"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\UserTool]
"DisplayName"="  User Tool  "
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\accessories]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Games]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Games\Gone Inside]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Gone]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\GOOD APP]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Notes.lnk]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Startup]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu2\Programs\User Tool]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu2\Programs\Old Suite]
)reg");
  }
};

TEST_F(StartMenuTest, EntriesNamedAfterNoKnownProgramAreReported) {
  Fixture();
  // Known: menu folders (not files) of both program menus and the installed
  // programs' names, in any letter case.
  EXPECT_THAT(Run(kStartMenu), ElementsAre(Problem(kOrder, "Gone"), Problem(kOrder, "Notes.lnk"),
                                           Problem(kOrder2, "Old Suite")));
  EXPECT_EQ(ctx.progress.size(), 8u);
  EXPECT_EQ(ctx.progress[0], "HKEY_CURRENT_USER\\" + kOrder + "\\accessories");
}

TEST_F(StartMenuTest, StopsBeforeTheNextEntry) {
  Fixture();
  ctx.StopAfter(3);
  EXPECT_THAT(Run(kStartMenu), ElementsAre(Problem(kOrder, "Gone")));
  ctx.StopAfter(0);
  EXPECT_THAT(Run(kStartMenu), IsEmpty());
}

TEST_F(StartMenuTest, WithNoInstalledProgramsOnlyMenuFoldersCount) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu2\Programs\Startup]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu2\Programs\Vendor]
)reg");
  EXPECT_THAT(Run(kStartMenu), ElementsAre(Problem(kOrder2, "Vendor")));
}

}  // namespace
}  // namespace vl::registry::testing
