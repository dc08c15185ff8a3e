// The evidence cleaner in the main window: the tree, the scan with one
// worker per checked type, the result and detail lists, the removal and
// the finish list, the report.
#include "evidence_cleaner/evidence_cleaner.h"

#include <gmock/gmock.h>

#include "app/page_codes.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "store/database.h"
#include "store/seed_data.h"
#include "sysaccess/registry.h"

namespace vl::evidence {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class EvidenceCleanerTest : public vl::testing::AppFixture {
 protected:
  void SetUp() override {
    Start();
    ec = features.evidence;
    ASSERT_NE(ec, nullptr);
    main->ShowPage(page::kEvidenceOptions);
  }
  // A file with its folders.
  void Put(const std::string& path, const std::string& text) {
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    WriteFile(path, text);
  }
  void Reg(const std::string& body) {
    ASSERT_TRUE(sim.LoadReg("Windows Registry Editor Version 5.00\r\n\r\n" + body));
  }
  ui::NodeKey Node(const std::string& text) {
    ui::NodeKey k = ec->FindNode(text);
    EXPECT_NE(k, ui::kTreeRoot) << text;
    return k;
  }
  void Click(const std::string& text, bool checked) {
    main->control(id::treeEvidence).UserChecksNode(Node(text), checked);
  }
  bool IsChecked(const std::string& text) { return ec->Checked(Node(text)); }
  // Only these types checked (their groups left unchecked).
  void OnlyTypes(std::initializer_list<const char*> names) {
    Click("My Computer", false);
    for (const char* n : names) Click(n, true);
  }
  std::vector<int32_t> ScannedTypes() {
    std::vector<int32_t> out;
    for (TSearchEvidence* r : EvidenceRecords(*main)) out.push_back(r->typeNo);
    return out;
  }
  TSearchEvidence* RecordOf(int32_t type) {
    for (TSearchEvidence* r : EvidenceRecords(*main))
      if (r->typeNo == type) return r;
    return nullptr;
  }
  void Scan() {
    main->control(id::imgEviScan).Click();
    Drain();
  }
  std::string Cell(id::ControlId list, int row, int col) { return main->control(list).rowProvider(row, col).text; }
  void ShowResultRow(int row) {
    main->control(id::lstvEResult).SetSelected(row);
    main->control(id::lstvEResult).onItemClick(row);
  }
  bool ValueExists(const std::string& key, const std::string& name) {
    sys::Registry reg(sim.registry());
    return reg.ValueExistsExact(sys::kHKCU, key, name, sys::kMaskAll);
  }

