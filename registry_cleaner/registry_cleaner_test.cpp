// The registry cleaner in the main window: scan start, completion, result
// rows and scan counts, check marks, details panel, ignore list.
#include "registry_cleaner/registry_cleaner.h"

#include <gtest/gtest.h>

#include <set>

#include "ui/testing/scripted_ports.h"
#include "programs/vantorel/vantorel_app.h"
#include "store/database.h"
#include "sysaccess/sim/sim_platform.h"

namespace vl::registry {
namespace {

class RegistryCleanerTest : public ::testing::Test {
 protected:
  RegistryCleanerTest() : ports(dispatcher), runner(dispatcher) {
    // As after the first start: no automatic full backup in the way.
    sim.files().CreateFolder("C:\\Vantorel\\backup\\full_backup");
    sim.platform().appDir = "C:\\Vantorel\\";
  }
  ~RegistryCleanerTest() override { Drain(); }

  void Start() {
    main = BuildMainForm(sim.platform(), ports, runner, &features);
    main->startUpdateCheck = nullptr;  // no update check in the way of the worker counts
    main->FormShow();
    rc = features.registry;
    ASSERT_NE(rc, nullptr);
  }
  void Drain() {
    for (int i = 0; i < 4000 && (runner.running() > 0 || dispatcher.Pump() > 0); ++i) dispatcher.PumpWait(5);
    dispatcher.Pump();
  }
  void Check(std::initializer_list<int> categories) {
    ui::Control& list = main->control(id::chklstRegistry);
    for (size_t i = 0; i < list.itemChecked.size(); ++i) list.SetItemChecked(static_cast<int>(i), false);
    for (int c : categories) list.SetItemChecked(c, true);
  }
  store::Connection Db() { return store::OpenDatabase(sim.files().NativePath("C:\\Vantorel\\data.db")); }
  // Leaves the records as a finished scan does and builds the result rows.
  void FakeScan(std::vector<std::pair<int, int>> categoryProblems) {
    main->scanResults.clear();
    for (auto [cat, n] : categoryProblems) {
      auto rec = std::make_unique<TSearchRegistry>(static_cast<int16_t>(cat));
      for (int i = 0; i < n; ++i)
        rec->problems.push_back({cat == kShortcuts ? sys::kHKU : sys::kHKLM,
                                 cat == kShortcuts ? "C:\\Users\\me\\Desktop\\x" + std::to_string(i) + ".lnk"
                                                   : "SOFTWARE\\K" + std::to_string(cat) + "_" + std::to_string(i),
                                 i == 0 ? "" : "v" + std::to_string(i), i == 1 ? "" : "data", kInvalidPath,
                                 sys::kMaskAll});
      rec->count = n;
      main->scanResults.push_back(std::move(rec));
    }
    rc->BuildResults();
  }
  std::string Cell(int row, int col) { return rc->lstvRegistryData(row, col).text; }
  std::string Text(id::ControlId control) { return main->control(control).text(); }
  void Select(int row) {
    main->control(id::lstvRegistry).SetSelected(row);
    rc->lstvRegistryClick();
  }

  sys::SimPlatform sim;
  ManualDispatcher dispatcher;
  vl::testing::ScriptedPorts ports;
  JobRunner runner;
  std::unique_ptr<MainForm> main;
  VantorelFeatures features;
  RegistryCleaner* rc = nullptr;
};

TEST_F(RegistryCleanerTest, AllCategoriesStartChecked) {
  Start();
  ui::Control& list = main->control(id::chklstRegistry);
  ASSERT_EQ(list.checkItems.size(), 15u);
  EXPECT_EQ(list.checkItems[0], "ActiveX,OLE/COM Entries");
  EXPECT_EQ(list.checkItems[14], "Uninstall Entries");
  for (bool on : list.itemChecked) EXPECT_TRUE(on);
  main->control(id::chkSelectAll).SetChecked(false);
  rc->chkSelectAllClick();
  for (bool on : list.itemChecked) EXPECT_FALSE(on);
}

TEST_F(RegistryCleanerTest, TheFirstStartTakesAFullBackupOnlyOnce) {
  sim.files().RemoveFolder("C:\\Vantorel\\backup\\full_backup");
  Start();
  Drain();
  std::vector<sys::FileEntry> files;
  ASSERT_TRUE(sim.files().ListFolder("C:\\Vantorel\\backup\\full_backup", files));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].name.rfind("FBackup_", 0), 0u);
  EXPECT_EQ(sim.system().registryEditorRuns().size(), 1u);
  auto db = Db();
  EXPECT_EQ(store::RunQuery(db, "select last_backup from sysset").ColumnText(0).size(), 14u);
  // A later start finds the folder and takes none.
  main.reset();
  Start();
  Drain();
  EXPECT_EQ(sim.system().registryEditorRuns().size(), 1u);
}

