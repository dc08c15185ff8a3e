// Category 0: class registrations, their type libraries and interfaces.
#include <gmock/gmock.h>

#include "registry_cleaner/check_classes_testing.h"
#include "registry_cleaner/scan_types.h"
#include "registry_cleaner/testing/recording_context.h"

namespace vl::registry {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Describe;

class ActiveXTest : public ::testing::Test {
 protected:
  std::vector<std::string> Scan() { return Describe(ctx.Run(kActiveX)); }

  sys::SimPlatform sim;
  testing::RecordingContext ctx{sim};
};

TEST_F(ActiveXTest, AppIdMustNameARegisteredApplicationInAnyLetterCase) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\AppID\{6B2B3F10-4C7A-4B0E-9A51-3D7C2E8F0A11}]
[HKEY_CLASSES_ROOT\CLSID\{10000000-0000-4000-8000-000000000001}]
"AppID"="{6b2b3f10-4c7a-4b0e-9a51-3d7c2e8f0a11}"
[HKEY_CLASSES_ROOT\CLSID\{10000000-0000-4000-8000-000000000002}]
"AppID"="  {6B2B3F10-4C7A-4B0E-9A51-3D7C2E8F0A11}	"
[HKEY_CLASSES_ROOT\CLSID\{10000000-0000-4000-8000-000000000003}]
"AppID"="{DEADBEEF-0000-4000-8000-000000000000} "
[HKEY_CLASSES_ROOT\CLSID\{10000000-0000-4000-8000-000000000004}]
"AppID"="   "
[HKEY_CLASSES_ROOT\CLSID\{10000000-0000-4000-8000-000000000005}]
"AppID"=dword:00000001
[HKEY_CLASSES_ROOT\CLSID\{10000000-0000-4000-8000-000000000006}]
@="No AppID value at all"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{10000000-0000-4000-8000-000000000003} [AppID] = "
      "{DEADBEEF-0000-4000-8000-000000000000} #104",
      "HKCR\\CLSID\\{10000000-0000-4000-8000-000000000004} [AppID] =  #104",
      // A number gives no text: filed with empty data.
      "HKCR\\CLSID\\{10000000-0000-4000-8000-000000000005} [AppID] =  #104"));
}

TEST_F(ActiveXTest, ProxyStubKeyNeedsADefaultValue) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID\{20000000-0000-4000-8000-000000000001}\ProxyStubClsid32]
@="{00020424-0000-0000-C000-000000000046}"
[HKEY_CLASSES_ROOT\CLSID\{20000000-0000-4000-8000-000000000002}\ProxyStubClsid32]
@=" "
[HKEY_CLASSES_ROOT\CLSID\{20000000-0000-4000-8000-000000000003}\ProxyStubClsid32]
"Other"="x"
[HKEY_CLASSES_ROOT\CLSID\{20000000-0000-4000-8000-000000000004}]
@="no proxy key"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{20000000-0000-4000-8000-000000000002}\\ProxyStubClsid32 [] =  #105",
      "HKCR\\CLSID\\{20000000-0000-4000-8000-000000000003}\\ProxyStubClsid32 [] =  #105"));
}

TEST_F(ActiveXTest, InprocServerIsTestedAsWrittenAndKeptInItsOwnCase) {
  ctx.AddFile("C:\\Windows\\System32\\shell32.dll");
  ctx.AddFile("C:\\Program Files\\Contoso\\Viewer\\viewer.dll");
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID\{30000000-0000-4000-8000-000000000001}\InprocServer32]
@="%SystemRoot%\\System32\\shell32.dll"
"ThreadingModel"="Apartment"
[HKEY_CLASSES_ROOT\CLSID\{30000000-0000-4000-8000-000000000002}\InprocServer32]
@="\"C:\\Program Files\\Contoso\\Viewer\\Viewer.dll\""
[HKEY_CLASSES_ROOT\CLSID\{30000000-0000-4000-8000-000000000003}\InprocServer32]
@="C:\\App\\Missing.exe /automation"
[HKEY_CLASSES_ROOT\CLSID\{30000000-0000-4000-8000-000000000004}\InprocServer32]
"ThreadingModel"="Both"
[HKEY_CLASSES_ROOT\CLSID\{30000000-0000-4000-8000-000000000005}\InprocServer32]
[HKEY_CLASSES_ROOT\CLSID\{30000000-0000-4000-8000-000000000006}\InprocServer32]
@="  "
[HKEY_CLASSES_ROOT\CLSID\{30000000-0000-4000-8000-000000000007}\InprocServer32]
@="shell32.dll"
[HKEY_CLASSES_ROOT\CLSID\{30000000-0000-4000-8000-000000000008}\InprocServer32]
@="C:\\Program Files\\Contoso\\Viewer"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{30000000-0000-4000-8000-000000000003}\\InprocServer32 [] = "
      "C:\\App\\Missing.exe /automation #102",
      // No values at all: unused. ThreadingModel alone, or a blank default, keeps the key.
      "HKCR\\CLSID\\{30000000-0000-4000-8000-000000000005}\\InprocServer32 [] =  #101",
      // A folder is not a server file.
      "HKCR\\CLSID\\{30000000-0000-4000-8000-000000000008}\\InprocServer32 [] = "
      "C:\\Program Files\\Contoso\\Viewer #102"));
}

