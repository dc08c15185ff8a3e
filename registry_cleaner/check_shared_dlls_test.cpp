// Category 9: shared DLL counters.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;

const std::string kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

class SharedDllsTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& file) {
    return "HKLM|" + kKey + "|" + file + "|" + file + "|201|" + Mask();
  }
  void Fixture() {
    Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDlls]
"C:\\Program Files\\Common Files\\Vendor\\shared.dll"=dword:00000002
"C:\\Program Files\\Common Files\\Vendor\\gone.dll"=dword:00000001
"C:\\Windows\\System32\\wow.dll"=dword:00000001
"C:\\Program Files (x86)\\Common Files\\Vendor\\x86.dll"=dword:00000001
"C:\\Program Files\\Common Files\\Vendor"=dword:00000001
)reg");
    File("C:\\Program Files\\Common Files\\Vendor\\shared.dll");
    File("C:\\Windows\\SysWOW64\\wow.dll");
    File("C:\\Program Files\\Common Files\\Vendor\\x86.dll");
  }
};

TEST_F(SharedDllsTest, TheValueNameIsTheFile) {
  Fixture();
  // A folder is not a file; the 64-bit fallbacks apply only on 64-bit Windows.
  EXPECT_THAT(Run(kSharedDlls),
              ElementsAre(Problem("C:\\Program Files\\Common Files\\Vendor\\gone.dll"),
                          Problem("C:\\Windows\\System32\\wow.dll"),
                          Problem("C:\\Program Files (x86)\\Common Files\\Vendor\\x86.dll"),
                          Problem("C:\\Program Files\\Common Files\\Vendor")));
  EXPECT_EQ(ctx.progress[1], "HKEY_LOCAL_MACHINE\\" + kKey + "\\C:\\Program Files\\Common Files\\Vendor\\gone.dll");
}

TEST_F(SharedDllsTest, On64BitWindowsBothSystemAndProgramFoldersAreTried) {
  sim.SetWow64(true);
  Fixture();
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDlls]
"C:\\Windows\\System32\\native.dll"=dword:00000001
)reg");
  NativeFile("C:\\Windows\\System32\\native.dll");
  EXPECT_THAT(Run(kSharedDlls), ElementsAre(Problem("C:\\Program Files\\Common Files\\Vendor\\gone.dll"),
                                            Problem("C:\\Program Files\\Common Files\\Vendor")));
}

TEST_F(SharedDllsTest, StopsBeforeTheNextValue) {
  Fixture();
  ctx.StopAfter(2);
  EXPECT_THAT(Run(kSharedDlls), ElementsAre(Problem("C:\\Program Files\\Common Files\\Vendor\\gone.dll")));
  EXPECT_EQ(ctx.progress.size(), 2u);
}

}  // namespace
}  // namespace vl::registry::testing