TEST_F(RegistryCleanerTest, NothingCheckedGivesTheHintAndStartsNothing) {
  Start();
  main->ShowPage(101);
  Check({});
  rc->imgRegScanClick();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Please select the specific options before scaning.");
  EXPECT_EQ(ports.messages[0].caption, "Hint");
  EXPECT_EQ(main->currentPage(), 101);
  EXPECT_EQ(runner.running(), 0);
  EXPECT_FALSE(main->busy());
}

TEST_F(RegistryCleanerTest, AScanKeepsCategoryOrderAndStoresTheCounts) {
  Start();
  Check({12, 3});
  rc->imgRegScanClick();
  EXPECT_TRUE(main->busy());
  EXPECT_EQ(main->currentPage(), 102);
  EXPECT_EQ(main->control(id::lstvRegistryScan).rowCount(), 2);
  Drain();
  EXPECT_EQ(main->currentPage(), 103);
  EXPECT_FALSE(main->busy());
  ASSERT_EQ(main->scanResults.size(), 2u);
  EXPECT_EQ(rc->Record(0)->category, 3);
  EXPECT_EQ(rc->Record(1)->category, 12);
  // Category rows in the same order, counted.
  int categoryRows = 0;
  for (auto& r : rc->results) categoryRows += r.rowKind == 0;
  EXPECT_EQ(categoryRows, 2);
  EXPECT_EQ(rc->results[0].category, 3);
  EXPECT_EQ(rc->results[0].group, 1);
  auto db = Db();
  auto log = store::RunQuery(db, "select * from scanlog where type=1 order by id");
  EXPECT_EQ(log.RowCount(), 15u);
  auto sys = store::RunQuery(db, "select last_rscan, optime from sysset");
  EXPECT_EQ(sys.ColumnByName("last_rscan").size(), 14u);
  EXPECT_EQ(sys.ColumnByName("last_rscan"), sys.ColumnByName("optime"));
}

TEST_F(RegistryCleanerTest, ResultRowsShowCategoriesProblemsAndTotals) {
  Start();
  FakeScan({{3, 3}, {7, 1}, {12, 0}});
  ASSERT_EQ(rc->results.size(), 7u);
  EXPECT_EQ(Cell(0, 0), "File Extensions");
  EXPECT_EQ(Cell(0, 1), "3 entries");
  EXPECT_TRUE(rc->lstvRegistryData(0, 0).bold);
  EXPECT_EQ(rc->lstvRegistryData(0, 0).background, 0xF5F5F5u);
  EXPECT_EQ(Cell(1, 0), "HKEY_LOCAL_MACHINE\\SOFTWARE\\K3_0");
  EXPECT_EQ(Cell(2, 0), "HKEY_LOCAL_MACHINE\\SOFTWARE\\K3_1\\v1");
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(rc->lstvRegistryData(2, 0).indent, 1);
  EXPECT_EQ(Cell(5, 0), "C:\\Users\\me\\Desktop\\x0.lnk");  // shortcuts show the file alone
  EXPECT_EQ(Cell(6, 1), "0 entries");
  EXPECT_EQ(rc->results[6].group, 3);
  EXPECT_EQ(Text(id::labRegistryRDesc), "A total of 4 Entries have been detected.");
  EXPECT_EQ(Text(id::labStatus_Registry), "4 Error(s)");
  EXPECT_EQ(Cell(99, 0), "");  // past the end
}

TEST_F(RegistryCleanerTest, CheckMarksFollowCategoryRowsAndSelectAll) {
  Start();
  FakeScan({{3, 2}, {12, 1}});
  rc->lstvRegistryMouseDown(0, false);  // not on the icon: nothing
  EXPECT_TRUE(rc->results[1].checked);
  rc->lstvRegistryMouseDown(0, true);
  EXPECT_FALSE(rc->results[0].checked);
  EXPECT_FALSE(rc->results[1].checked);
  EXPECT_FALSE(rc->results[2].checked);
  EXPECT_TRUE(rc->results[3].checked);  // the next category stays
  EXPECT_EQ(rc->lstvRegistryData(1, 0).image, 0);
  rc->lstvRegistryMouseDown(2, true);
  EXPECT_TRUE(rc->results[2].checked);
  rc->lstvRegistryMouseDown(0, true);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(rc->results[i].checked);
  main->control(id::chkRegSelectAll).SetChecked(false);
  rc->chkRegSelectAllClick();
  for (auto& r : rc->results) EXPECT_FALSE(r.checked);
}