TEST_F(ActiveXTest, LocalServerDataIsFiledInLowerCase) {
  ctx.AddFile("C:\\Program Files\\Contoso\\Editor\\editor.exe");
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID\{40000000-0000-4000-8000-000000000001}\LocalServer32]
@="C:\\App\\Missing.exe /automation"
[HKEY_CLASSES_ROOT\CLSID\{40000000-0000-4000-8000-000000000002}\LocalServer32]
@="\"C:\\Program Files\\Contoso\\Editor\\Editor.exe\" -Embedding"
[HKEY_CLASSES_ROOT\CLSID\{40000000-0000-4000-8000-000000000003}\LocalServer32]
[HKEY_CLASSES_ROOT\CLSID\{40000000-0000-4000-8000-000000000004}\LocalServer32]
"ServerExecutable"="C:\\Gone\\Gone.exe"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{40000000-0000-4000-8000-000000000001}\\LocalServer32 [] = "
      "c:\\app\\missing.exe /automation #102",
      "HKCR\\CLSID\\{40000000-0000-4000-8000-000000000003}\\LocalServer32 [] =  #101"));
}

TEST_F(ActiveXTest, LargeValueKeepsAServerKeyFromLookingUnused) {
  // The only value holds more data than the value listing takes.
  std::string big(3000, 'a');
  ctx.LoadReg("REGEDIT4\n[HKEY_CLASSES_ROOT\\CLSID\\{41000000-0000-4000-8000-000000000001}"
              "\\InprocServer32]\n\"Blob\"=\"" + big + "\"\n");
  EXPECT_THAT(Scan(), IsEmpty());
}

TEST_F(ActiveXTest, UnregisteredTypeLibraryIsReportedWithItsInterfacesAndMachineTwins) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\TypeLib\{AAAA0000-0000-4000-8000-000000000001}\1.0\0\win32]
@="C:\\Windows\\System32\\stdole2.tlb"
[HKEY_CLASSES_ROOT\CLSID\{50000000-0000-4000-8000-000000000001}\TypeLib]
@="{aaaa0000-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\CLSID\{50000000-0000-4000-8000-000000000002}\TypeLib]
@=" {BBBB0000-0000-4000-8000-00000000000B} "
[HKEY_CLASSES_ROOT\CLSID\{50000000-0000-4000-8000-000000000003}\TypeLib]
@=""
[HKEY_CLASSES_ROOT\Interface\{C0000000-0000-4000-8000-000000000001}\TypeLib]
@="{BBBB0000-0000-4000-8000-00000000000B}"
"Version"="1.0"
[HKEY_CLASSES_ROOT\Interface\{C0000000-0000-4000-8000-000000000002}\TypeLib]
@="{AAAA0000-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\Interface\{C0000000-0000-4000-8000-000000000003}]
@="IHasNoTypeLib"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{50000000-0000-4000-8000-000000000002}\\TypeLib [] = "
      "{bbbb0000-0000-4000-8000-00000000000b} #103",
      // The interface names the same library in other letter case; data as read.
      "HKCR\\Interface\\{C0000000-0000-4000-8000-000000000001} [] = "
      "{BBBB0000-0000-4000-8000-00000000000B} #103",
      "HKLM\\SOFTWARE\\Classes\\Interface\\{C0000000-0000-4000-8000-000000000001} [] =  #103"));
  // Every interface is shown while the pass runs.
  EXPECT_THAT(ctx.progress, ElementsAre(
      "HKEY_CLASSES_ROOT\\CLSID\\{50000000-0000-4000-8000-000000000001}",
      "HKEY_CLASSES_ROOT\\CLSID\\{50000000-0000-4000-8000-000000000002}",
      "HKEY_CLASSES_ROOT\\CLSID\\{50000000-0000-4000-8000-000000000003}",
      "HKEY_CLASSES_ROOT\\Interface\\{C0000000-0000-4000-8000-000000000001}",
      "HKEY_CLASSES_ROOT\\Interface\\{C0000000-0000-4000-8000-000000000002}",
      "HKEY_CLASSES_ROOT\\Interface\\{C0000000-0000-4000-8000-000000000003}"));
}

