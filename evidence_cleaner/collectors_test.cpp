// The general collectors and the locations of each type, on the simulated machine.
#include <gmock/gmock.h>

#include <filesystem>

#include "evidence_cleaner/catalogue.h"
#include "evidence_cleaner/collectors.h"
#include "evidence_cleaner/testing/recording_context.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::evidence::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class CollectorTest : public ::testing::Test {
 protected:
  void Reg(const std::string& body) {
    ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + body));
  }
  void File(const std::string& path, size_t size = 3) {
    const size_t slash = path.rfind('\\');
    sim.files().CreateFolder(path.substr(0, slash));
    ASSERT_TRUE(sim.files().WriteFileBytes(path, std::string(size, 'x'))) << path;
  }
  void Folder(const std::string& path) { ASSERT_TRUE(sim.files().CreateFolder(path)) << path; }
  std::string Special(int csidl) { return sim.shell().FolderByCsidl(csidl); }
  // A host symbolic link at `link` to the folder `target` (both Windows paths).
  void Link(const std::string& link, const std::string& target) {
    std::filesystem::create_directory_symlink(sim.files().HostPath(target), sim.files().HostPath(link));
  }
  std::vector<std::string> Collect(int type) {
    ctx = std::make_unique<RecordingContext>(sim.platform(), type);
    CollectType(*ctx);
    return ctx->Paths();
  }

  sys::SimPlatform sim;
  std::unique_ptr<RecordingContext> ctx;
};

const std::string kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

TEST_F(CollectorTest, ValuesWithDataAreTrimmedAndNamedExactly) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="  http://example.test/ "
@="unnamed"
"url2"=dword:00000005
)reg");
  EXPECT_THAT(Collect(102), ElementsAre(kTyped + "\\url1", kTyped + "\\", kTyped + "\\url2"));
  EXPECT_EQ(ctx->items[0].value, "http://example.test/");
  EXPECT_EQ(ctx->items[0].key, sys::kHKCU);
  EXPECT_EQ(ctx->items[0].kind, kRegistryValue);
  EXPECT_EQ(ctx->items[0].action, kDeleteItem);
  EXPECT_EQ(ItemText(ctx->items[1]), "HKCU\\" + kTyped + "\\(Default)");
  EXPECT_THAT(ctx->hints, ElementsAre("Scanning " + kTyped + "\\url1", "Scanning " + kTyped + "\\(Default)",
                                      "Scanning " + kTyped + "\\url2"));
}

TEST_F(CollectorTest, AMissingKeyGivesNothing) { EXPECT_THAT(Collect(102), IsEmpty()); }

TEST_F(CollectorTest, DownloadDirectoryOfSpacesAddsNothingAPathOneBlankedItem) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer]
"Download Directory"="   "
)reg");
  EXPECT_THAT(Collect(107), IsEmpty());
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer]
"Download Directory"="C:\\Users\\Tester\\Downloads"
)reg");
  EXPECT_THAT(Collect(107), ElementsAre("Software\\Microsoft\\Internet Explorer\\Download Directory"));
  EXPECT_EQ(ctx->items[0].action, kBlankValue);
  EXPECT_EQ(ctx->items[0].value, "C:\\Users\\Tester\\Downloads");
}

TEST_F(CollectorTest, TrayNotifyListsTheTwoStreamsOnceEachWhateverTheirSize) {
  // A large binary value first: it must not end the list.
  std::string big = "hex:";
  for (int i = 0; i < 5000; ++i) big += (i ? ",41" : "41");
  Reg("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify]\n\"IconStreams\"=" +
      big + "\n\"PastIconsStream\"=hex:01,02\n\"Other\"=\"x\"\n");
  const std::string k = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
  EXPECT_THAT(Collect(312), ElementsAre(k + "\\IconStreams", k + "\\PastIconsStream"));
  EXPECT_EQ(ctx->items[0].value, "");
}

