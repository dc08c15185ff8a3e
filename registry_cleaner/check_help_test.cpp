// Category 5: help file registrations.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;

const char kHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kHtmlKey[] = "SOFTWARE\\Microsoft\\Windows\\Html Help";

class HelpTest : public RefsCheckTest {
 protected:
  std::string Problem(const char* key, const std::string& name, const std::string& data) {
    return "HKLM|" + std::string(key) + "|" + name + "|" + data + "|201|" + Mask();
  }
  void Fixture() {
    Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\Help]
"app.hlp"="C:\\Help"
"gone.hlp"="C:\\Help\\"
"nofolder.hlp"=""
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\Html Help]
"tool.chm"="%SystemRoot%\\Help"
"lost.chm"="C:\\Program Files\\Tool\\Docs"
)reg");
    File("C:\\Help\\app.hlp");
    File("C:\\Windows\\Help\\tool.chm");
  }
};

TEST_F(HelpTest, TheFileIsTheFolderPlusTheValueName) {
  Fixture();
  EXPECT_THAT(Run(kHelp), ElementsAre(Problem(kHelpKey, "gone.hlp", "C:\\Help\\"),
                                      Problem(kHelpKey, "nofolder.hlp", ""),
                                      Problem(kHtmlKey, "lost.chm", "C:\\Program Files\\Tool\\Docs")));
  EXPECT_EQ(ctx.progress.size(), 5u);
  EXPECT_EQ(ctx.progress[3], std::string("HKEY_LOCAL_MACHINE\\") + kHtmlKey + "\\tool.chm");
}

TEST_F(HelpTest, StopEndsBothKeys) {
  Fixture();
  ctx.StopAfter(3);
  EXPECT_THAT(Run(kHelp), ElementsAre(Problem(kHelpKey, "gone.hlp", "C:\\Help\\"),
                                      Problem(kHelpKey, "nofolder.hlp", "")));
  EXPECT_EQ(ctx.progress.size(), 3u);
}

TEST_F(HelpTest, On64BitWindowsTheNativeSystemFolderCounts) {
  sim.SetWow64(true);
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\Help]
"native.hlp"="C:\\Windows\\System32"
"wow.hlp"="C:\\Windows\\System32"
)reg");
  NativeFile("C:\\Windows\\System32\\native.hlp");
  File("C:\\Windows\\SysWOW64\\wow.hlp");
  EXPECT_THAT(Run(kHelp), ElementsAre());
}

}  // namespace
}  // namespace vl::registry::testing
