// Category 10: sound events.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kApps = "AppEvents\\Schemes\\Apps";

class SoundsTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& key, const std::string& data) {
    return "HKCU|" + kApps + "\\" + key + "||" + data + "|201|" + Mask();
  }
  void Fixture() {
    Reg(R"reg([HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\SystemAsterisk\.Current]
@="%SystemRoot%\\media\\Windows Ding.wav"
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\SystemHand\.Current]
@="C:\\Windows\\media\\Gone.wav"
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\SystemHand\.Default]
@="  C:\\Windows\\media\\Old.wav  "
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\SystemExit\.Current]
@=""
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\Close\.Current]
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\Explorer]
@="Explorer"
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\Explorer\Navigating\.Current]
@="C:\\Windows\\media\\Windows Navigation Start.wav"
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\Vendor]
@="C:\\Program Files\\Vendor\\ring.wav"
)reg");
    File("C:\\Windows\\media\\Windows Ding.wav");
  }
};

TEST_F(SoundsTest, ReportsLeavesWhoseSoundIsGone) {
  Fixture();
  // A key with subkeys holds no sound of its own ("Explorer" is its caption);
  // a key without subkeys is a leaf, also at the application level.
  EXPECT_THAT(Run(kSounds),
              ElementsAre(Problem(".Default\\SystemHand\\.Current", "C:\\Windows\\media\\Gone.wav"),
                          Problem(".Default\\SystemHand\\.Default", "C:\\Windows\\media\\Old.wav"),
                          Problem("Explorer\\Navigating\\.Current",
                                  "C:\\Windows\\media\\Windows Navigation Start.wav"),
                          Problem("Vendor", "C:\\Program Files\\Vendor\\ring.wav")));
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_CURRENT_USER\\" + kApps + "\\.Default",
                                        "HKEY_CURRENT_USER\\" + kApps + "\\Explorer",
                                        "HKEY_CURRENT_USER\\" + kApps + "\\Vendor"));
}

TEST_F(SoundsTest, TheCurrentApplicationIsCollectedWholeWhenStopped) {
  Fixture();
  ctx.StopAfter(1);
  EXPECT_THAT(Run(kSounds),
              ElementsAre(Problem(".Default\\SystemHand\\.Current", "C:\\Windows\\media\\Gone.wav"),
                          Problem(".Default\\SystemHand\\.Default", "C:\\Windows\\media\\Old.wav")));
  ctx.StopAfter(0);
  EXPECT_THAT(Run(kSounds), IsEmpty());
}

TEST_F(SoundsTest, On64BitWindowsTheNativeSystemFolderCounts) {
  sim.SetWow64(true);
  Reg(R"reg([HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\Beep\.Current]
@="C:\\Windows\\System32\\beep.wav"
[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\.Default\Ring\.Current]
@="C:\\Program Files (x86)\\Vendor\\ring.wav"
)reg");
  NativeFile("C:\\Windows\\System32\\beep.wav");
  File("C:\\Program Files\\Vendor\\ring.wav");
  EXPECT_THAT(Run(kSounds), IsEmpty());
}

}  // namespace
}  // namespace vl::registry::testing