TEST_F(CollectorTest, UserAssistListsEachSubkeyOnce) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\UserAssist\{A}\Count]
"x"="1"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\UserAssist\{B}]
)reg");
  const std::string k = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist";
  EXPECT_THAT(Collect(310), ElementsAre(k + "\\{A}", k + "\\{B}"));
  EXPECT_EQ(ctx->items[0].kind, kRegistryKey);
}

TEST_F(CollectorTest, RealDownloadIsListedFromBothRoots) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\RealNetworks\RealDownload]
"a"="one"
[HKEY_LOCAL_MACHINE\Software\RealNetworks\RealDownload]
"b"="two"
)reg");
  Collect(401);
  ASSERT_EQ(ctx->items.size(), 2u);
  EXPECT_EQ(ItemText(ctx->items[0]), "HKCU\\Software\\RealNetworks\\RealDownload\\a");
  EXPECT_EQ(ItemText(ctx->items[1]), "HKLM\\Software\\RealNetworks\\RealDownload\\b");
}

TEST_F(CollectorTest, OfficeTwoVersionsAccessMruAndKeys) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Office\11.0\Word\Data]
"Settings"=hex:01
[HKEY_CURRENT_USER\Software\Microsoft\Office\12.0\Word\Data]
"Settings"=hex:02
[HKEY_CURRENT_USER\Software\Microsoft\Office\12.0\Access\Settings]
"MRU1"=" C:\\a.mdb "
"MRU2"="C:\\b.mdb"
"MRUFlags"=dword:00000001
"Other"="x"
[HKEY_CURRENT_USER\Software\Microsoft\Office\12.0\Common\Open Find\Microsoft Office Excel\Settings]
"x"="y"
)reg");
  const std::string o11 = "Software\\Microsoft\\Office\\11.0", o12 = "Software\\Microsoft\\Office\\12.0";
  EXPECT_THAT(Collect(206),
              ElementsAre(o11 + "\\Word\\Data\\Settings", o12 + "\\Access\\Settings\\MRU1",
                          o12 + "\\Access\\Settings\\MRU2", o12 + "\\Access\\Settings\\MRUFlags",
                          o12 + "\\Common\\Open Find\\Microsoft Office Excel\\Settings", o12 + "\\Word\\Data\\Settings"));
  EXPECT_EQ(ctx->items[1].value, "C:\\a.mdb");
  EXPECT_EQ(ctx->items[3].value, "");
  EXPECT_EQ(ctx->items[4].kind, kRegistryKey);
}

TEST_F(CollectorTest, AcrobatVersionsGiveTheirRecentFileKeys) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Adobe\Acrobat Reader\8.0\AVGeneral\cRecentFiles\c1]
[HKEY_CURRENT_USER\Software\Adobe\Acrobat Reader\8.0\AVGeneral\cRecentFiles\c2]
[HKEY_CURRENT_USER\Software\Adobe\Acrobat Reader\9.0\AVGeneral\cRecentFiles\c1]
[HKEY_CURRENT_USER\Software\Adobe\Acrobat Reader\9.0\AVGeneral\cRecentFiles\c2]
)reg");
  const std::string a = "Software\\Adobe\\Acrobat Reader\\";
  EXPECT_THAT(Collect(215), ElementsAre(a + "8.0\\AVGeneral\\cRecentFiles\\c1", a + "8.0\\AVGeneral\\cRecentFiles\\c2",
                                        a + "9.0\\AVGeneral\\cRecentFiles\\c1", a + "9.0\\AVGeneral\\cRecentFiles\\c2"));
}

TEST_F(CollectorTest, CookieFolderKeepsIndexDatAndLowWhileRecentListsLow) {
  const std::string cookies = Special(0x21) + "\\";
  File(cookies + "index.dat");
  File(cookies + "tester@example[1].txt", 1536);
  Folder(cookies + "Low");
  Folder(cookies + "Other");
  EXPECT_THAT(Collect(103), UnorderedElementsAre(cookies + "tester@example[1].txt", cookies + "Other"));
  for (const auto& i : ctx->items) {
    if (i.kind == kFile) {
      EXPECT_EQ(i.value, "1.5 KB");
    }
  }
  const std::string recent = Special(8) + "\\";
  File(recent + "letter.lnk", 10);
  Folder(recent + "Low");
  EXPECT_THAT(Collect(303), UnorderedElementsAre(recent + "letter.lnk", recent + "Low"));
  for (const auto& i : ctx->items) EXPECT_EQ(i.kind, i.path.find(".lnk") != std::string::npos ? kFile : kFolder);
}

