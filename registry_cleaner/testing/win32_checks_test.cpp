// The category checks' fixtures against the real registry and file system
// (the Windows builds under Wine in a 64-bit prefix: the i686 one as a WOW64
// process, the x86_64 one natively). Every key, value and file is unique to
// the test and removed afterwards; since the machine has entries of its own,
// only problems at planted places are compared.
#include <gmock/gmock.h>

#include <cstdio>

#include "registry_cleaner/testing/shell_made_link.h"
#include "registry_cleaner/testing/win32_recording_context.h"
#include "sysaccess/text.h"

namespace vl::registry::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Win32ChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The i686 build runs as a WOW64 process, the x86_64 build natively.
    ASSERT_TRUE(ctx.bitness().windows64) << "expected 64-bit Windows";
    ASSERT_EQ(ctx.wow64(), sizeof(void*) == 4);
    ASSERT_EQ(ctx.access(), ctx.wow64() ? 0xF013Fu : 0xF003Fu);
  }
  void Reg(const std::string& body) { ctx.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + body); }

  // "ROOT|key|value|data|code|access" of the problems at planted places.
  std::vector<std::string> Run(int category) {
    std::vector<std::string> lines;
    for (const TScanRegistry& p : ctx.Run(category)) {
      if (!HasTestMarker(p.keyPath) && !HasTestMarker(p.valueName)) continue;
      // "mask": the mask the worker opens keys with, checked in SetUp.
      char access[16] = "mask";
      if (p.access != ctx.access()) snprintf(access, sizeof access, "%X", p.access);
      std::string root = p.root == sys::kHKU ? "HKU" : sys::RootShortName(p.root);
      lines.push_back(root + "|" + p.keyPath + "|" + p.valueName + "|" + p.data + "|" + std::to_string(p.code) +
                      "|" + access);
    }
    return lines;
  }

  Win32RecordingContext ctx;
};

// Category 0: servers seen without redirection, with the 64-bit fallbacks;
// unregistered application ids and empty proxy keys.
TEST_F(Win32ChecksTest, ActiveXServersAppIdsAndProxies) {
  ctx.AddNativeFile("C:\\Windows\\System32\\VlTestNative64.dll");
  ctx.AddFile("C:\\Windows\\SysWOW64\\VlTestOnly32.dll");
  ctx.AddFile("C:\\Program Files\\VlTestContoso\\app.exe");
  Reg(R"reg([HKEY_CLASSES_ROOT\AppID\{7E57A11D-0000-4000-8000-000000000001}]

[HKEY_CLASSES_ROOT\CLSID\{7E570000-0000-4000-8000-000000000001}\InprocServer32]
@="C:\\Windows\\System32\\VlTestNative64.dll"

[HKEY_CLASSES_ROOT\CLSID\{7E570000-0000-4000-8000-000000000002}\InprocServer32]
@="C:\\Windows\\System32\\VlTestOnly32.dll"

[HKEY_CLASSES_ROOT\CLSID\{7E570000-0000-4000-8000-000000000003}\LocalServer32]
@="\"C:\\Program Files (x86)\\VlTestContoso\\app.exe\" /automation"

[HKEY_CLASSES_ROOT\CLSID\{7E570000-0000-4000-8000-000000000004}\InprocServer32]
@="C:\\Windows\\System32\\VlTestGone.dll"

[HKEY_CLASSES_ROOT\CLSID\{7E570000-0000-4000-8000-000000000005}]
"AppID"="{7e57a11d-0000-4000-8000-000000000001}"

[HKEY_CLASSES_ROOT\CLSID\{7E570000-0000-4000-8000-000000000006}]
"AppID"="{7E57DEAD-0000-4000-8000-000000000000}"

[HKEY_CLASSES_ROOT\CLSID\{7E570000-0000-4000-8000-000000000007}\ProxyStubClsid32]
@=" "
)reg");
  EXPECT_THAT(Run(kActiveX),
              ElementsAre("HKCR|CLSID\\{7E570000-0000-4000-8000-000000000004}\\InprocServer32||"
                          "C:\\Windows\\System32\\VlTestGone.dll|102|mask",
                          "HKCR|CLSID\\{7E570000-0000-4000-8000-000000000006}|AppID|"
                          "{7E57DEAD-0000-4000-8000-000000000000}|104|mask",
                          "HKCR|CLSID\\{7E570000-0000-4000-8000-000000000007}\\ProxyStubClsid32|||105|mask"));
}

