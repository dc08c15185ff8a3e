// Category 8: most-recently-used lists.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;

const std::string kOpenSave = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

class MruTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& key, const std::string& name, const std::string& data) {
    return "HKCU|" + key + "|" + name + "|" + data + "|108|" + Mask();
  }
  void Fixture() {
    Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU]
"a"="C:\\Users\\Tester\\Documents\\letter.txt"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU\txt]
"a"="C:\\Users\\Tester\\Documents\\notes.txt"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU]
"a"="notepad\\1"
"b"=" regedit\\1 "
"MRUList"="ba"
)reg");
  }
};

TEST_F(MruTest, EveryValueOfBothListsIsHistoryTheListOrderIncluded) {
  Fixture();
  // Existing targets make no difference; values of subkeys are not seen.
  File("C:\\Users\\Tester\\Documents\\letter.txt");
  EXPECT_THAT(Run(kMru), ElementsAre(Problem(kOpenSave, "a", "C:\\Users\\Tester\\Documents\\letter.txt"),
                                     Problem(kRun, "a", "notepad\\1"), Problem(kRun, "b", "regedit\\1"),
                                     Problem(kRun, "MRUList", "ba")));
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_CURRENT_USER\\" + kOpenSave + "\\a", "HKEY_CURRENT_USER\\" + kRun + "\\a",
                                        "HKEY_CURRENT_USER\\" + kRun + "\\b",
                                        "HKEY_CURRENT_USER\\" + kRun + "\\MRUList"));
}

TEST_F(MruTest, StopsBeforeTheNextValue) {
  Fixture();
  ctx.StopAfter(2);
  EXPECT_THAT(Run(kMru), ElementsAre(Problem(kOpenSave, "a", "C:\\Users\\Tester\\Documents\\letter.txt"),
                                     Problem(kRun, "a", "notepad\\1")));
}

TEST_F(MruTest, CarriesTheMaskOf64BitWindows) {
  sim.SetWow64(true);
  Fixture();
  ASSERT_EQ(Run(kMru).size(), 4u);
  EXPECT_EQ(ctx.problems[0].access, 0xF013Fu);
}

}  // namespace
}  // namespace vl::registry::testing
