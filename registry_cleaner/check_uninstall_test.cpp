// Category 14: uninstall entries and the program cache.
#include <gmock/gmock.h>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kCache = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";

class UninstallTest : public RefsCheckTest {
 protected:
  std::string Problem(const std::string& root, const std::string& entry, const std::string& name,
                      const std::string& data) {
    return root + "|" + kUninstallKey + "\\" + entry + "|" + name + "|" + data + "|201|" + Mask();
  }
  std::string CacheProblem(const std::string& entry) { return "HKLM|" + kCache + "\\" + entry + "|||101|" + Mask(); }
  void Fixture() {
    Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\App1]
"DisplayName"="App One"
"UninstallString"="\"C:\\Program Files\\App1\\unins000.exe\""
"InstallLocation"="C:\\Program Files\\App1\\"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\App2]
"UninstallString"=" C:\\Program Files\\App2\\uninst.exe /S "
"InstallLocation"="C:\\Program Files\\App2"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\EmptyCommand]
"UninstallString"=""
"InstallLocation"=""
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\NoValues]
"DisplayName"="System Component"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{6F1D8E3A-1C2B-4D5E-9F00-0A1B2C3D4E5F}]
"UninstallString"="MsiExec.exe /X{6F1D8E3A-1C2B-4D5E-9F00-0A1B2C3D4E5F}"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\UserApp]
"UninstallString"="C:\\Users\\Tester\\AppData\\Local\\UserApp\\uninstall.exe"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Management\ARPCache\App1]
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Management\ARPCache\app2]
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Management\ARPCache\Removed]
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Management\ARPCache\UserApp]
)reg");
    File("C:\\Program Files\\App1\\unins000.exe");
    File("C:\\Windows\\System32\\msiexec.exe");
  }
};

TEST_F(UninstallTest, ReportsMissingUninstallersFoldersAndCachedEntriesOfNoProgram) {
  Fixture();
  EXPECT_THAT(Run(kUninstall),
              ElementsAre(Problem("HKLM", "App2", "UninstallString", "C:\\Program Files\\App2\\uninst.exe /S"),
                          Problem("HKLM", "App2", "InstallLocation", "C:\\Program Files\\App2"),
                          Problem("HKLM", "EmptyCommand", "UninstallString", ""),
                          Problem("HKCU", "UserApp", "UninstallString",
                                  "C:\\Users\\Tester\\AppData\\Local\\UserApp\\uninstall.exe"),
                          // The cache matches key names exactly, letter case included.
                          CacheProblem("app2"), CacheProblem("Removed")));
  // Only the cache entries are items of the progress line.
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_LOCAL_MACHINE\\" + kCache + "\\App1", "HKEY_LOCAL_MACHINE\\" + kCache + "\\app2",
                                        "HKEY_LOCAL_MACHINE\\" + kCache + "\\Removed",
                                        "HKEY_LOCAL_MACHINE\\" + kCache + "\\UserApp"));
}

TEST_F(UninstallTest, StopLetsTheUninstallWalkFinishAndEndsTheCache) {
  Fixture();
  ctx.StopAfter(2);
  EXPECT_THAT(Run(kUninstall),
              ElementsAre(Problem("HKLM", "App2", "UninstallString", "C:\\Program Files\\App2\\uninst.exe /S"),
                          Problem("HKLM", "App2", "InstallLocation", "C:\\Program Files\\App2"),
                          Problem("HKLM", "EmptyCommand", "UninstallString", ""),
                          Problem("HKCU", "UserApp", "UninstallString",
                                  "C:\\Users\\Tester\\AppData\\Local\\UserApp\\uninstall.exe"),
                          CacheProblem("app2")));
  ctx.StopAfter(0);
  EXPECT_THAT(Run(kUninstall), IsEmpty());
}

TEST_F(UninstallTest, On64BitWindowsNativeFoldersAndFallbacksCount) {
  sim.SetWow64(true);
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\X86]
"UninstallString"="\"C:\\Program Files (x86)\\App\\uninst.exe\""
"InstallLocation"="C:\\Windows\\System32\\NativeApp"
)reg");
  File("C:\\Program Files\\App\\uninst.exe");
  {
    sys::ScopedFsRedirectionOff off(*sim.platform().system);
    Folder("C:\\Windows\\System32\\NativeApp");
  }
  EXPECT_THAT(Run(kUninstall), IsEmpty());
}

TEST_F(UninstallTest, AnInstallFolderWithACommaOrOnAShareIsNotReported) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Acme]
"UninstallString"="\"C:\\Program Files\\Acme, Inc\\uninst.exe\""
"InstallLocation"="C:\\Program Files\\Acme, Inc"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Shared]
"InstallLocation"="\\\\server\\apps\\shared"
)reg");
  File("C:\\Program Files\\Acme, Inc\\uninst.exe");
  EXPECT_THAT(Run(kUninstall), IsEmpty());
}

}  // namespace
}  // namespace vl::registry::testing