// Category 0: a type library version whose help folder is blank.
TEST_F(Win32ChecksTest, ActiveXTypeLibraryHelpFolder) {
  ctx.AddFile("C:\\VlTestLib\\lib.tlb");
  Reg(R"reg([HKEY_CLASSES_ROOT\TypeLib\{7E571111-0000-4000-8000-000000000001}\1.0\0\win32]
@="C:\\VlTestLib\\lib.tlb"

[HKEY_CLASSES_ROOT\TypeLib\{7E571111-0000-4000-8000-000000000001}\1.0\HELPDIR]
@="C:\\VlTestLib"

[HKEY_CLASSES_ROOT\TypeLib\{7E571111-0000-4000-8000-000000000001}\2.0\0\win32]
@="C:\\VlTestLib\\lib.tlb"

[HKEY_CLASSES_ROOT\TypeLib\{7E571111-0000-4000-8000-000000000001}\2.0\HELPDIR]
@=""
)reg");
  std::vector<std::string> found = Run(kActiveX);
  EXPECT_THAT(found, ::testing::Contains(::testing::HasSubstr("{7E571111-0000-4000-8000-000000000001}\\2.0\\HELPDIR")));
  EXPECT_THAT(found, ::testing::Not(::testing::Contains(::testing::HasSubstr("1.0\\HELPDIR"))));
}

// Category 1: App Paths, with the Program Files fallback of 64-bit Windows.
TEST_F(Win32ChecksTest, AppPaths) {
  ctx.AddFile("C:\\Program Files\\VlTestApp\\app.exe");
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\VlTestGood.exe]
@="C:\\Program Files\\VlTestApp\\app.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\VlTestWow.exe]
@="C:\\Program Files (x86)\\VlTestApp\\app.exe"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\VlTestGone.exe]
@="C:\\Program Files\\VlTestGone\\gone.exe"
)reg");
  EXPECT_THAT(Run(kAppPaths), ElementsAre("HKLM|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\VlTestGone.exe||"
                                          "C:\\Program Files\\VlTestGone\\gone.exe|201|mask"));
}

// Category 2: leaves without values in the user's hive.
TEST_F(Win32ChecksTest, EmptyKeys) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\VlTestVendor\App\Empty]

[HKEY_CURRENT_USER\Software\VlTestVendor\App\Settings]
"Size"=dword:00000010

[HKEY_CURRENT_USER\Software\VlTestVendor\Tools\B\C]
)reg");
  std::vector<std::string> found = Run(kEmptyKeys);
  ASSERT_EQ(found.size(), 2u) << ::testing::PrintToString(found);
  EXPECT_THAT(found[0], ::testing::StartsWith("HKU|S-1-5-"));
  EXPECT_THAT(found[0], ::testing::EndsWith("\\Software\\VlTestVendor\\App\\Empty|||107|mask"));
  EXPECT_THAT(found[1], ::testing::EndsWith("\\Software\\VlTestVendor\\Tools\\B\\C|||107|mask"));
}

// Category 3: an extension key with one textless value and nothing else.
TEST_F(Win32ChecksTest, FileExtensions) {
  Reg(R"reg([HKEY_CLASSES_ROOT\.vltestabc]
@=""

[HKEY_CLASSES_ROOT\.vltestpair]
@=""
"Content Type"="text/plain"

[HKEY_CLASSES_ROOT\.vltestsub]
@=""

[HKEY_CLASSES_ROOT\.vltestsub\OpenWithProgids]
"x"=""
)reg");
  EXPECT_THAT(Run(kFileExtensions), ElementsAre("HKCR|.vltestabc|||106|mask"));
}

