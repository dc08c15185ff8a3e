// Category 6: file types and program ids of the classes root.
#include <gmock/gmock.h>

#include "registry_cleaner/check_classes_testing.h"
#include "registry_cleaner/scan_types.h"
#include "registry_cleaner/testing/recording_context.h"

namespace vl::registry {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Describe;

class FileAssociationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.AddFile("C:\\Windows\\System32\\imageres.dll");
    ctx.AddFile("C:\\Program Files\\Contoso\\Viewer\\viewer.exe");
    ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\CLSID\{A0000000-0000-4000-8000-000000000001}]
@="Contoso Viewer Document"
)");
  }
  std::vector<std::string> Scan() { return Describe(ctx.Run(kFileAssociations)); }

  sys::SimPlatform sim;
  testing::RecordingContext ctx{sim};
};

TEST_F(FileAssociationsTest, ClassIdMustNameARegisteredClassInAnyLetterCase) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\Contoso.Doc.1\CLSID]
@="{a0000000-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\Contoso.Doc.2\CLSID]
@=" {B0000000-0000-4000-8000-000000000009} "
[HKEY_CLASSES_ROOT\Contoso.Doc.3\CLSID]
"Other"="x"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\Contoso.Doc.2\\CLSID [] = {B0000000-0000-4000-8000-000000000009} #202",
      "HKCR\\Contoso.Doc.3\\CLSID [] =  #202"));
  for (const auto& p : ctx.problems) EXPECT_EQ(p.access, sys::kMaskAll);
}

TEST_F(FileAssociationsTest, DefaultIconIsTestedOnItsFileWithoutTheIndex) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\Contoso.Icon.1\DefaultIcon]
@="%SystemRoot%\\system32\\imageres.dll,-3"
[HKEY_CLASSES_ROOT\Contoso.Icon.2\DefaultIcon]
@="\"C:\\Program Files\\Contoso\\Viewer\\Viewer.exe\",0"
[HKEY_CLASSES_ROOT\Contoso.Icon.3\DefaultIcon]
@="C:\\Program Files\\Contoso\\Gone\\gone.ico"
[HKEY_CLASSES_ROOT\Contoso.Icon.4\DefaultIcon]
@="%1"
[HKEY_CLASSES_ROOT\Contoso.Icon.5\DefaultIcon]
@="\"%1\",0"
[HKEY_CLASSES_ROOT\Contoso.Icon.6\DefaultIcon]
[HKEY_CLASSES_ROOT\Contoso.Icon.7\DefaultIcon]
@="\\??\\C:\\Program Files\\Contoso\\Viewer\\viewer.exe"
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\Contoso.Icon.3\\DefaultIcon [] = C:\\Program Files\\Contoso\\Gone\\gone.ico #206",
      // No file named at all.
      "HKCR\\Contoso.Icon.6\\DefaultIcon [] =  #206",
      "HKCR\\Contoso.Icon.7\\DefaultIcon [] = "
      "\\??\\C:\\Program Files\\Contoso\\Viewer\\viewer.exe #206"));
}

TEST_F(FileAssociationsTest, ShellVerbsNeedCommandsThatNameExistingPrograms) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\Contoso.Noverbs\shell]
@="open"
[HKEY_CLASSES_ROOT\Contoso.Verbs\Shell\edit]
"MUIVerb"="Edit"
[HKEY_CLASSES_ROOT\Contoso.Verbs\Shell\open\command]
@="\"C:\\Program Files\\Contoso\\Viewer\\viewer.exe\" \"%1\""
[HKEY_CLASSES_ROOT\Contoso.Verbs\Shell\print\command]
@="\"C:\\Program Files\\Contoso\\Gone\\print.exe\" /p \"%1\""
[HKEY_CLASSES_ROOT\Contoso.Verbs\Shell\run\command]
@="\"%1\" %*"
[HKEY_CLASSES_ROOT\Contoso.Verbs\Shell\runas\command]
@="%1 %*"
[HKEY_CLASSES_ROOT\Contoso.Verbs\Shell\show\command]
@="notepad.exe \"%1\""
[HKEY_CLASSES_ROOT\Contoso.Verbs\Shell\zempty\command]
@=" "
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\Contoso.Noverbs\\Shell [] =  #203",
      "HKCR\\Contoso.Verbs\\Shell\\edit [] =  #203",
      "HKCR\\Contoso.Verbs\\Shell\\print\\Command [] = "
      "\"C:\\Program Files\\Contoso\\Gone\\print.exe\" /p \"%1\" #205",
      "HKCR\\Contoso.Verbs\\Shell\\zempty\\Command [] =  #204"));
}

TEST_F(FileAssociationsTest, VerbsRunByHandlersOrDdeAreNotProblems) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\Contoso.Modern\Shell\open]
"DelegateExecute"="{11111111-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\Contoso.Modern\Shell\open2\command]
@=""
"DelegateExecute"="{11111111-0000-4000-8000-000000000001}"
[HKEY_CLASSES_ROOT\Contoso.Modern\Shell\pin]
"ExplorerCommandHandler"="{11111111-0000-4000-8000-000000000002}"
[HKEY_CLASSES_ROOT\Contoso.Modern\Shell\dde\ddeexec]
@="[ViewFolder(\"%l\")]"
[HKEY_CLASSES_ROOT\Contoso.Modern\Shell\broken]
"MUIVerb"="Broken"
)");
  EXPECT_THAT(Scan(), ElementsAre("HKCR\\Contoso.Modern\\Shell\\broken [] =  #203"));
}

