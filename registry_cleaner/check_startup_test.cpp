// Category 12: programs started with Windows.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class StartupTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& root, const std::string& name, const std::string& data) {
    return root + "|" + kRun + "|" + name + "|" + data + "|201|" + Mask();
  }
  void Fixture() {
    Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run]
"Good"="\"C:\\Program Files\\Good\\good.exe\" /background"
"Gone"="C:\\Program Files\\Gone\\gone.exe -silent"
"Empty"=""
"Control"="rundll32.exe shell32.dll,Control_RunDLL"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"Helper"=" C:\\Users\\Tester\\AppData\\Local\\Helper\\helper.exe "
"Env"="%LOCALAPPDATA%\\Tray\\tray.exe"
)reg");
    File("C:\\Program Files\\Good\\good.exe");
    File("C:\\Users\\Tester\\AppData\\Local\\Tray\\tray.exe");
  }
};

TEST_F(StartupTest, MachineThenUserProgramsThatAreGoneOrEmpty) {
  Fixture();
  EXPECT_THAT(Run(kStartup),
              ElementsAre(Problem("HKLM", "Gone", "C:\\Program Files\\Gone\\gone.exe -silent"),
                          Problem("HKLM", "Empty", ""),
                          Problem("HKCU", "Helper", "C:\\Users\\Tester\\AppData\\Local\\Helper\\helper.exe")));
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_LOCAL_MACHINE\\" + kRun + "\\Good", "HKEY_LOCAL_MACHINE\\" + kRun + "\\Gone",
                                        "HKEY_LOCAL_MACHINE\\" + kRun + "\\Empty",
                                        "HKEY_LOCAL_MACHINE\\" + kRun + "\\Control",
                                        "HKEY_CURRENT_USER\\" + kRun + "\\Helper",
                                        "HKEY_CURRENT_USER\\" + kRun + "\\Env"));
}

TEST_F(StartupTest, StopEndsBothRoots) {
  Fixture();
  ctx.StopAfter(4);
  EXPECT_THAT(Run(kStartup), ElementsAre(Problem("HKLM", "Gone", "C:\\Program Files\\Gone\\gone.exe -silent"),
                                         Problem("HKLM", "Empty", "")));
  EXPECT_EQ(ctx.progress.size(), 4u);
}

TEST_F(StartupTest, On64BitWindowsNativeFilesAndFallbacksCount) {
  sim.SetWow64(true);
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run]
"Native"="C:\\Windows\\System32\\native.exe"
"Wow"="\"C:\\Windows\\System32\\wow.exe\" -tray"
"X86"="C:\\Program Files (x86)\\App\\app.exe"
)reg");
  NativeFile("C:\\Windows\\System32\\native.exe");
  File("C:\\Windows\\SysWOW64\\wow.exe");
  File("C:\\Program Files\\App\\app.exe");
  EXPECT_THAT(Run(kStartup), IsEmpty());
  EXPECT_TRUE(sim.system().RedirectionActive());
}

TEST_F(StartupTest, QuotedPathsWithCommasAndNetworkPathsAreNotReported) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run]
"Acme"="\"C:\\Program Files\\Acme, Inc\\a.exe\" /tray"
"Share"="\\\\server\\share\\agent.exe"
"GoneAcme"="\"C:\\Program Files\\Acme, Inc\\gone.exe\""
)reg");
  File("C:\\Program Files\\Acme, Inc\\a.exe");
  EXPECT_THAT(Run(kStartup), ElementsAre(Problem("HKLM", "GoneAcme", "\"C:\\Program Files\\Acme, Inc\\gone.exe\"")));
}

TEST_F(StartupTest, TheUnnamedValueAndAValueNamedDefaultAreTwoProblems) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
@="C:\\Gone\\unnamed.exe"
"(Default)"="C:\\Gone\\named.exe"
)reg");
  const std::vector<TScanRegistry> problems = ctx.Run(kStartup);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].valueName, "(Default)");
  EXPECT_TRUE(problems[0].unnamedValue);
  EXPECT_EQ(problems[0].data, "C:\\Gone\\unnamed.exe");
  EXPECT_EQ(problems[1].valueName, "(Default)");
  EXPECT_FALSE(problems[1].unnamedValue);
  EXPECT_EQ(problems[1].data, "C:\\Gone\\named.exe");
}

}  // namespace
}  // namespace vl::registry::testing