// Category 4: bare names in the fonts folder, full paths with the fallback.
TEST_F(Win32ChecksTest, Fonts) {
  std::string fonts = ctx.platform().shell->FolderByCsidl(0x14);  // CSIDL_FONTS
  ASSERT_FALSE(fonts.empty());
  ctx.AddFile(fonts + "\\vltesthere.ttf");
  ctx.AddNativeFile("C:\\Windows\\System32\\VlTestNative.fon");
  ctx.AddFile("C:\\Windows\\SysWOW64\\VlTestWow.fon");
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts]
"VlTest Here (TrueType)"="vltesthere.ttf"
"VlTest Gone (TrueType)"=" vltestgone.ttf "
"VlTest Native"="C:\\Windows\\System32\\VlTestNative.fon"
"VlTest Wow"="C:\\Windows\\System32\\VlTestWow.fon"
"VlTest Missing"="C:\\Windows\\System32\\VlTestMissing.fon"
"VlTest Host (TrueType)"="\\??\\unix\\VlTestHost\\host.ttf"
)reg");
  const std::string key = "HKLM|SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts|";
  EXPECT_THAT(Run(kFonts), ElementsAre(key + "VlTest Gone (TrueType)|vltestgone.ttf|201|mask",
                                       key + "VlTest Missing|C:\\Windows\\System32\\VlTestMissing.fon|201|mask"));
}

// Category 5: help files (name = file, data = folder).
TEST_F(Win32ChecksTest, Help) {
  ctx.AddFile("C:\\VlTestHelp\\VlTestHere.hlp");
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\Help]
"VlTestHere.hlp"="C:\\VlTestHelp"
"VlTestGone.hlp"="C:\\VlTestHelp\\"
)reg");
  EXPECT_THAT(Run(kHelp), ElementsAre("HKLM|SOFTWARE\\Microsoft\\Windows\\Help|VlTestGone.hlp|C:\\VlTestHelp\\|201|mask"));
}

// Category 6: shell verbs, their commands, class ids and icons.
TEST_F(Win32ChecksTest, FileAssociations) {
  ctx.AddFile("C:\\Program Files\\VlTestViewer\\viewer.exe");
  Reg(R"reg([HKEY_CLASSES_ROOT\VlTest.Noverbs\shell]
@="open"

[HKEY_CLASSES_ROOT\VlTest.Verbs\Shell\open\command]
@="\"C:\\Program Files (x86)\\VlTestViewer\\viewer.exe\" \"%1\""

[HKEY_CLASSES_ROOT\VlTest.Verbs\Shell\print\command]
@="\"C:\\Program Files\\VlTestGone\\print.exe\" /p \"%1\""

[HKEY_CLASSES_ROOT\VlTest.Verbs\Shell\show\command]
@="notepad.exe \"%1\""

[HKEY_CLASSES_ROOT\VlTest.Verbs\Shell\zempty\command]
@=" "

[HKEY_CLASSES_ROOT\VlTest.Class\CLSID]
@="{7E57FFFF-0000-4000-8000-000000000000}"
)reg");
  EXPECT_THAT(Run(kFileAssociations),
              ElementsAre("HKCR|VlTest.Class\\CLSID||{7E57FFFF-0000-4000-8000-000000000000}|202|mask",
                          "HKCR|VlTest.Noverbs\\Shell|||203|mask",
                          "HKCR|VlTest.Verbs\\Shell\\print\\Command||"
                          "\"C:\\Program Files\\VlTestGone\\print.exe\" /p \"%1\"|205|mask",
                          "HKCR|VlTest.Verbs\\Shell\\zempty\\Command|||204|mask"));
}

// Category 7: a shortcut in the user's programs menu, made by the shell,
// whose target is gone; filed once per walk that reaches it (the programs
// folder lies inside the Start menu).
TEST_F(Win32ChecksTest, Shortcuts) {
  std::string programs = ctx.platform().shell->FolderByCsidl(2);  // CSIDL_PROGRAMS
  ASSERT_FALSE(programs.empty());
  const std::string link = programs + "\\VlTestMenu\\Gone.lnk";
  ctx.AddFile(link, ShellMadeLinkBytes());
  ASSERT_FALSE(ctx.platform().files->FileExists(kShellMadeLinkTarget));
  std::vector<std::string> found = Run(kShortcuts);
  ASSERT_FALSE(found.empty());
  for (const std::string& line : found)
    EXPECT_EQ(line, "HKU|" + link + "||" + sys::ToLowerText(kShellMadeLinkTarget) + "|201|0");
  ctx.AddFile(kShellMadeLinkTarget);
  EXPECT_THAT(Run(kShortcuts), IsEmpty());
}