  EvidenceCleaner* ec = nullptr;
};

const std::string kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const std::string kUserAssist = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist";

TEST_F(EvidenceCleanerTest, TheTreeHoldsTheFourGroupsAndEveryOfferedTypeAllChecked) {
  const auto& nodes = ec->nodes();
  ASSERT_FALSE(nodes.empty());
  EXPECT_EQ(nodes[0].text, "My Computer");
  std::vector<std::string> groups;
  size_t types = 0;
  for (ui::NodeKey g : nodes[0].children) {
    groups.push_back(nodes[g].text);
    types += nodes[g].children.size();
  }
  EXPECT_THAT(groups, ElementsAre("Internet Explorer", "Windows Software", "Windows System", "Internet Software"));
  // The catalogue's types and those added since, which reach every data.db.
  EXPECT_EQ(types, 52u + store::kAddedEvidenceTypes.size());
  // Every node but the types that erase what the user made.
  for (const auto& n : nodes)
    EXPECT_EQ(n.checked, !(n.hasData && (n.data.no == 104 || n.data.no == 109 || n.data.no == 433))) << n.text;
  EXPECT_TRUE(Checked(id::chkESelectAll));
}

TEST_F(EvidenceCleanerTest, NodesShowTheComputerTheGroupsAndTheCataloguesImage) {
  const auto& pictures = main->control(id::treeEvidence).treePictures;
  ASSERT_EQ(pictures.size(), 6u);
  EXPECT_EQ(ec->Image(Node("My Computer")), 0);
  EXPECT_EQ(ec->Image(Node("Internet Explorer")), 1);
  EXPECT_EQ(ec->Image(Node("Internet Software")), 4);
  EXPECT_EQ(ec->Image(Node("Cookies")), 5);  // every seed row says 5
  // The catalogue's number is taken as it stands; a negative one gives no picture.
  {
    auto c = store::OpenDatabase(sim.files().NativePath("C:\\Vantorel\\data.db"));
    store::RunStatement(c, "update evidencetype set imgidx=2 where no=101");
    store::RunStatement(c, "update evidencetype set imgidx=-3 where no=102");
  }
  ec->BuildTree();
  EXPECT_EQ(ec->Image(Node("Cache")), 2);
  EXPECT_EQ(ec->Image(Node("Address Bar History")), -1);
  EXPECT_EQ(ec->Image(ui::kTreeRoot), -1);
}

TEST_F(EvidenceCleanerTest, WithoutTheDatabaseTheTreeIsTheRootAloneAndAScanIsRefused) {
  sim.files().RemoveFile("C:\\Vantorel\\data.db");
  ec->BuildTree();
  ASSERT_EQ(ec->nodes().size(), 1u);
  main->control(id::imgEviScan).Click();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Please select the evidence you want to scan.");
  EXPECT_EQ(ports.messages[0].caption, "Error");
  EXPECT_EQ(main->currentPage(), page::kEvidenceOptions);
}

TEST_F(EvidenceCleanerTest, AGroupClickSetsItsTypesAndTheGroupIsNotRecomputed) {
  Click("Cookies", false);
  EXPECT_TRUE(IsChecked("Internet Explorer"));
  Click("Internet Explorer", false);
  EXPECT_FALSE(IsChecked("Internet Explorer"));
  EXPECT_FALSE(IsChecked("Cache"));
  EXPECT_FALSE(IsChecked("Saved Passwords"));
  Click("Internet Explorer", true);
  EXPECT_TRUE(IsChecked("Cookies"));
  main->control(id::chkESelectAll).Click();
  for (const auto& n : ec->nodes()) EXPECT_FALSE(n.checked) << n.text;
}

TEST_F(EvidenceCleanerTest, OneWorkerPerCheckedTypeOfTheGroupInTreeOrder) {
  Click("My Computer", false);
  Click("Internet Explorer", true);
  Scan();
  EXPECT_THAT(ScannedTypes(), ElementsAre(101, 102, 103, 104, 105, 106, 107, 108, 109));
  EXPECT_EQ(main->currentPage(), page::kEvidenceResult);
  EXPECT_EQ(Cell(id::lstvEResult, 0, 0), "Internet Explorer - Cache");
  EXPECT_EQ(Cell(id::lstvEResult, 8, 0), "Internet Explorer - Saved Passwords");
}

TEST_F(EvidenceCleanerTest, ACheckedGroupWhoseTypesWereUncheckedStartsNothing) {
  OnlyTypes({"Run History"});
  Click("Internet Explorer", true);
  for (const char* t : {"Cache", "Address Bar History", "Cookies", "Favorites Export File", "History (Visited sites)",
                        "AutoComplete Data", "Download Directory", "Save Directory", "Saved Passwords"})
    Click(t, false);
  EXPECT_TRUE(IsChecked("Internet Explorer"));
  ports.messages.clear();  // the warnings of the two kept types
  Scan();
  EXPECT_THAT(ScannedTypes(), ElementsAre(301));
  Click("Run History", false);
  main->control(id::imgEviScan).Click();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Please select the evidence you want to scan.");
}

TEST_F(EvidenceCleanerTest, NothingFoundStillShowsTheResultPageWithZeros) {
  Scan();
  // Every type but the three that start unticked.
  const int scanned = static_cast<int>(52 + store::kAddedEvidenceTypes.size() - 3);
  EXPECT_EQ(ScannedTypes().size(), static_cast<size_t>(scanned));
  EXPECT_EQ(main->currentPage(), page::kEvidenceResult);
  EXPECT_FALSE(main->busy());
  for (int row = 0; row < scanned; ++row) EXPECT_EQ(Cell(id::lstvEResult, row, 1), "0");
  EXPECT_EQ(Text(id::labEvidenceRDesc),
            "0 item(s) detected. Click on the following items to view the privacy information details.");
  EXPECT_EQ(Text(id::labStatus_Evidence), "0 Item(s)");
  EXPECT_EQ(main->control(id::lstvEResult).selected(), 0);
}

TEST_F(EvidenceCleanerTest, AHistoryTheRunningBrowserHoldsIsNamedAtTheScansEndNotShownAsEmpty) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://one.test/"
)reg");
  const std::string profile = "C:\\Users\\Tester\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\a1.default\\";
  sim.files().CreateFolder(profile);
  store::Connection browser = store::OpenDatabase(sim.files().NativePath(profile + "places.sqlite"));
  store::RunStatement(browser, "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT)");
  store::RunStatement(browser, "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER)");
  store::RunStatement(browser, "INSERT INTO moz_places VALUES (1,'http://127.0.0.1/','x')");
  store::RunStatement(browser, "INSERT INTO moz_historyvisits VALUES (1,1)");
  store::RunQuery(browser, "PRAGMA locking_mode=EXCLUSIVE");
  store::RunStatement(browser, "BEGIN EXCLUSIVE");
  OnlyTypes({"Address Bar History", "Firefox History"});
  Scan();
  EXPECT_EQ(main->currentPage(), page::kEvidenceResult);
  EXPECT_EQ(Text(id::labStatus_Evidence), "1 Item(s)");
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text,
            "Firefox History: Firefox is running and holds its data. Close Firefox and scan again.");
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Warning);
  store::RunStatement(browser, "COMMIT");
  browser.Close();
  // Closed, it reads; the next scan shows no warning.
  main->ShowPage(page::kEvidenceOptions);
  Scan();
  EXPECT_EQ(Text(id::labStatus_Evidence), "2 Item(s)");
  EXPECT_EQ(ports.messages.size(), 1u);
}

