// Category 1: App Paths entries.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

class AppPathsTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& app, const std::string& data) {
    return "HKLM|" + std::string(kKey) + "\\" + app + "||" + data + "|201|" + Mask();
  }
};

TEST_F(AppPathsTest, ReportsProgramsThatAreGoneAndKeepsFilesAndFolders) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\good.exe]
@="C:\\Program Files\\Good\\good.exe"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\gone.exe]
@="  \"C:\\Program Files\\Gone\\Gone.exe\"  "
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\folder.exe]
@="C:\\Program Files\\Folder"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\env.exe]
@="%ProgramFiles%\\Env\\env.exe"
)reg");
  File("C:\\Program Files\\Good\\good.exe");
  Folder("C:\\Program Files\\Folder");
  File("C:\\Program Files\\Env\\env.exe");
  EXPECT_THAT(Run(kAppPaths), ElementsAre(Problem("gone.exe", "\"C:\\Program Files\\Gone\\Gone.exe\"")));
  std::string prefix = std::string("HKEY_LOCAL_MACHINE\\") + kKey + "\\";
  EXPECT_THAT(ctx.progress, ElementsAre(prefix + "env.exe", prefix + "folder.exe", prefix + "gone.exe",
                                        prefix + "good.exe"));
}

TEST_F(AppPathsTest, WithoutAProgramThePathFolderDecides) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\a.exe]
"Path"="C:\\Program Files\\A"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\b.exe]
@=""
"Path"="C:\\Program Files\\B\\"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\c.exe]
)reg");
  Folder("C:\\Program Files\\A");
  // c.exe has neither: its folder is a lone backslash, the current drive's root.
  EXPECT_THAT(Run(kAppPaths), ElementsAre(Problem("b.exe", "")));
}

TEST_F(AppPathsTest, ANameWithoutDriveIsLookedUpInThePathFolder) {
  // Without a Windows folder a bare name stays relative.
  sim.shell().SetFolder(36, "");
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\tool.exe]
@="tool.exe"
"Path"="C:\\Tools"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\other.exe]
@="other.exe"
"Path"="C:\\Tools"
)reg");
  File("C:\\Tools\\tool.exe");
  EXPECT_THAT(Run(kAppPaths), ElementsAre(Problem("other.exe", "other.exe")));
}

TEST_F(AppPathsTest, On64BitWindowsTheNativeFoldersAndFallbacksCount) {
  sim.SetWow64(true);
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\native.exe]
@="C:\\Windows\\System32\\native.exe"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\wow.exe]
@="C:\\Windows\\System32\\wow.exe"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\x86.exe]
@="C:\\Program Files (x86)\\App\\x86.exe"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\zgone.exe]
@="C:\\Windows\\System32\\zgone.exe"
)reg");
  NativeFile("C:\\Windows\\System32\\native.exe");  // seen only with redirection off
  File("C:\\Windows\\SysWOW64\\wow.exe");
  File("C:\\Program Files\\App\\x86.exe");
  EXPECT_THAT(Run(kAppPaths),
              ElementsAre("HKLM|" + std::string(kKey) + "\\zgone.exe||C:\\Windows\\System32\\zgone.exe|201|F013F"));
  EXPECT_TRUE(sim.system().RedirectionActive());  // switched back on
}

TEST_F(AppPathsTest, StopsBeforeTheNextEntry) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\a.exe]
@="C:\\Gone\\a.exe"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\b.exe]
@="C:\\Gone\\b.exe"
)reg");
  ctx.StopAfter(1);
  EXPECT_THAT(Run(kAppPaths), ElementsAre(Problem("a.exe", "C:\\Gone\\a.exe")));
  ctx.StopAfter(0);
  EXPECT_THAT(Run(kAppPaths), IsEmpty());
  EXPECT_THAT(ctx.progress, IsEmpty());
}

}  // namespace
}  // namespace vl::registry::testing
