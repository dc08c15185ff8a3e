// The file list of the result page and the protected folders dialog, in the
// assembled main window: every file of the selected drive with a tick,
// unticked files kept in every removal mode, the totals and the report of
// what is ticked, masks for every file left out of a scan, and the
// protected folders kept in data.db.
#include <gtest/gtest.h>

#include <regex>

#include "app/page_codes.h"
#include "junk_cleaner/junk_cleaner.h"
#include "programs/vantorel/testing/app_fixture.h"

namespace vl::junk {
namespace {

class JunkFileListTest : public vl::testing::AppFixture {
 protected:
  void StartJunk() {
    Start();
    jc = features.junk;
    ASSERT_NE(jc, nullptr);
  }
  void Plant(const std::string& path, const std::string& text) {
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    WriteFile(path, text);
  }
  void CheckOnlyTypes(std::initializer_list<const char*> masks) {
    for (JunkType& t : jc->types) {
      t.checked = false;
      for (const char* m : masks)
        if (t.mask == m) t.checked = true;
    }
  }
  void ScanNow() {
    jc->imgJunkScanClick();
    Drain();
    ASSERT_EQ(main->currentPage(), page::kJunkResult);
  }
  ui::Control& Files() { return main->control(id::lstvJunkFiles); }
  int RowOf(const std::string& name) {
    for (int r = 0; r < Files().rowCount(); ++r)
      if (jc->lstvJunkFilesData(r, 0).text == name) return r;
    return -1;
  }
  std::vector<std::string> Column(int col) {
    std::vector<std::string> out;
    for (int r = 0; r < Files().rowCount(); ++r) out.push_back(jc->lstvJunkFilesData(r, col).text);
    std::sort(out.begin(), out.end());
    return out;
  }
  int64_t ProtectRows(const std::string& where) {
    store::Connection c = Db();
    return static_cast<int64_t>(store::RunQuery(c, "SELECT pkey FROM junkprotect where " + where).RowCount());
  }
  int PlaceRow(const std::string& key) {
    for (size_t i = 0; i < jc->protectedPlaces.size(); ++i)
      if (jc->protectedPlaces[i].key == key) return static_cast<int>(i);
    return -1;
  }