TEST_F(FileAssociationsTest, ExtensionsClsidAndExcludedTypesAreSkipped) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\.abc\Shell]
[HKEY_CLASSES_ROOT\CLSID\{A0000000-0000-4000-8000-000000000001}\Shell]
[HKEY_CLASSES_ROOT\*\Shell]
[HKEY_CLASSES_ROOT\Applications\viewer.exe\Shell]
[HKEY_CLASSES_ROOT\Contoso.Folder\Shell]
[HKEY_CLASSES_ROOT\exefile\Shell]
[HKEY_CLASSES_ROOT\Microsoft.Contoso\Shell]
[HKEY_CLASSES_ROOT\SystemFileAssociations\Shell]
[HKEY_CLASSES_ROOT\Word.Document.8\Shell]
[HKEY_CLASSES_ROOT\Wow6432Node\Shell]
[HKEY_CLASSES_ROOT\contoso.folderview\Shell]
[HKEY_CLASSES_ROOT\Exefile2\Shell]
)");
  // Matched in their own letter case: "contoso.folderview" and "Exefile2" are not excluded.
  EXPECT_THAT(Scan(), ElementsAre("HKCR\\contoso.folderview\\Shell [] =  #203",
                                  "HKCR\\Exefile2\\Shell [] =  #203",
                                  "HKCR\\SystemFileAssociations\\Shell [] =  #203"));
  // Excluded types are still shown; extensions and CLSID are not.
  EXPECT_THAT(ctx.progress, ElementsAre(
      "HKEY_CLASSES_ROOT\\*", "HKEY_CLASSES_ROOT\\Applications",
      "HKEY_CLASSES_ROOT\\Contoso.Folder", "HKEY_CLASSES_ROOT\\contoso.folderview",
      "HKEY_CLASSES_ROOT\\exefile", "HKEY_CLASSES_ROOT\\Exefile2",
      "HKEY_CLASSES_ROOT\\Microsoft.Contoso",
      "HKEY_CLASSES_ROOT\\SystemFileAssociations", "HKEY_CLASSES_ROOT\\Word.Document.8",
      "HKEY_CLASSES_ROOT\\Wow6432Node"));
}

TEST_F(FileAssociationsTest, ProblemsOfOneTypeComeInCheckOrder) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\Contoso.All\Shell]
[HKEY_CLASSES_ROOT\Contoso.All\DefaultIcon]
@="C:\\Gone\\icon.ico"
[HKEY_CLASSES_ROOT\Contoso.All\CLSID]
@="{B0000000-0000-4000-8000-000000000009}"
[HKEY_CLASSES_ROOT\Contoso.Bad\CLSID]
@=""
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\Contoso.All\\CLSID [] = {B0000000-0000-4000-8000-000000000009} #202",
      "HKCR\\Contoso.All\\DefaultIcon [] = C:\\Gone\\icon.ico #206",
      "HKCR\\Contoso.All\\Shell [] =  #203",
      "HKCR\\Contoso.Bad\\CLSID [] =  #202"));
}

TEST_F(FileAssociationsTest, StopEndsTheWalkAtTheNextType) {
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\Contoso.A\Shell]
[HKEY_CLASSES_ROOT\Contoso.B\Shell]
[HKEY_CLASSES_ROOT\Contoso.C\Shell]
)");
  ctx.StopAfter(2);
  EXPECT_THAT(Scan(), ElementsAre("HKCR\\Contoso.A\\Shell [] =  #203",
                                  "HKCR\\Contoso.B\\Shell [] =  #203"));
  EXPECT_EQ(ctx.progress.size(), 2u);
}

TEST_F(FileAssociationsTest, On64BitWindowsFilesAreSeenWithoutRedirectionAndWithFallbacks) {
  ctx.AddFile("C:\\Windows\\System32\\native64.exe");
  ctx.AddFile("C:\\Windows\\SysWOW64\\only32.dll");
  ctx.LoadReg(R"(REGEDIT4
[HKEY_CLASSES_ROOT\Contoso.Wow\DefaultIcon]
@="C:\\Windows\\System32\\only32.dll,2"
[HKEY_CLASSES_ROOT\Contoso.Wow\Shell\open\command]
@="C:\\Windows\\System32\\native64.exe \"%1\""
[HKEY_CLASSES_ROOT\Contoso.Wow\Shell\view\command]
@="\"C:\\Program Files (x86)\\Contoso\\Viewer\\viewer.exe\" \"%1\""
)");
  EXPECT_THAT(Scan(), ElementsAre(
      "HKCR\\Contoso.Wow\\DefaultIcon [] = C:\\Windows\\System32\\only32.dll,2 #206",
      "HKCR\\Contoso.Wow\\Shell\\view\\Command [] = "
      "\"C:\\Program Files (x86)\\Contoso\\Viewer\\viewer.exe\" \"%1\" #205"));
  sim.SetWow64(true);
  EXPECT_THAT(Scan(), IsEmpty());
  EXPECT_TRUE(sim.system().RedirectionActive());
}

}  // namespace
}  // namespace vl::registry