TEST_F(CollectorTest, ExclusionsAreExactNames) {
  const std::string history = Special(0x22) + "\\";
  File(history + "desktop.ini");
  Folder(history + "History.IE5");
  Folder(history + "Low");
  File(history + "visited.dat");
  EXPECT_THAT(Collect(105), ElementsAre(history + "visited.dat"));
  // The names are compared as they are written: other spellings are traces.
  sim.files().RemoveFile(history + "desktop.ini");
  File(history + "Desktop.ini");
  EXPECT_THAT(Collect(105), UnorderedElementsAre(history + "visited.dat", history + "Desktop.ini"));
}

TEST_F(CollectorTest, CacheTreeListsFilesBelowButNeverFoldersOrLinks) {
  const std::string cache = Special(0x20) + "\\Content.IE5\\";
  File(cache + "index.dat");
  File(cache + "AB12\\page[1].htm");
  File(cache + "AB12\\desktop.ini");
  File(cache + "CD34\\deep\\pic.png");
  Folder("C:\\Outside");
  File("C:\\Outside\\precious.txt");
  Link(cache + "Linked", "C:\\Outside");
  EXPECT_THAT(Collect(101), UnorderedElementsAre(cache + "AB12\\page[1].htm", cache + "CD34\\deep\\pic.png"));
}

TEST_F(CollectorTest, FavoritesTakeOnlyUrlFilesOfBothFolders) {
  sim.shell().SetFolder(0x1F, "C:\\Users\\Public\\Favorites");
  File("C:\\Users\\Public\\Favorites\\Shared.URL");
  const std::string user = Special(6) + "\\";
  File(user + "Links\\site.url");
  File(user + "notes.txt");
  File(user + "url");
  EXPECT_THAT(Collect(104), ElementsAre("C:\\Users\\Public\\Favorites\\Shared.URL", user + "Links\\site.url"));
}

TEST_F(CollectorTest, OperaWithoutDownloadDatListsTheHistoryOnly) {
  const std::string opera = Special(0x1A) + "\\Opera\\Opera\\";
  File(opera + "global_history.dat");
  EXPECT_THAT(Collect(408), ElementsAre(opera + "global_history.dat"));
}

TEST_F(CollectorTest, ChromeHistoryFilesAndCookiesAtBothPlaces) {
  const std::string d = Special(0x1C) + "\\Google\\Chrome\\User Data\\Default\\";
  File(d + "History");
  File(d + "History-journal");
  File(d + "Bookmarks");
  Folder(d + "History Provider Cache");
  EXPECT_THAT(Collect(411), UnorderedElementsAre(d + "History", d + "History-journal"));
  File(d + "Cookies");
  File(d + "Network\\Cookies");
  EXPECT_THAT(Collect(412), ElementsAre(d + "Cookies", d + "Network\\Cookies"));
}

TEST_F(CollectorTest, AStopEndsAFolderWalkWithTheItemsFoundSoFar) {
  const std::string cache = Special(0x20) + "\\Content.IE5\\";
  for (int i = 0; i < 5; ++i) File(cache + "f" + std::to_string(i));
  ctx = std::make_unique<RecordingContext>(sim.platform(), 101);
  ctx->stopAfterItems = 2;
  CollectType(*ctx);
  EXPECT_EQ(ctx->items.size(), 2u);
}

TEST_F(CollectorTest, TypesOutsideTheCatalogueFindNothing) {
  EXPECT_FALSE(KnownType(207));
  EXPECT_FALSE(KnownType(302));
  EXPECT_THAT(Collect(999), IsEmpty());
}

}  // namespace
}  // namespace vl::evidence::testing