TEST_F(ActiveXTest, InterfacesAreLeftAloneWhenNoTypeLibraryWasInvalid) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID\{51000000-0000-4000-8000-000000000001}]
@="Fine"
[HKEY_CLASSES_ROOT\Interface\{C1000000-0000-4000-8000-000000000001}\TypeLib]
@="{DDDD0000-0000-4000-8000-000000000001}"
)");
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_CLASSES_ROOT\\CLSID\\{51000000-0000-4000-8000-000000000001}"));
}

TEST_F(ActiveXTest, HelpFolderWithoutPathIsReportedPerVersion) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID\{60000000-0000-4000-8000-000000000001}]
@="Any class"
[HKEY_CLASSES_ROOT\TypeLib\{EEEE0000-0000-4000-8000-000000000001}\1.0\HELPDIR]
@="C:\\Program Files\\Contoso\\Help"
[HKEY_CLASSES_ROOT\TypeLib\{EEEE0000-0000-4000-8000-000000000001}\2.0\HELPDIR]
@=" "
[HKEY_CLASSES_ROOT\TypeLib\{EEEE0000-0000-4000-8000-000000000001}\2.1\FLAGS]
@="0"
[HKEY_CLASSES_ROOT\TypeLib\{EEEE0000-0000-4000-8000-000000000002}\1.0\HELPDIR]
"Other"="x"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\TypeLib\\{EEEE0000-0000-4000-8000-000000000001}\\2.0\\HELPDIR [] =  #106",
      "HKCR\\TypeLib\\{EEEE0000-0000-4000-8000-000000000002}\\1.0\\HELPDIR [] =  #106"));
}

TEST_F(ActiveXTest, NothingIsCheckedWithoutClasses) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID]
[HKEY_CLASSES_ROOT\TypeLib\{EEEE0000-0000-4000-8000-000000000001}\1.0\HELPDIR]
@=""
)");
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_THAT(ctx.progress, IsEmpty());
}

TEST_F(ActiveXTest, ExcludedClassNamesAreSkippedWithCaseSensitiveMatch) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID\Contoso.Excel.Bridge\InprocServer32]
[HKEY_CLASSES_ROOT\CLSID\Contoso.excel.Viewer\InprocServer32]
[HKEY_CLASSES_ROOT\CLSID\PowerPoint.Show\InprocServer32]
[HKEY_CLASSES_ROOT\CLSID\Word.Document\InprocServer32]
[HKEY_CLASSES_ROOT\CLSID\wrifile\InprocServer32]
)");
  EXPECT_THAT(Scan(), ElementsAre("HKCR\\CLSID\\Contoso.excel.Viewer\\InprocServer32 [] =  #101"));
  EXPECT_THAT(ctx.progress, ElementsAre("HKEY_CLASSES_ROOT\\CLSID\\Contoso.excel.Viewer"));
}

TEST_F(ActiveXTest, ProblemsOfOneClassComeInCheckOrderThenHelpThenInterfaces) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\TypeLib\{EEEE0000-0000-4000-8000-000000000001}\1.0\HELPDIR]
@=""
[HKEY_CLASSES_ROOT\Interface\{C2000000-0000-4000-8000-000000000001}\TypeLib]
@="{FFFF0000-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\CLSID\{70000000-0000-4000-8000-000000000001}]
"AppID"="{FFFF0000-0000-4000-8000-0000000000AA}"
[HKEY_CLASSES_ROOT\CLSID\{70000000-0000-4000-8000-000000000001}\TypeLib]
@="{FFFF0000-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\CLSID\{70000000-0000-4000-8000-000000000001}\LocalServer32]
@="C:\\Gone\\Local.exe"
[HKEY_CLASSES_ROOT\CLSID\{70000000-0000-4000-8000-000000000001}\InprocServer32]
@="C:\\Gone\\Inproc.dll"
[HKEY_CLASSES_ROOT\CLSID\{70000000-0000-4000-8000-000000000001}\ProxyStubClsid32]
[HKEY_CLASSES_ROOT\CLSID\{70000000-0000-4000-8000-000000000002}\InprocServer32]
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{70000000-0000-4000-8000-000000000001} [AppID] = "
      "{FFFF0000-0000-4000-8000-0000000000AA} #104",
      "HKCR\\CLSID\\{70000000-0000-4000-8000-000000000001}\\ProxyStubClsid32 [] =  #105",
      "HKCR\\CLSID\\{70000000-0000-4000-8000-000000000001}\\InprocServer32 [] = C:\\Gone\\Inproc.dll #102",
      "HKCR\\CLSID\\{70000000-0000-4000-8000-000000000001}\\LocalServer32 [] = c:\\gone\\local.exe #102",
      "HKCR\\CLSID\\{70000000-0000-4000-8000-000000000001}\\TypeLib [] = "
      "{ffff0000-0000-4000-8000-000000000001} #103",
      "HKCR\\CLSID\\{70000000-0000-4000-8000-000000000002}\\InprocServer32 [] =  #101",
      "HKCR\\TypeLib\\{EEEE0000-0000-4000-8000-000000000001}\\1.0\\HELPDIR [] =  #106",
      "HKCR\\Interface\\{C2000000-0000-4000-8000-000000000001} [] = "
      "{FFFF0000-0000-4000-8000-000000000001} #103",
      "HKLM\\SOFTWARE\\Classes\\Interface\\{C2000000-0000-4000-8000-000000000001} [] =  #103"));
  for (const auto& p : ctx.problems) EXPECT_EQ(p.access, sys::kMaskAll);
}

