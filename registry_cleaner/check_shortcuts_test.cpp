// Category 7: shortcut files whose target is gone.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "registry_cleaner/check_refs_testing.h"

namespace vl::registry::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::string kUserMenu = "C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
const std::string kCommonMenu = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
const std::string kDesktop = "C:\\Users\\Tester\\Desktop";

class ShortcutsTest : public RefsCheckTest {
 protected:
  void Link(const std::string& path, const std::string& target, bool linkInfo = true) {
    ctx.AddFile(path, ShortcutBytes(target, linkInfo));
  }
  // Category 7 files carry the file path, the placeholder root and no access mask.
  static std::string Problem(const std::string& file, const std::string& path) {
    return "HKU|" + file + "||" + path + "|201|0";
  }
};

TEST_F(ShortcutsTest, ReportsEachShortcutToAMissingTargetOnceThoughTwoFoldersOfTheSetHoldIt) {
  Link(kUserMenu + "\\Programs\\App\\App.lnk", "C:\\Program Files\\App\\App.exe");
  Link(kCommonMenu + "\\Programs\\Tool.lnk", "C:\\Program Files\\Tool\\tool.exe");
  Link(kDesktop + "\\Good.lnk", "C:\\Program Files\\Good\\good.exe");
  File("C:\\Program Files\\Good\\good.exe");
  // Walk order: common programs, Start menu (with its Programs), common Start
  // menu (whose Programs was walked first), desktop, programs (walked) ...
  EXPECT_THAT(Run(kShortcuts),
              ElementsAre(Problem(kCommonMenu + "\\Programs\\Tool.lnk", "c:\\program files\\tool\\tool.exe"),
                          Problem(kUserMenu + "\\Programs\\App\\App.lnk", "c:\\program files\\app\\app.exe")));
}

TEST_F(ShortcutsTest, EveryFolderOfTheSetIsWalked) {
  const std::string folders[] = {
      "C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Recent",
      "C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\SendTo",
      "C:\\Users\\Public\\Desktop",
      kDesktop,
  };
  for (const std::string& f : folders) Link(f + "\\x.lnk", "C:\\Gone\\x.txt");
  // Folders outside the set are not looked at.
  Link("C:\\Users\\Tester\\Documents\\x.lnk", "C:\\Gone\\x.txt");
  Link("C:\\Users\\Tester\\Favorites\\x.lnk", "C:\\Gone\\x.txt");
  EXPECT_THAT(Run(kShortcuts), ElementsAre(Problem(kDesktop + "\\x.lnk", "c:\\gone\\x.txt"),
                                           Problem(folders[0] + "\\x.lnk", "c:\\gone\\x.txt"),
                                           Problem(folders[1] + "\\x.lnk", "c:\\gone\\x.txt"),
                                           Problem(folders[2] + "\\x.lnk", "c:\\gone\\x.txt")));
}

TEST_F(ShortcutsTest, WhatIsNotABrokenFileShortcutIsLeftAlone) {
  Folder("C:\\Program Files\\App\\Data");
  Link(kDesktop + "\\Folder.lnk", "C:\\Program Files\\App\\Data");       // folder target
  Link(kDesktop + "\\NoTarget.lnk", "");                                  // no file target
  Link(kDesktop + "\\Control.lnk", "C:\\Gone\\a.exe", false);             // no link info
  ctx.AddFile(kDesktop + "\\Damaged.lnk", "not a shortcut");
  ctx.AddFile(kDesktop + "\\Note.txt", ShortcutBytes("C:\\Gone\\b.exe"));  // not a .lnk name
  Link(kDesktop + "\\Upper.LNK", "C:\\Gone\\c.exe");                      // extension in any case
  EXPECT_THAT(Run(kShortcuts), ElementsAre(Problem(kDesktop + "\\Upper.LNK", "c:\\gone\\c.exe")));
}

TEST_F(ShortcutsTest, ATargetIsAPathWhoseCommasBelongToIt) {
  // A shortcut's target is a path, not a command line: no comma ends it,
  // and a network target is never reported (the share may be offline).
  Link(kDesktop + "\\Report.lnk", "C:\\Docs\\Report, final.doc");
  File("C:\\Docs\\Report, final.doc");
  Link(kDesktop + "\\Gone.lnk", "C:\\Docs\\Q1, gone.xlsx");
  Link(kDesktop + "\\Share.lnk", "\\\\server\\share\\a.doc");
  EXPECT_THAT(Run(kShortcuts), ElementsAre(Problem(kDesktop + "\\Gone.lnk", "c:\\docs\\q1, gone.xlsx")));
}