TEST_F(RegistryCleanerTest, DetailsPanelDescribesTheSelectedRow) {
  Start();
  FakeScan({{3, 2}, {7, 1}});
  main->ShowPage(103);
  Select(1);
  EXPECT_EQ(Text(id::labRegError), "Reference is an invalid path");
  EXPECT_EQ(Text(id::labErrorKey), "Key: HKEY_LOCAL_MACHINE\\SOFTWARE\\K3_0");
  EXPECT_EQ(Text(id::labErrorValue), "Value: data");
  EXPECT_TRUE(main->control(id::labErrorOpen).visible());
  EXPECT_TRUE(main->control(id::labErrorIgnore).visible());
  Select(2);
  EXPECT_EQ(Text(id::labErrorKey), "Key: HKEY_LOCAL_MACHINE\\SOFTWARE\\K3_1\\v1");
  EXPECT_EQ(Text(id::labErrorValue), "Value: ");
  rc->labErrorOpenClick();
  EXPECT_EQ(sim.shell().shownKeys(), std::vector<std::string>{"HKEY_LOCAL_MACHINE\\SOFTWARE\\K3_1"});
  Select(4);  // a shortcut problem
  EXPECT_EQ(Text(id::labErrorKey), "File: C:\\Users\\me\\Desktop\\x0.lnk");
  EXPECT_FALSE(main->control(id::labErrorOpen).visible());
  EXPECT_FALSE(main->control(id::labErrorIgnore).visible());
  Select(0);  // a category row
  EXPECT_EQ(Text(id::labRegError), "");
  EXPECT_EQ(Text(id::labErrorKey), "");
}

TEST_F(RegistryCleanerTest, IgnoringARowStoresItAndCountsDown) {
  Start();
  FakeScan({{3, 3}});
  rc->results[2].keyPath = "SOFTWARE\\It's";
  main->ShowPage(103);
  Select(2);
  rc->labErrorIgnoreClick();
  EXPECT_EQ(rc->results.size(), 3u);
  EXPECT_EQ(rc->results[0].count, 2);
  EXPECT_EQ(Cell(0, 1), "2 entries");
  EXPECT_EQ(main->control(id::lstvRegistry).rowCount(), 3);
  EXPECT_EQ(Text(id::labErrorKey), "");
  ASSERT_EQ(rc->ignoreList.size(), 1u);
  // The stored row loads back unchanged at the next start.
  rc->LoadIgnoreList();
  ASSERT_EQ(rc->ignoreList.size(), 1u);
  EXPECT_EQ(rc->ignoreList[0].keyPath, "SOFTWARE\\It's");
  EXPECT_EQ(rc->ignoreList[0].valueName, "v1");
  EXPECT_EQ(rc->ignoreList[0].root, sys::kHKLM);
  EXPECT_EQ(rc->ignoreList[0].category, 3);
  auto db = Db();
  EXPECT_EQ(store::RunQuery(db, "select root from ignorelist").ColumnText(0), "2147483650");
}

TEST_F(RegistryCleanerTest, IgnoreEntriesCoverTheirKeyExactly) {
  Start();
  rc->ignoreList.push_back({1, sys::kHKLM, "SOFTWARE\\A", "other", 3, false});
  EXPECT_TRUE(rc->IsIgnored(3, sys::kHKLM, "SOFTWARE\\A"));
  EXPECT_FALSE(rc->IsIgnored(3, sys::kHKLM, "software\\a"));  // letter case counts
  EXPECT_FALSE(rc->IsIgnored(4, sys::kHKLM, "SOFTWARE\\A"));
  EXPECT_FALSE(rc->IsIgnored(3, sys::kHKCU, "SOFTWARE\\A"));
}