TEST_F(EvidenceCleanerTest, TheResultShowsTheFirstRowsItemsAndCountsTheTotal) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://one.test/"
"url2"="http://two.test/"
)reg");
  OnlyTypes({"Address Bar History", "Run History"});
  Scan();
  EXPECT_EQ(Text(id::labStatus_Evidence), "2 Item(s)");
  ui::Control& desc = main->control(id::lstvEResultDesc);
  ASSERT_EQ(desc.rowCount(), 2);
  EXPECT_EQ(Cell(id::lstvEResultDesc, 0, 0), "1");
  EXPECT_EQ(Cell(id::lstvEResultDesc, 1, 0), "2");
  EXPECT_EQ(Cell(id::lstvEResultDesc, 0, 1), "HKCU\\" + kTyped + "\\url1");
  EXPECT_EQ(Cell(id::lstvEResultDesc, 0, 2), "http://one.test/");
  EXPECT_EQ(desc.columns[2].caption, "Value");
  EXPECT_EQ(desc.columns[1].width, 380);
  EXPECT_EQ(desc.rowProvider(0, 0).image, 1);
}

TEST_F(EvidenceCleanerTest, TheDetailLayoutFollowsTheType) {
  Put("C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\a.lnk", "0123456789");
  OnlyTypes({"Recent Files", "TrayNotify", "Run History"});
  Scan();
  // Tree order: Run History, Recent Files, TrayNotify.
  ui::Control& desc = main->control(id::lstvEResultDesc);
  EXPECT_EQ(desc.columns[2].caption, "Value");
  EXPECT_EQ(desc.columns[2].width, 250);
  EXPECT_EQ(desc.columns[1].width, 380);
  ShowResultRow(1);
  EXPECT_EQ(desc.columns[2].caption, "Size");
  EXPECT_EQ(desc.columns[2].width, 80);
  EXPECT_EQ(desc.columns[1].width, 550);
  EXPECT_EQ(Cell(id::lstvEResultDesc, 0, 2), "10 B");
  ShowResultRow(2);
  EXPECT_EQ(desc.columns[2].width, 0);
  EXPECT_EQ(desc.columns[2].caption, "Size");  // a hidden column keeps its caption
  EXPECT_EQ(desc.columns[1].width, 630);
}