// Category 8: every history value is filed.
TEST_F(Win32ChecksTest, Mru) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU]
"VlTestA"="cmd\\1"
)reg");
  EXPECT_THAT(Run(kMru), ElementsAre("HKCU|Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU|VlTestA|cmd\\1|108|mask"));
}

// Category 9: shared DLL counters, system and program folders with fallbacks.
TEST_F(Win32ChecksTest, SharedDlls) {
  ctx.AddFile("C:\\Program Files\\VlTestShared\\here.dll");
  ctx.AddFile("C:\\Windows\\SysWOW64\\VlTestShared32.dll");
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDlls]
"C:\\Program Files (x86)\\VlTestShared\\here.dll"=dword:00000001
"C:\\Windows\\System32\\VlTestShared32.dll"=dword:00000001
"C:\\Program Files\\VlTestShared\\gone.dll"=dword:00000002
)reg");
  const std::string gone = "C:\\Program Files\\VlTestShared\\gone.dll";
  EXPECT_THAT(Run(kSharedDlls), ElementsAre("HKLM|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls|" + gone +
                                            "|" + gone + "|201|mask"));
}

// Category 10: sound events whose sound file is gone.
TEST_F(Win32ChecksTest, Sounds) {
  ctx.AddFile("C:\\VlTestSounds\\here.wav");
  Reg(R"reg([HKEY_CURRENT_USER\AppEvents\Schemes\Apps\VlTestApp\Ding\.Current]
@="C:\\VlTestSounds\\here.wav"

[HKEY_CURRENT_USER\AppEvents\Schemes\Apps\VlTestApp\Gone\.Current]
@="C:\\VlTestSounds\\gone.wav"
)reg");
  EXPECT_THAT(Run(kSounds), ElementsAre("HKCU|AppEvents\\Schemes\\Apps\\VlTestApp\\Gone\\.Current||"
                                        "C:\\VlTestSounds\\gone.wav|201|mask"));
}

// Category 11: menu order entries named after no program.
TEST_F(Win32ChecksTest, StartMenu) {
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VlTestGoodApp]
"DisplayName"="VlTest Good App"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\VLTEST GOOD APP]

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\VlTest Gone]
)reg");
  EXPECT_THAT(Run(kStartMenu),
              ElementsAre("HKCU|Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\"
                          "VlTest Gone|||101|mask"));
}

// Category 12: Run entries of the machine and the user.
TEST_F(Win32ChecksTest, Startup) {
  ctx.AddFile("C:\\Program Files\\VlTestGood\\good.exe");
  std::string local = ctx.platform().system->EnvironmentVariable("LOCALAPPDATA");
  ASSERT_FALSE(local.empty());
  ctx.AddFile(local + "\\VlTestTray\\tray.exe");
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run]
"VlTestGood"="\"C:\\Program Files\\VlTestGood\\good.exe\" /background"
"VlTestGone"="C:\\Program Files\\VlTestGone\\gone.exe -silent"
"VlTestEmpty"=""

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"VlTestEnv"="%LOCALAPPDATA%\\VlTestTray\\tray.exe"
"VlTestHelper"="C:\\VlTestHelper\\helper.exe"
)reg");
  const std::string run = "|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run|";
  // The system decides the order of a key's values.
  EXPECT_THAT(Run(kStartup), ::testing::UnorderedElementsAre("HKLM" + run + "VlTestGone|C:\\Program Files\\VlTestGone\\gone.exe -silent|201|mask",
                                         "HKLM" + run + "VlTestEmpty||201|mask",
                                         "HKCU" + run + "VlTestHelper|C:\\VlTestHelper\\helper.exe|201|mask"));
}