TEST_F(RegistryCleanerTest, NewIgnoreIdsAreUniqueAndDeletesRemoveExactlyTheCheckedEntries) {
  Start();
  // Two old rows sharing a day number, as earlier versions stored them.
  {
    auto db = Db();
    store::RunStatement(db, "insert into ignorelist values (19000,2147483650,'OLD\\A','',3)");
    store::RunStatement(db, "insert into ignorelist values (19000,2147483650,'OLD\\B','',3)");
  }
  FakeScan({{3, 3}});
  main->ShowPage(103);
  for (int i = 0; i < 3; ++i) {
    Select(1);
    rc->labErrorIgnoreClick();
  }
  rc->LoadIgnoreList();
  ASSERT_EQ(rc->ignoreList.size(), 5u);
  std::set<int64_t> ids;
  for (auto& e : rc->ignoreList) ids.insert(e.id);
  EXPECT_EQ(ids.size(), 4u);  // the two old rows share theirs
  // Delete one old row and two new ones.
  main->ShowPage(503);
  EXPECT_EQ(main->control(id::lstvIgnore).rowCount(), 5);
  EXPECT_EQ(rc->lstvIgnoreData(0, 0).text, "File Extensions");
  EXPECT_EQ(rc->lstvIgnoreData(0, 1).text, "HKEY_LOCAL_MACHINE\\OLD\\A");
  rc->lstvIgnoreMouseDown(0, true);
  rc->lstvIgnoreMouseDown(2, true);
  rc->lstvIgnoreMouseDown(3, true);
  rc->imgIDeleteClick();
  EXPECT_EQ(main->control(id::lstvIgnore).rowCount(), 2);
  rc->LoadIgnoreList();
  ASSERT_EQ(rc->ignoreList.size(), 2u);
  EXPECT_EQ(rc->ignoreList[0].keyPath, "OLD\\B");
  // Select all, then delete all.
  main->control(id::chkISelectAll).SetChecked(true);
  rc->chkISelectAllClick();
  rc->imgIDeleteClick();
  EXPECT_TRUE(rc->ignoreList.empty());
  auto db = Db();
  EXPECT_EQ(store::RunQuery(db, "select * from ignorelist").RowCount(), 0u);
}

TEST_F(RegistryCleanerTest, WithoutTheIgnoreTableEntriesLiveOnlyInMemory) {
  Start();
  {
    auto db = Db();
    store::RunStatement(db, "drop table ignorelist");
  }
  FakeScan({{3, 1}});
  Select(1);
  rc->labErrorIgnoreClick();
  EXPECT_EQ(rc->ignoreList.size(), 1u);
  EXPECT_TRUE(ports.messages.empty());
  rc->LoadIgnoreList();
  EXPECT_TRUE(rc->ignoreList.empty());
}

TEST_F(RegistryCleanerTest, StopEndsTheScanOnTheResultPage) {
  Start();
  Check({0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14});
  rc->imgRegScanClick();
  main->control(id::imgRegStop).onClick();
  EXPECT_TRUE(main->FormCloseQuery());
  Drain();
  EXPECT_EQ(main->currentPage(), 103);
  EXPECT_FALSE(main->busy());
  EXPECT_EQ(main->runningScans.load(), 0);
}

class RegistryRepairTest : public RegistryCleanerTest {
 protected:
  const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  void Plant() {
    ASSERT_TRUE(sim.LoadReg(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
        "\"GhostA\"=\"c:\\\\gone\\\\a.exe\"\r\n\"GhostB\"=\"c:\\\\gone\\\\b.exe\"\r\n"));
  }
  bool HasRunValue(const std::string& name) {
    return sys::Registry(*sim.platform().registry).ValueExists(sys::kHKCU, kRun, name, sys::kMaskAll);
  }
  std::vector<std::string> RepairBackups() {
    std::vector<sys::FileEntry> entries;
    sim.files().ListFolder("C:\\Vantorel\\backup\\repair_backup", entries);
    std::vector<std::string> names;
    for (auto& e : entries) names.push_back(e.name);
    return names;
  }
};

TEST_F(RegistryRepairTest, RepairRemovesTheCheckedProblemsAndShowsTheFinishPage) {
  Start();
  Plant();
  Check({kStartup});
  rc->imgRegScanClick();
  Drain();
  ASSERT_EQ(main->currentPage(), 103);
  ASSERT_EQ(rc->results.size(), 3u);  // the category and both values
  rc->lstvRegistryMouseDown(2, true);  // keep the second one
  ports.answers = {MsgAnswer::No};
  rc->imgRegCleanClick();
  EXPECT_EQ(main->currentPage(), 103);
  EXPECT_EQ(ports.messages.back().text, "Do you want to fix the detected errors?");
  EXPECT_EQ(ports.messages.back().caption, "Confirm");
  rc->imgRegCleanClick();  // Yes
  EXPECT_EQ(main->currentPage(), 104);
  EXPECT_TRUE(main->busy());
  Drain();
  EXPECT_EQ(main->currentPage(), 105);
  EXPECT_FALSE(main->busy());
  EXPECT_FALSE(HasRunValue("GhostA"));
  EXPECT_TRUE(HasRunValue("GhostB"));
  ASSERT_EQ(rc->repairLog.size(), 1u);
  EXPECT_EQ(rc->lstvRegFinishData(0, 1).text, "Repaired Successfully");
  EXPECT_EQ(Text(id::labRegistry_Finish_Desc), "1 Entrie(s) have been repaired.");
  EXPECT_EQ(main->control(id::lstvRegFinish).rowCount(), 1);
  EXPECT_EQ(RepairBackups().size(), 1u);
  auto db = Db();
  EXPECT_EQ(store::RunQuery(db, "select cleannum from scanlog where type=1 and id=12").ColumnText(0), "1");
  EXPECT_EQ(store::RunQuery(db, "select cleannum from scanlog where type=1 and id=3").ColumnText(0), "0");
  // The result rows stay as they were.
  EXPECT_EQ(rc->results.size(), 3u);
}