TEST_F(ActiveXTest, StopEndsTheClassPassButNotTheHelpAndInterfacePasses) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\TypeLib\{EEEE0000-0000-4000-8000-000000000001}\1.0\HELPDIR]
@=""
[HKEY_CLASSES_ROOT\Interface\{C3000000-0000-4000-8000-000000000001}\TypeLib]
@="{FFFF0000-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\CLSID\{80000000-0000-4000-8000-000000000001}\TypeLib]
@="{FFFF0000-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\CLSID\{80000000-0000-4000-8000-000000000002}\InprocServer32]
[HKEY_CLASSES_ROOT\CLSID\{80000000-0000-4000-8000-000000000003}\InprocServer32]
)");
  ctx.StopAfter(1);
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{80000000-0000-4000-8000-000000000001}\\TypeLib [] = "
      "{ffff0000-0000-4000-8000-000000000001} #103",
      "HKCR\\TypeLib\\{EEEE0000-0000-4000-8000-000000000001}\\1.0\\HELPDIR [] =  #106",
      "HKCR\\Interface\\{C3000000-0000-4000-8000-000000000001} [] = "
      "{FFFF0000-0000-4000-8000-000000000001} #103",
      "HKLM\\SOFTWARE\\Classes\\Interface\\{C3000000-0000-4000-8000-000000000001} [] =  #103"));
  ctx.StopAfter(0);
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\TypeLib\\{EEEE0000-0000-4000-8000-000000000001}\\1.0\\HELPDIR [] =  #106"));
}

TEST_F(ActiveXTest, On64BitWindowsServersAreSeenWithoutRedirectionAndWithFallbacks) {
  // Files placed before WOW64 is on land where their paths say.
  ctx.AddFile("C:\\Windows\\System32\\native64.dll");
  ctx.AddFile("C:\\Windows\\SysWOW64\\only32.dll");
  ctx.AddFile("C:\\Program Files\\Contoso\\app.exe");
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID\{90000000-0000-4000-8000-000000000001}\InprocServer32]
@="C:\\Windows\\System32\\native64.dll"
[HKEY_CLASSES_ROOT\CLSID\{90000000-0000-4000-8000-000000000002}\InprocServer32]
@="C:\\Windows\\System32\\only32.dll"
[HKEY_CLASSES_ROOT\CLSID\{90000000-0000-4000-8000-000000000003}\LocalServer32]
@="\"C:\\Program Files (x86)\\Contoso\\app.exe\" /automation"
[HKEY_CLASSES_ROOT\CLSID\{90000000-0000-4000-8000-000000000004}\InprocServer32]
@="C:\\Windows\\System32\\gone.dll"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{90000000-0000-4000-8000-000000000002}\\InprocServer32 [] = "
      "C:\\Windows\\System32\\only32.dll #102",
      "HKCR\\CLSID\\{90000000-0000-4000-8000-000000000003}\\LocalServer32 [] = "
      "\"c:\\program files (x86)\\contoso\\app.exe\" /automation #102",
      "HKCR\\CLSID\\{90000000-0000-4000-8000-000000000004}\\InprocServer32 [] = "
      "C:\\Windows\\System32\\gone.dll #102"));

  sim.SetWow64(true);
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\CLSID\\{90000000-0000-4000-8000-000000000004}\\InprocServer32 [] = "
      "C:\\Windows\\System32\\gone.dll #102"));
  EXPECT_EQ(ctx.problems[0].access, sys::kMaskAll64);
  // Redirection is back on for the thread afterwards.
  EXPECT_TRUE(sim.system().RedirectionActive());
}

}  // namespace
}  // namespace vl::registry