TEST_F(EvidenceCleanerTest, UntickedItemsStayWhenCleanIsClickedRightAway) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://one.test/"
"url2"="http://two.test/"
"url3"="http://three.test/"
)reg");
  OnlyTypes({"Address Bar History"});
  Scan();
  // The user unticks the second address and clicks Clean; the focus never moved.
  main->control(id::lstvEResultDesc).onMouseDown(1, true);
  main->control(id::imgEClean).Click();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Are you sure you want to delete the specified evidence?");
  EXPECT_EQ(ports.messages[0].caption, "Confirm");
  Drain();
  EXPECT_EQ(main->currentPage(), page::kEvidenceFinish);
  EXPECT_FALSE(ValueExists(kTyped, "url1"));
  EXPECT_TRUE(ValueExists(kTyped, "url2"));
  EXPECT_FALSE(ValueExists(kTyped, "url3"));
  EXPECT_EQ(Cell(id::lstvEFinish, 0, 0), "Internet Explorer - Address Bar History");
  EXPECT_EQ(Cell(id::lstvEFinish, 0, 1), "3");
  EXPECT_EQ(Cell(id::lstvEFinish, 0, 2), "2");
  EXPECT_TRUE(main->control(id::lstvEFinish).rowProvider(0, 2).bold);
}

TEST_F(EvidenceCleanerTest, UntickedItemsSurviveSwitchingRows) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://one.test/"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU]
"a"="notepad\\1"
)reg");
  OnlyTypes({"Address Bar History", "Run History"});
  Scan();
  main->control(id::lstvEResultDesc).onMouseDown(0, true);
  ShowResultRow(1);
  ShowResultRow(0);
  EXPECT_EQ(main->control(id::lstvEResultDesc).rowProvider(0, 0).image, 0);
  ports.answers.push_back(MsgAnswer::No);
  main->control(id::imgEClean).Click();
  Drain();
  EXPECT_EQ(main->currentPage(), page::kEvidenceResult);
  EXPECT_TRUE(ValueExists(kTyped, "url1"));
}

TEST_F(EvidenceCleanerTest, RemovalBlanksDeletesKeysWithTheirTreesAndFoldersWithTheirContent) {
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer]
"Download Directory"="C:\\Users\\Tester\\Downloads"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\UserAssist\{A}\Count]
"x"="1"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\UserAssist\{A}\Count\Deeper]
)reg");
  const std::string cookies = "C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Cookies\\";
  Put(cookies + "Other\\inner.txt", "x");
  Put(cookies + "index.dat", "x");
  OnlyTypes({"Download Directory", "Start Menu Click History", "Cookies", "Run History"});
  Scan();
  main->control(id::imgEClean).Click();
  // Stop during a removal does not stop it.
  main->imgJunkStopClick();
  Drain();
  sys::Registry reg(sim.registry());
  EXPECT_TRUE(ValueExists("Software\\Microsoft\\Internet Explorer", "Download Directory"));
  EXPECT_EQ(reg.ReadStringExact(sys::kHKCU, "Software\\Microsoft\\Internet Explorer", "Download Directory",
                                sys::kMaskAll), "");
  EXPECT_FALSE(reg.KeyExists(sys::kHKCU, kUserAssist + "\\{A}", sys::kMaskAll));
  EXPECT_TRUE(reg.KeyExists(sys::kHKCU, kUserAssist, sys::kMaskAll));
  EXPECT_FALSE(sim.files().DirectoryExists(cookies + "Other"));
  EXPECT_TRUE(sim.files().FileExists(cookies + "index.dat"));
  TSearchEvidence* run = RecordOf(301);
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->cleanedCount.load(), 0);
  EXPECT_EQ(RecordOf(107)->cleanedCount.load(), 1);
  EXPECT_EQ(RecordOf(310)->cleanedCount.load(), 1);
  EXPECT_EQ(RecordOf(103)->cleanedCount.load(), 1);
  // Back to the tree.
  main->control(id::imgEvidenceBack).Click();
  EXPECT_EQ(main->currentPage(), page::kEvidenceOptions);
}

TEST_F(EvidenceCleanerTest, StoppingAScanKeepsWhatWasFoundAndStillShowsTheResult) {
  for (int i = 0; i < 50; ++i)
    Put("C:\\Users\\Tester\\AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files\\Content.IE5\\f" +
                  std::to_string(i),
              "x");
  OnlyTypes({"Cache"});
  main->control(id::imgEviScan).Click();
  main->imgJunkStopClick();
  Drain();
  EXPECT_EQ(main->currentPage(), page::kEvidenceResult);
  EXPECT_FALSE(main->busy());
  TSearchEvidence* r = RecordOf(101);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(static_cast<size_t>(r->itemCount.load()), r->items.size());
}

