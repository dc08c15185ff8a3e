// Category 4: font registrations.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;

const char kKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

class FontsTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& name, const std::string& data) {
    return "HKLM|" + std::string(kKey) + "|" + name + "|" + data + "|201|" + Mask();
  }
};

TEST_F(FontsTest, BareNamesLiveInTheFontsFolderFullPathsAreTestedAsGiven) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts]
"Arial (TrueType)"="arial.ttf"
"Gone (TrueType)"=" gone.ttf "
"System Only (TrueType)"="sysonly.ttf"
"Empty"=""
"Vendor (TrueType)"="C:\\Program Files\\Vendor\\Fonts\\Vendor.ttf"
"Vendor Gone (TrueType)"="C:\\Program Files\\Vendor\\Fonts\\Missing.ttf"
)reg");
  File("C:\\Windows\\Fonts\\arial.ttf");
  // A bare name is not looked for in the system folder.
  File("C:\\Windows\\System32\\sysonly.ttf");
  File("C:\\Program Files\\Vendor\\Fonts\\Vendor.ttf");
  EXPECT_THAT(Run(kFonts),
              ElementsAre(Problem("Gone (TrueType)", "gone.ttf"), Problem("System Only (TrueType)", "sysonly.ttf"),
                          Problem("Empty", ""),
                          Problem("Vendor Gone (TrueType)", "C:\\Program Files\\Vendor\\Fonts\\Missing.ttf")));
  ASSERT_EQ(ctx.progress.size(), 6u);
  EXPECT_EQ(ctx.progress[0], std::string("HKEY_LOCAL_MACHINE\\") + kKey + "\\Arial (TrueType)");
}

TEST_F(FontsTest, On64BitWindowsFullPathsUseTheFallback) {
  sim.SetWow64(true);
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts]
"Native"="C:\\Windows\\System32\\native.fon"
"Wow"="C:\\Windows\\System32\\wow.fon"
"Gone"="C:\\Windows\\System32\\gone.fon"
)reg");
  NativeFile("C:\\Windows\\System32\\native.fon");
  File("C:\\Windows\\SysWOW64\\wow.fon");
  EXPECT_THAT(Run(kFonts), ElementsAre(Problem("Gone", "C:\\Windows\\System32\\gone.fon")));
}

TEST_F(FontsTest, ObjectManagerPathsAreNotBareNames) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts]
"Host (TrueType)"="\\??\\unix\\usr\\share\\fonts\\truetype\\host.ttf"
"Here (TrueType)"="\\??\\C:\\Vendor\\here.ttf"
"Gone (TrueType)"="\\??\\C:\\Vendor\\gone.ttf"
)reg");
  File("C:\\Vendor\\here.ttf");
  EXPECT_THAT(Run(kFonts), ElementsAre(Problem("Gone (TrueType)", "\\??\\C:\\Vendor\\gone.ttf")));
}

TEST_F(FontsTest, StopsBeforeTheNextValue) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts]
"A"="a.ttf"
"B"="b.ttf"
"C"="c.ttf"
)reg");
  ctx.StopAfter(2);
  EXPECT_THAT(Run(kFonts), ElementsAre(Problem("A", "a.ttf"), Problem("B", "b.ttf")));
}

}  // namespace
}  // namespace vl::registry::testing