  JunkCleaner* jc = nullptr;
};

TEST_F(JunkFileListTest, TheSelectedDriveShowsEveryFileFoundTickedWithItsDetails) {
  sim.MapDrive('D', sys::SimDrive{});
  StartJunk();
  CheckOnlyTypes({"*.tmp", "*.log"});
  Plant("C:\\w\\a.tmp", "aa");
  Plant("C:\\w\\sub\\setup.log", "12345");
  Plant("D:\\x\\d.tmp", "d");
  ScanNow();
  EXPECT_EQ(main->control(id::lstvJunkResult).selected(), 0);
  ASSERT_EQ(Files().rowCount(), 2);
  ASSERT_EQ(Files().columns.size(), 5u);
  EXPECT_EQ(Files().columns[0].caption, "Name");
  EXPECT_EQ(Files().columns[1].caption, "Folder");
  EXPECT_EQ(Files().columns[2].caption, "Size");
  EXPECT_EQ(Files().columns[3].caption, "Last Write Time");
  EXPECT_EQ(Files().columns[4].caption, "Type");
  EXPECT_TRUE(Files().checkImages);
  const int a = RowOf("a.tmp");
  ASSERT_GE(a, 0);
  EXPECT_EQ(jc->lstvJunkFilesData(a, 0).image, 1);
  EXPECT_EQ(jc->lstvJunkFilesData(a, 1).text, "C:\\w\\");
  EXPECT_EQ(jc->lstvJunkFilesData(a, 2).text, "2 B");
  EXPECT_TRUE(std::regex_match(jc->lstvJunkFilesData(a, 3).text,
                               std::regex("20[0-9]{2}-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
      << jc->lstvJunkFilesData(a, 3).text;
  EXPECT_EQ(jc->lstvJunkFilesData(a, 4).text, "*.tmp");
  EXPECT_EQ(jc->lstvJunkFilesData(RowOf("setup.log"), 4).text, "*.log");
  EXPECT_TRUE(Checked(id::chkSelectAll_JunkFiles));
  // The second drive's row, by keyboard or mouse: its files.
  main->control(id::lstvJunkResult).SetSelected(1);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"d.tmp"}));
  EXPECT_EQ(jc->lstvJunkFilesData(0, 1).text, "D:\\x\\");
}

TEST_F(JunkFileListTest, TheTotalsAndTheReportShowWhatIsTicked) {
  StartJunk();
  CheckOnlyTypes({"*.tmp"});
  Plant("C:\\w\\a.tmp", std::string(1024, 'a'));
  Plant("C:\\w\\b.tmp", std::string(2048, 'b'));
  ScanNow();
  EXPECT_EQ(jc->lstvJunkResultData(0, 1).text, "2");
  EXPECT_EQ(jc->lstvJunkResultData(0, 2).text, "3.0 KB");
  jc->lstvJunkFilesMouseDown(RowOf("b.tmp"), false);  // beside the tick: nothing changes
  EXPECT_EQ(jc->lstvJunkResultData(0, 1).text, "2");
  jc->lstvJunkFilesMouseDown(RowOf("b.tmp"), true);
  EXPECT_EQ(jc->lstvJunkFilesData(RowOf("b.tmp"), 0).image, 0);
  EXPECT_EQ(jc->lstvJunkResultData(0, 1).text, "1");
  EXPECT_EQ(jc->lstvJunkResultData(0, 2).text, "1024 B");
  EXPECT_FALSE(Checked(id::chkSelectAll_JunkFiles));
  std::vector<report::ExportGroup> groups = JunkExportGroups(main->scanResults);
  ASSERT_EQ(groups[0].rows.size(), 1u);
  EXPECT_EQ(groups[0].rows[0].detailHtml, "C:\\w\\a.tmp");

  // Select All ticks every file, unticks them all, and ticks them again.
  main->control(id::chkSelectAll_JunkFiles).Click();
  EXPECT_TRUE(Checked(id::chkSelectAll_JunkFiles));
  EXPECT_EQ(jc->lstvJunkResultData(0, 1).text, "2");
  main->control(id::chkSelectAll_JunkFiles).Click();
  EXPECT_FALSE(Checked(id::chkSelectAll_JunkFiles));
  EXPECT_EQ(jc->lstvJunkResultData(0, 1).text, "0");
  EXPECT_TRUE(JunkExportGroups(main->scanResults)[0].rows.empty());
  main->control(id::chkSelectAll_JunkFiles).Click();
  EXPECT_TRUE(Checked(id::chkSelectAll_JunkFiles));
  EXPECT_EQ(jc->lstvJunkResultData(0, 1).text, "2");
  EXPECT_EQ(JunkExportGroups(main->scanResults)[0].rows.size(), 2u);
}

TEST_F(JunkFileListTest, UntickedFilesAreKeptInEveryRemovalMode) {
  // The move goes to a drive the scans leave out; the recycle bin's folder is met last.
  sim.MapDrive('D', sys::SimDrive{});
  StartJunk();
  ASSERT_EQ(jc->drives.size(), 2u);
  jc->drives[1].checked = false;
  CheckOnlyTypes({"*.tmp"});
  for (id::ControlId mode : {id::radDeleteFile, id::radRemoveDir, id::radDeleteToRec}) {
    Plant("C:\\w\\a.tmp", "aa");
    Plant("C:\\w\\keep.tmp", "kkkk");
    Plant("C:\\w\\c.tmp", "c");
    main->control(id::imgCBack5).Click();
    ScanNow();
    ASSERT_EQ(Files().rowCount(), 3);
    jc->lstvJunkFilesMouseDown(RowOf("keep.tmp"), true);
    main->control(mode).Click();
    if (mode == id::radRemoveDir) sim.shell().QueueBrowseAnswer("D:\\Moved");
    jc->imgJunkCleanClick();
    Drain();
    ASSERT_EQ(main->currentPage(), page::kJunkFinish);
    EXPECT_TRUE(sim.files().FileExists("C:\\w\\keep.tmp")) << mode;
    EXPECT_FALSE(sim.files().FileExists("C:\\w\\a.tmp")) << mode;
    EXPECT_FALSE(sim.files().FileExists("C:\\w\\c.tmp")) << mode;
    EXPECT_EQ(jc->lstvJunkFinishData(0, 1).text, "2") << mode;
    EXPECT_EQ(jc->lstvJunkFinishData(0, 2).text, "0") << mode;
    EXPECT_EQ(jc->lstvJunkFinishData(0, 3).text, "3 B") << mode;
    ASSERT_TRUE(sim.files().RemoveFile("C:\\w\\keep.tmp") == 0);
  }
  for (const auto& r : sim.shell().recycled()) EXPECT_NE(r.original, "C:\\w\\keep.tmp");
}

TEST_F(JunkFileListTest, AStoredMaskForEveryFileIsNamedOnceAndLeftOut) {
  StartJunk();
  {
    store::Connection c = Db();
    store::RunStatement(c, "insert into junktype (fileext,filedesc) values('*.*','all'),('?*','all too')");
  }
  jc->LoadJunkTypes();
  CheckOnlyTypes({"*.*", "?*", "*.tmp"});
  Plant("C:\\w\\a.tmp", "aa");
  Plant("C:\\w\\report.docx", "keep");
  ports.messages.clear();
  ScanNow();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_NE(ports.messages[0].text.find("These junk types cannot be used and are left out of the scan:"),
            std::string::npos);
  EXPECT_NE(ports.messages[0].text.find("\r*.*: it matches every file name with an extension"), std::string::npos);
  EXPECT_NE(ports.messages[0].text.find("\r?*: it matches every file name"), std::string::npos);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a.tmp"}));

  // Only such masks ticked: no scan at all.
  CheckOnlyTypes({"*.*"});
  main->control(id::imgCBack5).Click();
  ports.messages.clear();
  jc->imgJunkScanClick();
  Drain();
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text, "Please select the types of Junk Files for searching.");
  EXPECT_EQ(main->currentPage(), page::kJunkOptions);
}

TEST_F(JunkFileListTest, ProtectedFoldersAreKeptInDataDbAndHonouredByTheScan) {
  StartJunk();
  // Made with the first start, one row per default place.
  EXPECT_EQ(ProtectRows("pkey<>''"), 6);
  ASSERT_GE(PlaceRow("windows"), 0);
  EXPECT_EQ(jc->protectedPlaces[static_cast<size_t>(PlaceRow("windows"))].caption, "C:\\Windows\\");
  CheckOnlyTypes({"*.log"});
  Plant("C:\\Windows\\Logs\\CBS\\CBS.log", "cbs");
  Plant("C:\\Windows\\Temp\\cab.log", "cab");
  Plant("C:\\Keep\\mine.log", "mine");
  Plant("C:\\Vantorel\\vantorel.log", "own");

  // In the dialog: No keeps the Windows folder protected; Yes switches it off.
  const int windows = PlaceRow("windows");
  ports.answers.push_back(MsgAnswer::No);
  sim.shell().QueueBrowseAnswer("C:\\Keep");
  ports.formScripts.push_back([&](ui::Form& f) {
    ui::Control& list = f.Get(id::lstvJunkProtect);
    EXPECT_EQ(list.rowCount(), static_cast<int>(jc->protectedPlaces.size()));
    list.onMouseDown(windows, true);
    EXPECT_EQ(list.rowProvider(windows, 0).image, 1);
    ports.answers.push_back(MsgAnswer::Yes);
    list.onMouseDown(windows, true);
    EXPECT_EQ(list.rowProvider(windows, 0).image, 0);
    f.Get(id::imgAddProtect).Click();
    EXPECT_EQ(list.rowCount(), static_cast<int>(jc->protectedPlaces.size()));
    EXPECT_EQ(list.rowProvider(list.rowCount() - 1, 0).text, "C:\\Keep\\");
    f.Get(id::btnProtectClose).Click();
  });
  main->control(id::imgJunkProtect).Click();
  EXPECT_TRUE(ports.formScripts.empty());
  ASSERT_GE(ports.messages.size(), 2u);
  EXPECT_NE(ports.messages[0].text.find("Stop protecting C:\\Windows\\?"), std::string::npos);
  EXPECT_NE(ports.messages[0].text.find("Windows Update"), std::string::npos);
  EXPECT_EQ(ports.messages[0].caption, "Protected Folders");
  EXPECT_EQ(ProtectRows("pkey='windows' and enabled=0"), 1);
  EXPECT_EQ(ProtectRows("pkey='' and folder='C:\\Keep\\' and enabled=1"), 1);

  // Kept across starts.
  jc->LoadProtectedPlaces();
  EXPECT_FALSE(jc->protectedPlaces[static_cast<size_t>(PlaceRow("windows"))].enabled);
  ScanNow();
  EXPECT_EQ(Column(0), (std::vector<std::string>{"CBS.log", "cab.log"}));

  // The user's folder can go; a default cannot, it is only switched off.
  ports.messages.clear();
  ports.formScripts.push_back([&](ui::Form& f) {
    ui::Control& list = f.Get(id::lstvJunkProtect);
    list.SetSelected(windows);
    f.Get(id::imgDelProtect).Click();
    list.SetSelected(list.rowCount() - 1);
    f.Get(id::imgDelProtect).Click();
    f.Get(id::btnProtectClose).Click();
  });
  main->control(id::imgCBack5).Click();
  main->control(id::imgJunkProtect).Click();
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_NE(ports.messages[0].text.find("cannot be removed"), std::string::npos);
  EXPECT_EQ(ProtectRows("pkey=''"), 0);
  EXPECT_EQ(ProtectRows("pkey='windows'"), 1);
  ScanNow();
  EXPECT_EQ(Column(0), (std::vector<std::string>{"CBS.log", "cab.log", "mine.log"}));
}

TEST_F(JunkFileListTest, AnOlderDataDbGetsTheTableOnItsFirstUse) {
  StartJunk();
  {
    store::Connection c = Db();
    store::RunStatement(c, "drop table junkprotect");
  }
  jc->LoadProtectedPlaces();
  EXPECT_EQ(ProtectRows("enabled=1"), 6);
  EXPECT_EQ(ProtectRows("pkey='userwindows'"), 1);
}

}  // namespace
}  // namespace vl::junk