TEST_F(ShortcutsTest, WalksDepthFirstAndShowsEveryEntryDotsIncluded) {
  Link(kDesktop + "\\A\\x.lnk", "C:\\Gone\\x.exe");
  File(kDesktop + "\\b.txt");
  Run(kShortcuts);
  std::vector<std::string> desktop;
  for (const std::string& line : ctx.progress)
    if (line.rfind(kDesktop + "\\", 0) == 0) desktop.push_back(line.substr(kDesktop.size() + 1));
  EXPECT_THAT(desktop, ElementsAre(".", "..", "A", "A\\.", "A\\..", "A\\x.lnk", "b.txt"));
  EXPECT_EQ(ctx.progress.front(), kCommonMenu + "\\Programs\\.");
}

TEST_F(ShortcutsTest, StopEndsTheWalkAtTheNextEntry) {
  Link(kDesktop + "\\a.lnk", "C:\\Gone\\a.exe");
  Link(kDesktop + "\\b.lnk", "C:\\Gone\\b.exe");
  Run(kShortcuts);
  const size_t all = ctx.progress.size();
  auto at = std::find(ctx.progress.begin(), ctx.progress.end(), kDesktop + "\\a.lnk");
  ASSERT_NE(at, ctx.progress.end());
  const int upToA = static_cast<int>(at - ctx.progress.begin()) + 1;
  ctx.StopAfter(upToA);
  EXPECT_THAT(Run(kShortcuts), ElementsAre(Problem(kDesktop + "\\a.lnk", "c:\\gone\\a.exe")));
  EXPECT_EQ(ctx.progress.size(), static_cast<size_t>(upToA));
  EXPECT_LT(ctx.progress.size(), all);
}

TEST_F(ShortcutsTest, FolderPathsAreTidiedAndMissingFoldersSkipped) {
  sim.shell().SetFolder(25, "C:\\Users\\\\Public\\Desktop");
  Link("C:\\Users\\Public\\Desktop\\x.lnk", "C:\\Gone\\x.exe");
  // A folder the system lacks is not walked (it would be the drive root).
  sim.shell().SetFolder(8, "");
  Link("C:\\Stray\\y.lnk", "C:\\Gone\\y.exe");
  EXPECT_THAT(Run(kShortcuts), ElementsAre(Problem("C:\\Users\\Public\\Desktop\\x.lnk", "c:\\gone\\x.exe")));
  for (const std::string& line : ctx.progress) EXPECT_THAT(line, StartsWith("C:\\")) << line;
}

TEST_F(ShortcutsTest, LinkedFoldersAreNotEntered) {
  Link("C:\\Elsewhere\\z.lnk", "C:\\Gone\\z.exe");
  std::error_code ec;
  std::filesystem::create_directory_symlink(sim.files().HostPath("C:\\Elsewhere"),
                                            sim.files().HostPath(kDesktop) + "/Linked", ec);
  ASSERT_FALSE(ec) << ec.message();
  EXPECT_THAT(Run(kShortcuts), IsEmpty());
  EXPECT_THAT(ctx.progress, Contains(kDesktop + "\\Linked"));
}

TEST_F(ShortcutsTest, On64BitWindowsThereIsNoFallbackButRedirectionIsOff) {
  sim.SetWow64(true);
  NativeFile("C:\\Windows\\System32\\native.exe");
  File("C:\\Windows\\SysWOW64\\wow.exe");
  File("C:\\Program Files\\App\\app.exe");
  Link(kDesktop + "\\native.lnk", "C:\\Windows\\System32\\native.exe");
  Link(kDesktop + "\\wow.lnk", "C:\\Windows\\System32\\wow.exe");
  Link(kDesktop + "\\x86.lnk", "C:\\Program Files (x86)\\App\\app.exe");
  EXPECT_THAT(Run(kShortcuts),
              ElementsAre(Problem(kDesktop + "\\wow.lnk", "c:\\windows\\system32\\wow.exe"),
                          Problem(kDesktop + "\\x86.lnk", "c:\\program files (x86)\\app\\app.exe")));
  EXPECT_TRUE(sim.system().RedirectionActive());
}

// Shortcut files written by the Windows shell link object.
TEST_F(ShortcutsTest, ReadsShortcutsMadeByTheShell) {
  std::string here = __FILE__;
  std::ifstream in(here.substr(0, here.rfind('/')) + "/../sysaccess/testdata/plain.lnk", std::ios::binary);
  if (!in) GTEST_SKIP() << "no shell-made shortcut fixture";
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ctx.AddFile(kDesktop + "\\plain.lnk", bytes);
  const std::string target = "C:\\users\\root\\Temp\\vl_test_6\\Apps\\tool.exe";
  EXPECT_THAT(Run(kShortcuts), ElementsAre(Problem(kDesktop + "\\plain.lnk", sys::ToLowerText(target))));
  File(target);
  EXPECT_THAT(Run(kShortcuts), IsEmpty());
}

}  // namespace
}  // namespace vl::registry::testing