TEST_F(RegistryRepairTest, FailedRemovalsAreLoggedAndCounted) {
  Start();
  FakeScan({{12, 2}});  // keys that do not exist
  rc->imgRegCleanClick();
  Drain();
  ASSERT_EQ(rc->repairLog.size(), 2u);
  EXPECT_EQ(rc->lstvRegFinishData(1, 1).text, "Repair failed: the key no longer exists");
  EXPECT_EQ(rc->lstvRegFinishData(1, 1).color, 0xFF0000u);
  EXPECT_EQ(Text(id::labRegistry_Finish_Desc), "2 Entrie(s) have been repaired.");
  EXPECT_TRUE(RepairBackups().empty());
}

TEST_F(RegistryRepairTest, AShortcutThatCannotBeDeletedSaysWhy) {
  Start();
  FakeScan({{kShortcuts, 1}});  // a shortcut file that is already gone
  rc->imgRegCleanClick();
  Drain();
  ASSERT_EQ(rc->repairLog.size(), 1u);
  EXPECT_EQ(rc->lstvRegFinishData(0, 1).text,
            "Repair failed: the file could not be deleted: The system cannot find the file specified. (2)");
}

TEST_F(RegistryRepairTest, WithBackupsOffNoFileIsWritten) {
  Start();
  Plant();
  main->backupBeforeRepair = false;
  Check({kStartup});
  rc->imgRegScanClick();
  Drain();
  rc->imgRegCleanClick();
  Drain();
  EXPECT_FALSE(HasRunValue("GhostA"));
  EXPECT_TRUE(RepairBackups().empty());
}

TEST_F(RegistryRepairTest, OneClickScansEverythingAndHonoursTheIgnoreList) {
  Start();
  Plant();
  main->control(id::chkSelectAll).SetChecked(false);
  rc->chkSelectAllClick();  // the options page selection is not used
  // Covers both values: the check files them under this spelling of the key.
  rc->ignoreList.push_back({1, sys::kHKCU, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "", kStartup, false});
  ports.answers = {MsgAnswer::No};
  rc->imgSOptimizerClick();
  EXPECT_EQ(ports.messages.back().text, "Are you want to perform One Click Optimization?");
  EXPECT_FALSE(main->busy());
  rc->imgSOptimizerClick();
  EXPECT_EQ(main->control(id::lstvRegistryScan).rowCount(), 15);
  EXPECT_TRUE(main->busy());
  Drain();
  EXPECT_EQ(main->currentPage(), 105);
  EXPECT_FALSE(main->busy());
  EXPECT_TRUE(HasRunValue("GhostA"));  // ignored
  EXPECT_TRUE(HasRunValue("GhostB"));
  EXPECT_TRUE(main->scanResults.empty());
  EXPECT_TRUE(rc->results.empty());
  // Without the ignore entry both go.
  rc->ignoreList.clear();
  rc->imgSOptimizerClick();
  Drain();
  EXPECT_FALSE(HasRunValue("GhostA"));
  EXPECT_FALSE(HasRunValue("GhostB"));
  EXPECT_GE(rc->repairLog.size(), 2u);
}

TEST_F(RegistryRepairTest, OneClickStoppedWhileScanningRemovesNothing) {
  Start();
  Plant();
  rc->imgSOptimizerClick();
  main->control(id::imgRegStop).onClick();
  Drain();
  EXPECT_EQ(main->currentPage(), 105);
  EXPECT_TRUE(HasRunValue("GhostA"));
  EXPECT_TRUE(rc->repairLog.empty());
}

}  // namespace
}  // namespace vl::registry