// Category 13: services whose image is gone; drivers in the native system folder.
TEST_F(Win32ChecksTest, Services) {
  ctx.AddNativeFile("C:\\Windows\\System32\\drivers\\VlTestDrv.sys");
  Reg(R"reg([HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\VlTestDriver]
"ImagePath"="\\SystemRoot\\System32\\drivers\\VlTestDrv.sys"

[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Services\VlTestGone]
"ImagePath"="\"C:\\VlTestSvc\\gone.exe\" -service"
)reg");
  std::vector<std::string> found = Run(kServices);
  ASSERT_EQ(found.size(), 1u) << ::testing::PrintToString(found);
  EXPECT_THAT(found[0], ::testing::StartsWith("HKLM|SYSTEM\\ControlSet001\\Services\\VlTestGone|ImagePath|"));
  EXPECT_THAT(found[0], ::testing::EndsWith("|109|mask"));
}

// Category 14: uninstallers and folders that are gone, cached entries of no program.
TEST_F(Win32ChecksTest, Uninstall) {
  ctx.AddFile("C:\\Program Files\\VlTestApp1\\unins000.exe");
  Reg(R"reg([HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VlTestApp1]
"DisplayName"="VlTest App One"
"UninstallString"="\"C:\\Program Files (x86)\\VlTestApp1\\unins000.exe\""
"InstallLocation"="C:\\Program Files\\VlTestApp1\\"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VlTestApp2]
"UninstallString"="C:\\Program Files\\VlTestApp2\\uninst.exe /S"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Management\ARPCache\VlTestApp1]

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Management\ARPCache\VlTestRemoved]
)reg");
  const std::string un = "HKLM|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  std::vector<std::string> found = Run(kUninstall);
  EXPECT_THAT(found, ::testing::Contains(::testing::StartsWith(un + "VlTestApp2|UninstallString|")));
  EXPECT_THAT(found, ::testing::Not(::testing::Contains(::testing::HasSubstr("VlTestApp1|"))));
  EXPECT_THAT(found, ::testing::Contains("HKLM|SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\"
                                         "VlTestRemoved|||101|mask"));
}

// What the fixtures planted is gone again.
TEST_F(Win32ChecksTest, CleanUpRemovesPlantedKeysValuesAndFiles) {
  ctx.AddFile("C:\\VlTestClean\\a\\f.txt");
  Reg(R"reg([HKEY_CURRENT_USER\Software\VlTestClean\Sub]
"x"="y"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run]
"VlTestClean"="x.exe"
)reg");
  ctx.CleanUp();
  EXPECT_FALSE(ctx.registry().KeyExists(sys::kHKCU, "Software\\VlTestClean", sys::kMaskAll64));
  EXPECT_FALSE(ctx.registry().ValueExists(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                                          "VlTestClean", sys::kMaskAll64));
  EXPECT_TRUE(ctx.registry().KeyExists(sys::kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", sys::kMaskAll64));
  EXPECT_FALSE(ctx.platform().files->DirectoryExists("C:\\VlTestClean"));
}

}  // namespace
}  // namespace vl::registry::testing

namespace vl::registry::testing {
namespace {

// Not a test: lists what every check finds on this machine, for the review
// of false alarms on a healthy installation. Run with
// --gtest_also_run_disabled_tests --gtest_filter=*ScanDump*.
TEST(Win32ScanDump, DISABLED_ScanDump) {
  Win32RecordingContext ctx;
  for (int category = 0; category < kCategoryCount; ++category) {
    ctx.Run(category);
    std::printf("== category %d: %zu problems, %zu items\n", category, ctx.problems.size(), ctx.progress.size());
    for (const TScanRegistry& p : ctx.problems) {
      std::string root = p.root == sys::kHKU ? "HKU" : sys::RootShortName(p.root);
      std::printf("%d|%s|%s|%s|%s|%u\n", category, root.c_str(), p.keyPath.c_str(), p.valueName.c_str(),
                  p.data.c_str(), static_cast<unsigned>(p.code));
    }
  }
}

}  // namespace
}  // namespace vl::registry::testing