TEST_F(EvidenceCleanerTest, TheReportPutsFileValuesInTheThirdColumnAndOthersInRedBelow) {
  Put("C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\a<b>.lnk", "0123456789");
  Reg(R"reg([HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU]
"a"="notepad & co"
)reg");
  OnlyTypes({"Run History", "Recent Files"});
  Scan();
  auto groups = ec->ExportGroups();
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].caption, "Windows System - Run History");
  ASSERT_EQ(groups[0].rows.size(), 1u);
  EXPECT_EQ(groups[0].rows[0].detailHtml,
            "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU\\a<br /><span "
            "class=\"color02\">notepad &amp; co</span>");
  EXPECT_EQ(groups[0].rows[0].thirdHtml, "&nbsp;");
  EXPECT_EQ(groups[1].rows[0].detailHtml,
            "C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\a&lt;b&gt;.lnk");
  EXPECT_EQ(groups[1].rows[0].thirdHtml, "10 B");
}

TEST_F(EvidenceCleanerTest, FavoritesPasswordsAndFormHistoryStartUntickedAndAreTickedOnlyAfterAWarning) {
  for (const char* kept : {"Favorites Export File", "Saved Passwords", "Firefox Form History"})
    EXPECT_FALSE(IsChecked(kept)) << kept;
  EXPECT_TRUE(IsChecked("Cookies"));
  EXPECT_TRUE(IsChecked("Microsoft Edge History"));
  // No keeps it unticked; the other types of the group are ticked.
  Click("Internet Explorer", false);
  ports.answers = {MsgAnswer::No, MsgAnswer::Yes};
  Click("Internet Explorer", true);
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_THAT(ports.messages[0].text, HasSubstr("removes every favorite (bookmark) of Internet Explorer and Edge Legacy"));
  EXPECT_EQ(ports.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::Warning);
  EXPECT_THAT(ports.messages[1].text, HasSubstr("removes every password"));
  EXPECT_FALSE(IsChecked("Favorites Export File"));
  EXPECT_TRUE(IsChecked("Saved Passwords"));
  EXPECT_TRUE(IsChecked("Cache"));
  // Once answered Yes, the warning is not asked again until the next start.
  Click("Saved Passwords", false);
  Click("Saved Passwords", true);
  EXPECT_EQ(ports.messages.size(), 2u);
  EXPECT_TRUE(IsChecked("Saved Passwords"));
  // Asked again after a No.
  Click("Favorites Export File", true);
  ASSERT_EQ(ports.messages.size(), 3u);
  EXPECT_TRUE(IsChecked("Favorites Export File"));
  // "Select All" never ticks one that is not ticked, and asks nothing.
  Click("Firefox Form History", false);
  main->control(id::chkESelectAll).Click();
  main->control(id::chkESelectAll).Click();
  EXPECT_TRUE(Checked(id::chkESelectAll));
  EXPECT_FALSE(IsChecked("Firefox Form History"));
  EXPECT_EQ(ports.messages.size(), 3u);
}

TEST_F(EvidenceCleanerTest, ChromiumFamilyHistoryRowsSayWhichProfileTheyComeFrom) {
  const std::string userData = "C:\\Users\\Tester\\AppData\\Local\\BraveSoftware\\Brave-Browser\\User Data\\";
  Put(userData + "Local State", R"({"profile":{"info_cache":{"Default":{"name":"Home"},"Profile 1":{"name":"Work"}}}})");
  for (const char* p : {"Default", "Profile 1"}) {
    sim.files().CreateFolder(userData + p);
    store::Connection db = store::OpenDatabase(sim.files().NativePath(userData + p + "\\History"));
    store::RunStatement(db, "CREATE TABLE urls (id INTEGER PRIMARY KEY, url TEXT, title TEXT, visit_count INTEGER, last_visit_time INTEGER)");
    store::RunStatement(db, "INSERT INTO urls VALUES (5,'http://127.0.0.1/x','X',2,13300000000000000)");
  }
  OnlyTypes({"Brave History"});
  Scan();
  ShowResultRow(0);
  EXPECT_EQ(Cell(id::lstvEResultDesc, 0, 1), "[Home] X");
  EXPECT_EQ(Cell(id::lstvEResultDesc, 1, 1), "[Work] X");
  EXPECT_EQ(Cell(id::lstvEResultDesc, 0, 2), "http://127.0.0.1/x (2 visits, last 2022-06-18 04:26 UTC)");
}

}  // namespace
}  // namespace vl::evidence
