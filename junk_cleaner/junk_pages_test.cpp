// The junk cleaner in the assembled main window: drive and type lists, the
// type dialog and its statements, the scan and clean starts with their
// questions and errors, the rows of the lists and the report.
#include "junk_cleaner/junk_cleaner.h"

#include <gtest/gtest.h>

#include "app/clock.h"
#include "app/page_codes.h"
#include "junk_cleaner/junk_thread.h"
#include "programs/vantorel/testing/app_fixture.h"
#include "store/schema.h"
#include "store/seed_data.h"

namespace vl::junk {
namespace {

std::string NowDay() { return NowTimestamp().substr(0, 8); }

class JunkPagesTest : public vl::testing::AppFixture {
 protected:
  JunkCleaner& StartJunk() {
    Start();
    jc = features.junk;
    EXPECT_NE(jc, nullptr);
    return *jc;
  }
  ui::Control& Types() { return main->control(id::lstvJunkType); }
  int RowOf(const std::string& mask) {
    for (size_t i = 0; i < jc->types.size(); ++i)
      if (jc->types[i].mask == mask) return static_cast<int>(i);
    return -1;
  }
  std::vector<std::string> TableMasks() {
    store::Connection c = Db();
    store::ResultTable t = store::RunQuery(c, "SELECT fileext FROM junktype");
    std::vector<std::string> out;
    for (; !t.AtEnd(); t.NextRow()) out.push_back(t.ColumnByName("fileext"));
    return out;
  }
  std::string DescriptionOf(const std::string& mask) {
    store::Connection c = Db();
    store::ResultTable t = store::RunQuery(c, "SELECT filedesc FROM junktype where fileext=?", {mask});
    return t.AtEnd() ? "<none>" : t.ColumnByName("filedesc");
  }
  // The user types into the dialog and clicks OK.
  void TypeAndOk(const std::string& mask, const std::string& desc) {
    ports.formScripts.push_back([mask, desc](ui::Form& f) {
      f.Get(id::edtExt).SetText(mask);
      f.Get(id::edtDesc).SetText(desc);
      f.Get(id::btnOk).Click();
    });
  }
  void UncheckAllDrives() {
    for (JunkDrive& d : jc->drives) d.checked = false;
  }
  void CheckOnlyTypes(std::initializer_list<const char*> masks) {
    for (JunkType& t : jc->types) {
      t.checked = false;
      for (const char* m : masks)
        if (t.mask == m) t.checked = true;
    }
  }
  std::string Sysset(const char* column) {
    store::Connection c = Db();
    return store::RunQuery(c, std::string("SELECT ") + column + " FROM sysset").ColumnByName(column);
  }
  // Groups as a scan leaves them, without running one.
  TSearchJunk& AddGroup(const std::string& caption) {
    auto g = std::make_unique<TSearchJunk>(caption, DriveOfCaption(caption));
    TSearchJunk& ref = *g;
    main->scanResults.push_back(std::move(g));
    return ref;
  }
  // A file and its folder.
  void Plant(const std::string& path, const std::string& text) {
    sim.files().CreateFolder(path.substr(0, path.rfind('\\')));
    WriteFile(path, text);
  }
  std::string LastMessage() { return ports.messages.empty() ? "" : ports.messages.back().text; }

  JunkCleaner* jc = nullptr;
};

// --- drive list -------------------------------------------------------------------------

TEST_F(JunkPagesTest, DrivesAreListedCheckedWithTheLabelAndTheLetter) {
  sys::SimDrive e;
  e.label = "Backup (old)";
  e.total = 3ull << 40;  // 3 TiB: sizes are not cut to 32 bits
  e.free = 1536ull << 20;
  sim.MapDrive('E', e);
  sys::SimDrive cd;
  cd.kind = sys::DriveKind::kCdRom;
  cd.label = "Disc";
  sim.MapDrive('F', cd);
  StartJunk();
  ASSERT_EQ(jc->drives.size(), 2u);
  EXPECT_EQ(jc->drives[0].row.caption, "System (C:)");
  EXPECT_EQ(jc->drives[1].row.caption, "Backup (old) (E:)");
  EXPECT_EQ(jc->lstvJunkDrivesData(1, 1).text, "3072.0 GB");
  EXPECT_EQ(jc->lstvJunkDrivesData(1, 2).text, "1.5 GB");
  for (int row = 0; row < 2; ++row) EXPECT_EQ(jc->lstvJunkDrivesData(row, 0).image, 1);
  ui::Control& list = main->control(id::lstvJunkDrives);
  EXPECT_EQ(list.rowCount(), 2);
  ASSERT_EQ(list.columns.size(), 3u);
  EXPECT_EQ(list.columns[0].caption, "Drives");
  EXPECT_EQ(list.columns[0].width, 470);
  EXPECT_EQ(list.columns[1].caption, "Total Space");
  EXPECT_EQ(list.columns[1].align, ui::Align::Right);
  EXPECT_EQ(list.columns[2].caption, "Free Space");
  EXPECT_EQ(list.columns[2].align, ui::Align::Right);
  // A click on the check image unchecks the row, another checks it again.
  jc->lstvJunkDrivesMouseDown(1, true);
  EXPECT_EQ(jc->lstvJunkDrivesData(1, 0).image, 0);
  jc->lstvJunkDrivesMouseDown(1, false);
  EXPECT_EQ(jc->lstvJunkDrivesData(1, 0).image, 0);
}

TEST_F(JunkPagesTest, TheDriveIsTakenFromTheFinalParentheses) {
  EXPECT_EQ(DriveOfCaption("Backup (old) (E:)"), "E:");
  EXPECT_EQ(DriveOfCaption(" (D:)"), "D:");
  EXPECT_EQ(DriveOfCaption("System (C:)"), "C:");
  EXPECT_EQ(DriveOfCaption("no drive"), "");
}

// --- type list ----------------------------------------------------------------------------

TEST_F(JunkPagesTest, TypesComeFromTheTableAllChecked) {
  StartJunk();
  ASSERT_EQ(jc->types.size(), store::kJunkSeeds.size());
  for (size_t i = 0; i < jc->types.size(); ++i) {
    EXPECT_EQ(jc->types[i].mask, store::kJunkSeeds[i].mask);
    EXPECT_TRUE(jc->types[i].checked);
  }
  EXPECT_TRUE(Checked(id::chkSelectAll_Junk));
  EXPECT_EQ(Types().rowCount(), 44);
  EXPECT_EQ(jc->lstvJunkTypeData(0, 0).text, "*.swp");
  EXPECT_EQ(jc->lstvJunkTypeData(0, 1).text, "Temporary Junk File");
  ASSERT_EQ(Types().columns.size(), 2u);
  EXPECT_EQ(Types().columns[0].caption, "Type");
  EXPECT_EQ(Types().columns[0].width, 150);
  EXPECT_EQ(Types().columns[1].caption, "Description");
  EXPECT_EQ(Types().columns[1].width, 510);
  // Select All off and on again.
  main->control(id::chkSelectAll_Junk).Click();
  for (const JunkType& t : jc->types) EXPECT_FALSE(t.checked);
  main->control(id::chkSelectAll_Junk).Click();
  for (const JunkType& t : jc->types) EXPECT_TRUE(t.checked);
}

TEST_F(JunkPagesTest, WithoutTheTableTheBuiltInListIsShownAndNothingIsStored) {
  Build();
  store::CreateDatabase(sim.files().NativePath("C:\\Vantorel\\data.db"));
  {
    store::Connection c = Db();
    store::RunStatement(c, "drop table junktype");
  }
  main->FormShow();
  jc = features.junk;
  ASSERT_EQ(jc->types.size(), 45u);
  const char* first[] = {"*.swp", "*.$$$", "*.~*", "*._", "*.^"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(jc->types[static_cast<size_t>(i)].mask, first[i]);
  EXPECT_EQ(jc->types[5].mask, store::kJunkSeeds[5].mask);
  EXPECT_EQ(jc->types[44].mask, "readme.txt");
  EXPECT_EQ(jc->types[44].description, "Readme File");
  for (const JunkType& t : jc->types) {
    EXPECT_TRUE(t.checked);
    EXPECT_FALSE(t.description.empty()) << t.mask;
  }
  // Saving changes nothing; deleting takes the row from the list only.
  TypeAndOk("*.new", "New");
  jc->imgAddJunkClick();
  EXPECT_EQ(jc->types.size(), 45u);
  Types().SetSelectedRows({0});
  jc->imgDelJunkClick();
  EXPECT_EQ(jc->types.size(), 44u);
  EXPECT_EQ(jc->types[0].mask, "*.$$$");
}

TEST_F(JunkPagesTest, TheAddDialogStartsEmptyAndOkNeedsAMask) {
  StartJunk();
  bool okAtStart = true, okWithBlanks = true, okWithMask = false;
  std::string title;
  ports.formScripts.push_back([&](ui::Form& f) {
    title = f.title();
    okAtStart = f.Get(id::btnOk).enabled();
    f.Get(id::edtExt).SetText("   ");
    okWithBlanks = f.Get(id::btnOk).enabled();
    f.Get(id::edtExt).SetText(" *.abc ");
    okWithMask = f.Get(id::btnOk).enabled();
    EXPECT_EQ(f.Get(id::labJunkPrompt).text(), "Enter  the filename with extension you want to search for ...");
    EXPECT_EQ(f.Get(id::labExt).text(), "File Extension");
    EXPECT_EQ(f.Get(id::labDesc).text(), "File Description");
    EXPECT_EQ(f.Get(id::btnOk).text(), "OK");
    EXPECT_EQ(f.Get(id::btnCancel).text(), "Cancel");
    f.Get(id::btnCancel).Click();
  });
  jc->imgAddJunkClick();
  EXPECT_EQ(title, "Add a new file type");
  EXPECT_FALSE(okAtStart);
  EXPECT_FALSE(okWithBlanks);
  EXPECT_TRUE(okWithMask);
  EXPECT_EQ(TableMasks().size(), 44u);

  // Added, trimmed, at the end of the reloaded list.
  TypeAndOk("  *.abc ", " ABC files ");
  jc->imgAddJunkClick();
  ASSERT_EQ(jc->types.size(), 45u);
  EXPECT_EQ(jc->types.back().mask, "*.abc");
  EXPECT_EQ(DescriptionOf("*.abc"), "ABC files");
  // An existing mask is not added twice, and its description stays.
  TypeAndOk("*.abc", "Other");
  jc->imgAddJunkClick();
  EXPECT_EQ(jc->types.size(), 45u);
  EXPECT_EQ(DescriptionOf("*.abc"), "ABC files");
}

TEST_F(JunkPagesTest, TextsWithQuotesAreStoredAsTyped) {
  StartJunk();
  TypeAndOk("it's*.tmp", "Bob's temp'); drop table junktype; --");
  jc->imgAddJunkClick();
  EXPECT_EQ(DescriptionOf("it's*.tmp"), "Bob's temp'); drop table junktype; --");
  Types().SetSelected(RowOf("it's*.tmp"));
  TypeAndOk("it's*.tmp", "changed");
  jc->imgEditJunkClick();
  EXPECT_EQ(DescriptionOf("it's*.tmp"), "changed");
  Types().SetSelectedRows({RowOf("it's*.tmp")});
  jc->imgDelJunkClick();
  EXPECT_EQ(TableMasks().size(), 44u);
}

TEST_F(JunkPagesTest, EveryFileMasksAreRefusedAndInvalidMasksExplained) {
  StartJunk();
  // Masks for every file keep the dialog open with a message saying why.
  for (const char* all : {"*.*", "*.???", "*", "?*", "*.?*"}) {
    ports.messages.clear();
    bool openAfterOk = false;
    ports.formScripts.push_back([&](ui::Form& f) {
      f.Get(id::edtExt).SetText(all);
      f.Get(id::edtDesc).SetText("everything");
      f.Get(id::btnOk).Click();
      openAfterOk = f.modalRunning();
      f.Get(id::btnCancel).Click();
    });
    jc->imgAddJunkClick();
    EXPECT_TRUE(openAfterOk) << all;
    ASSERT_EQ(ports.messages.size(), 1u) << all;
    EXPECT_NE(ports.messages[0].text.find(std::string("\"") + all + "\" cannot be a junk type: it matches every file name"),
              std::string::npos)
        << ports.messages[0].text;
    EXPECT_EQ(TableMasks().size(), 44u) << all;
  }
  ports.messages.clear();
  // An invalid mask keeps the dialog open with a message saying why.
  bool openAfterOk = false;
  ports.formScripts.push_back([&](ui::Form& f) {
    f.Get(id::edtExt).SetText("[abc");
    f.Get(id::btnOk).Click();
    openAfterOk = f.modalRunning();
    f.Get(id::btnCancel).Click();
  });
  jc->imgAddJunkClick();
  EXPECT_TRUE(openAfterOk);
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_NE(ports.messages[0].text.find("[abc"), std::string::npos);
  EXPECT_EQ(ports.messages[0].caption, "Error");
  EXPECT_EQ(TableMasks().size(), 44u);
}

TEST_F(JunkPagesTest, EditingChangesTheRowAndMayDuplicateAMask) {
  StartJunk();
  // Nothing selected: no dialog.
  Types().SetSelected(-1);
  jc->imgEditJunkClick();
  EXPECT_TRUE(ports.formsShown.empty());
  // Into itself with a new description.
  Types().SetSelected(RowOf("*.tmp"));
  std::string title, shownMask, shownDesc;
  bool ok = false;
  ports.formScripts.push_back([&](ui::Form& f) {
    title = f.title();
    shownMask = f.Get(id::edtExt).text();
    shownDesc = f.Get(id::edtDesc).text();
    ok = f.Get(id::btnOk).enabled();
    f.Get(id::edtDesc).SetText("Temporary files");
    f.Get(id::btnOk).Click();
  });
  jc->imgEditJunkClick();
  EXPECT_EQ(title, "Modify file type");
  EXPECT_EQ(shownMask, "*.tmp");
  EXPECT_EQ(shownDesc, "Temporary Junk File");
  EXPECT_TRUE(ok);
  EXPECT_EQ(DescriptionOf("*.tmp"), "Temporary files");
  EXPECT_EQ(jc->types[static_cast<size_t>(RowOf("*.tmp"))].description, "Temporary files");
  // Into a mask that another row has: both rows then hold it.
  Types().SetSelected(RowOf("*.temp"));
  TypeAndOk("*.tmp", "dup");
  jc->imgEditJunkClick();
  int n = 0;
  for (const std::string& m : TableMasks()) n += m == "*.tmp";
  EXPECT_EQ(n, 2);
  EXPECT_EQ(RowOf("*.temp"), -1);
  EXPECT_EQ(jc->types.size(), 44u);
}

TEST_F(JunkPagesTest, DeleteRemovesTheSelectedRowsOnly) {
  StartJunk();
  const size_t before = jc->types.size();
  // Checked but not selected rows stay; selected but unchecked rows go.
  jc->types[static_cast<size_t>(RowOf("*.bak"))].checked = false;
  Types().SetSelectedRows({RowOf("*.log"), RowOf("*.bak")});
  ASSERT_EQ(Types().selectedRows().size(), 2u);
  ports.answers.push_back(MsgAnswer::No);
  jc->imgDelJunkClick();
  EXPECT_EQ(jc->types.size(), before);
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Are you sure to remove the selected item(s)?");
  EXPECT_EQ(ports.messages[0].caption, "Confrim");
  EXPECT_EQ(ports.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(ports.messages[0].icon, MsgIcon::None);
  jc->imgDelJunkClick();
  EXPECT_EQ(jc->types.size(), before - 2);
  EXPECT_EQ(RowOf("*.log"), -1);
  EXPECT_EQ(RowOf("*.bak"), -1);
  EXPECT_EQ(Types().rowCount(), static_cast<int>(before - 2));
  const std::vector<std::string> table = TableMasks();
  EXPECT_EQ(table.size(), before - 2);
  for (const std::string& m : table) {
    EXPECT_NE(m, "*.log");
    EXPECT_NE(m, "*.bak");
  }
  // Nothing selected: nothing goes.
  jc->imgDelJunkClick();
  EXPECT_EQ(jc->types.size(), before - 2);
}

TEST_F(JunkPagesTest, SavingReloadsTheListWithEveryRowChecked) {
  StartJunk();
  main->control(id::chkSelectAll_Junk).Click();  // all off
  jc->lstvJunkTypeMouseDown(3, true);            // one back on
  EXPECT_TRUE(jc->types[3].checked);
  EXPECT_FALSE(jc->types[4].checked);
  TypeAndOk("*.zzz", "Z");
  jc->imgAddJunkClick();
  for (const JunkType& t : jc->types) EXPECT_TRUE(t.checked) << t.mask;
  EXPECT_TRUE(Checked(id::chkSelectAll_Junk));
}

// --- scan start ---------------------------------------------------------------------------

TEST_F(JunkPagesTest, ScanNeedsADriveAndAType) {
  StartJunk();
  main->ShowPage(page::kJunkOptions);
  UncheckAllDrives();
  jc->imgJunkScanClick();
  ASSERT_EQ(ports.messages.size(), 1u);
  EXPECT_EQ(ports.messages[0].text, "Please select the disk you want to scan.");
  EXPECT_EQ(ports.messages[0].caption, "Error");
  EXPECT_EQ(ports.messages[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(main->currentPage(), page::kJunkOptions);
  EXPECT_FALSE(main->busy());
  EXPECT_TRUE(main->scanResults.empty());

  jc->drives[0].checked = true;
  main->control(id::chkSelectAll_Junk).Click();
  jc->imgJunkScanClick();
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_EQ(ports.messages[1].text, "Please select the types of Junk Files for searching.");
  EXPECT_EQ(ports.messages[1].caption, "Confrim");
  EXPECT_EQ(main->currentPage(), page::kJunkOptions);
  EXPECT_FALSE(main->busy());
  EXPECT_TRUE(main->scanResults.empty());
  EXPECT_EQ(Sysset("last_jscan"), "0");
}

TEST_F(JunkPagesTest, AStoredInvalidMaskIsNamedOnceAndLeftOut) {
  StartJunk();
  {
    store::Connection c = Db();
    store::RunStatement(c, "delete from junktype");
    store::RunStatement(c, "insert into junktype (fileext,filedesc) values ('[bad','x'),('*.tmp','t'),('a[','y')");
  }
  jc->LoadJunkTypes();
  // Only invalid masks checked: named, then the scan does not start.
  CheckOnlyTypes({"[bad"});
  jc->imgJunkScanClick();
  ASSERT_EQ(ports.messages.size(), 2u);
  EXPECT_NE(ports.messages[0].text.find("[bad"), std::string::npos);
  EXPECT_EQ(ports.messages[1].text, "Please select the types of Junk Files for searching.");
  EXPECT_FALSE(main->busy());
  EXPECT_TRUE(main->scanResults.empty());
  // With a valid one: one message naming both bad masks, and the scan runs.
  CheckOnlyTypes({"[bad", "*.tmp", "a["});
  jc->imgJunkScanClick();
  ASSERT_EQ(ports.messages.size(), 3u);
  EXPECT_NE(ports.messages[2].text.find("[bad"), std::string::npos);
  EXPECT_NE(ports.messages[2].text.find("a["), std::string::npos);
  EXPECT_EQ(main->currentPage() == page::kJunkScan || main->currentPage() == page::kJunkResult, true);
  Drain();
}

TEST_F(JunkPagesTest, AScanMakesOneWaitingGroupPerCheckedDriveAndStampsTheTime) {
  sys::SimDrive d, e;
  d.label = "";
  e.label = "Backup (old)";
  sim.MapDrive('D', d);
  sim.MapDrive('E', e);
  StartJunk();
  ASSERT_EQ(jc->drives.size(), 3u);
  EXPECT_EQ(jc->drives[1].row.caption, " (D:)");
  jc->drives[0].checked = false;
  jc->imgJunkScanClick();
  EXPECT_TRUE(ports.messages.empty());
  std::vector<TSearchJunk*> groups = JunkGroups(*main);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0]->caption, " (D:)");
  EXPECT_EQ(groups[0]->drive, "D:");
  EXPECT_EQ(groups[1]->caption, "Backup (old) (E:)");
  EXPECT_EQ(groups[1]->drive, "E:");
  EXPECT_EQ(Text(id::labJunk_Scan_Title), "Search Disk Drives");
  EXPECT_EQ(main->control(id::lstvJunkScan).rowCount(), 2);
  const std::string t = Sysset("last_jscan");
  ASSERT_EQ(t.size(), 14u);
  EXPECT_EQ(t.find_first_not_of("0123456789"), std::string::npos);
  Drain();
}

// --- progress, result and finish rows -----------------------------------------------------

TEST_F(JunkPagesTest, ProgressRowsShowTheStateInRedWhileWorking) {
  StartJunk();
  TSearchJunk& g = AddGroup("System (C:)");
  const std::pair<int16_t, const char*> states[] = {
      {kWaiting, "Waiting"}, {kScanning, "Scanning"}, {kScanned, "Scanned"}, {kCleaning, "Cleaning"},
      {kFinished, "Finished"}, {7, ""}};
  for (auto [state, text] : states) {
    g.state = state;
    ui::Cell caption = jc->lstvJunkScanData(0, 0), status = jc->lstvJunkScanData(0, 1);
    EXPECT_EQ(caption.text, "System (C:)");
    EXPECT_EQ(caption.color, 0x000000u);
    EXPECT_EQ(status.text, text);
    EXPECT_EQ(status.color, state == kScanning || state == kCleaning ? 0xFF0000u : 0x008000u) << text;
  }
  ui::Control& list = main->control(id::lstvJunkScan);
  EXPECT_EQ(list.columns[0].caption, "Examining Drive");
  EXPECT_EQ(list.columns[1].caption, "Status");
  EXPECT_EQ(list.rowPicture, ui::Picture::Drive);
}

TEST_F(JunkPagesTest, ResultAndFinishRowsCountInFullSizes) {
  StartJunk();
  TSearchJunk& c = AddGroup("System (C:)");
  c.fileCount = 3;
  c.foundBytes = 5ull << 30;  // a 5 GiB file counts in full
  c.failedCount = 1;
  c.removedBytes = 1536;
  AddGroup("Data (D:)");
  main->ShowPage(page::kJunkResult);
  EXPECT_EQ(main->control(id::lstvJunkResult).rowCount(), 2);
  EXPECT_EQ(jc->lstvJunkResultData(0, 0).text, "System (C:)");
  EXPECT_EQ(jc->lstvJunkResultData(0, 1).text, "3");
  EXPECT_EQ(jc->lstvJunkResultData(0, 2).text, "5.0 GB");
  EXPECT_EQ(jc->lstvJunkResultData(1, 2).text, "0 B");
  ui::Control& result = main->control(id::lstvJunkResult);
  EXPECT_EQ(result.columns[0].caption, "Scanned Drive");
  EXPECT_EQ(result.columns[1].caption, "Total");
  EXPECT_EQ(result.columns[1].align, ui::Align::Center);
  EXPECT_EQ(result.columns[2].caption, "Space occupied");

  main->ShowPage(page::kJunkFinish);
  EXPECT_EQ(Text(id::labJunk_Finish_Title), "Cleanup is finished");
  EXPECT_EQ(Text(id::labJunk_Finish_Desc), "Junk files have been cleared. ");
  ui::Control& finish = main->control(id::lstvJunkFinish);
  EXPECT_EQ(finish.rowCount(), 2);
  EXPECT_TRUE(finish.striped);
  EXPECT_EQ(jc->lstvJunkFinishData(0, 0).text, "System (C:)");
  EXPECT_EQ(jc->lstvJunkFinishData(0, 1).text, "3");
  EXPECT_EQ(jc->lstvJunkFinishData(0, 1).color, 0x000000u);
  EXPECT_EQ(jc->lstvJunkFinishData(0, 2).text, "1");
  EXPECT_EQ(jc->lstvJunkFinishData(0, 2).color, 0xFF0000u);
  EXPECT_EQ(jc->lstvJunkFinishData(0, 3).text, "1.5 KB");
  EXPECT_EQ(jc->lstvJunkFinishData(0, 3).color, 0x008000u);
  const char* captions[] = {"Cleaned Drive", "Total", "Delete failed", "Space saved"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(finish.columns[static_cast<size_t>(i)].caption, captions[i]);
  EXPECT_EQ(finish.columns[1].align, ui::Align::Center);
  EXPECT_EQ(finish.columns[2].align, ui::Align::Center);
}

TEST_F(JunkPagesTest, BackButtonsLeadToTheStartAndTheCleanupPage) {
  StartJunk();
  main->ShowPage(page::kJunkResult);
  main->control(id::imgCBack5).Click();
  EXPECT_EQ(main->currentPage(), page::kJunkOptions);
  EXPECT_EQ(Text(id::labJunkSDesc),
            "This cleaner can clean up various junk files from your system, speed up application "
            "performance\rand free up more hard drive space. ");
  main->ShowPage(page::kJunkFinish);
  main->control(id::imgJunkBack).Click();
  EXPECT_EQ(main->currentPage(), page::kCleanup);
}

// --- clean start --------------------------------------------------------------------------

TEST_F(JunkPagesTest, TheDeletionOptionsStartAtTheRecycleBin) {
  StartJunk();
  EXPECT_TRUE(Checked(id::radDeleteToRec));
  EXPECT_FALSE(Checked(id::radDeleteFile));
  EXPECT_FALSE(Checked(id::radRemoveDir));
  EXPECT_EQ(Text(id::radDeleteToRec), "Remove to recycle bin");
  EXPECT_EQ(Text(id::radDeleteFile), "Delete directly");
  EXPECT_EQ(Text(id::radRemoveDir), "Remove to a folder ");
  EXPECT_EQ(Text(id::labJunkOptionsGroup), "File Deletion Options");
  main->control(id::radRemoveDir).Click();
  EXPECT_FALSE(Checked(id::radDeleteToRec));
  EXPECT_EQ(jc->RemovalMode(), 3);
}

TEST_F(JunkPagesTest, EachModeAsksItsQuestionWithNoAsTheDefault) {
  StartJunk();
  // Nothing scanned: nothing asked.
  jc->imgJunkCleanClick();
  EXPECT_TRUE(ports.messages.empty());
  AddGroup("System (C:)").state = kScanned;
  main->ShowPage(page::kJunkResult);
  const std::pair<id::ControlId, const char*> modes[] = {
      {id::radDeleteToRec,
       "The selected files will be moved to the recycle bin \rwhere you can recover the files if needed. "
       "\r\rAre you sure to proceed?"},
      {id::radDeleteFile, "The files will be permanently deleted and can not recovered!\r\rAre you sure to proceed?"},
      {id::radRemoveDir, "The files will will be removed to the appointed folder.\r\rAre you sure to proceed?"}};
  for (auto [option, question] : modes) {
    main->control(option).Click();
    ports.answers.push_back(MsgAnswer::No);
    jc->imgJunkCleanClick();
    ASSERT_FALSE(ports.messages.empty());
    const vl::testing::ShownMessage& m = ports.messages.back();
    EXPECT_EQ(m.text, question);
    EXPECT_EQ(m.caption, "Delete Confirmation");
    EXPECT_EQ(m.buttons, MsgButtons::YesNoDefaultNo);
    EXPECT_EQ(m.icon, MsgIcon::Warning);
    // No: nothing starts.
    EXPECT_EQ(main->currentPage(), page::kJunkResult);
    EXPECT_FALSE(main->busy());
  }
  EXPECT_EQ(sim.shell().lastBrowseTitle(), "");
}

TEST_F(JunkPagesTest, ACancelledFolderChoiceEndsTheMoveClean) {
  StartJunk();
  AddGroup("System (C:)").state = kScanned;
  main->ShowPage(page::kJunkResult);
  main->control(id::radRemoveDir).Click();
  jc->imgJunkCleanClick();  // Yes, then no folder chosen
  EXPECT_EQ(sim.shell().lastBrowseTitle(), "Please select the folder to remove...");
  EXPECT_EQ(sim.shell().lastBrowseStart(), "");
  EXPECT_EQ(main->currentPage(), page::kJunkResult);
  EXPECT_FALSE(main->busy());
  EXPECT_EQ(Sysset("removedir"), "");
  // Nothing was made relative to the current folder either.
  std::vector<sys::FileEntry> entries;
  sim.files().ListFolder(sim.files().CurrentFolder(), entries);
  for (const sys::FileEntry& e : entries) EXPECT_EQ(e.name.find(NowDay()), std::string::npos) << e.name;
}

TEST_F(JunkPagesTest, WithoutTheSettingsTableNoMoveCleanStarts) {
  StartJunk();
  {
    store::Connection c = Db();
    store::RunStatement(c, "drop table sysset");
  }
  AddGroup("System (C:)").state = kScanned;
  main->control(id::radRemoveDir).Click();
  sim.shell().QueueBrowseAnswer("C:\\Junk");
  jc->imgJunkCleanClick();
  EXPECT_FALSE(main->busy());
  EXPECT_EQ(sim.shell().lastBrowseTitle(), "");
}

// --- scan and clean through the worker -----------------------------------------------------

TEST_F(JunkPagesTest, ALabelWithParenthesesIsScannedAsItsDrive) {
  sys::SimDrive e;
  e.label = "Backup (old)";
  sim.MapDrive('E', e);
  Plant("E:\\old\\a.tmp", std::string(100, 'a'));
  Plant("C:\\t\\b.tmp", "b");
  StartJunk();
  jc->drives[0].checked = false;  // C:
  CheckOnlyTypes({"*.tmp"});
  jc->imgJunkScanClick();
  EXPECT_TRUE(main->busy());
  Drain();
  EXPECT_EQ(main->currentPage(), page::kJunkResult);
  EXPECT_FALSE(main->busy());
  std::vector<TSearchJunk*> groups = JunkGroups(*main);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0]->drive, "E:");
  EXPECT_EQ(groups[0]->state.load(), kScanned);
  ASSERT_EQ(groups[0]->files.size(), 1u);
  EXPECT_EQ(groups[0]->PathOf(groups[0]->files[0]), "E:\\old\\a.tmp");
  EXPECT_EQ(jc->lstvJunkResultData(0, 0).text, "Backup (old) (E:)");
  EXPECT_EQ(jc->lstvJunkResultData(0, 1).text, "1");
  EXPECT_EQ(jc->lstvJunkResultData(0, 2).text, "100 B");
  EXPECT_EQ(Text(id::labStatus_Junk), "1 File(s)");
}

TEST_F(JunkPagesTest, TwoMoveCleansOnOneDayGoIntoTheirOwnDatedFolders) {
  sys::SimDrive d;
  d.label = "Data";
  sim.MapDrive('D', d);
  ASSERT_TRUE(sim.files().CreateFolder("D:\\Junk"));
  StartJunk();
  jc->drives[1].checked = false;  // D: holds the target
  CheckOnlyTypes({"*.tmp"});
  main->control(id::radRemoveDir).Click();
  const std::string day = NowDay();
  const char* names[] = {"first.tmp", "second.tmp"};
  for (int run = 1; run <= 2; ++run) {
    Plant(std::string("C:\\work\\") + names[run - 1], "junk");
    jc->imgJunkScanClick();
    Drain();
    ASSERT_EQ(main->currentPage(), page::kJunkResult);
    sim.shell().QueueBrowseAnswer(run == 1 ? "D:\\Junk" : "D:\\Junk\\");
    jc->imgJunkCleanClick();
    EXPECT_EQ(main->currentPage() == page::kJunkClean || main->currentPage() == page::kJunkFinish, true);
    Drain();
    EXPECT_EQ(main->currentPage(), page::kJunkFinish);
    EXPECT_EQ(sim.shell().lastBrowseStart(), run == 1 ? "" : "D:\\Junk\\");
    const std::string folder = "D:\\Junk\\" + day + "_" + std::to_string(run) + "\\";
    EXPECT_TRUE(sim.files().FileExists(folder + names[run - 1])) << folder;
    EXPECT_FALSE(sim.files().FileExists(std::string("C:\\work\\") + names[run - 1]));
    EXPECT_EQ(Sysset("removedir"), "D:\\Junk\\");
    EXPECT_EQ(jc->lstvJunkFinishData(0, 1).text, "1");
    EXPECT_EQ(jc->lstvJunkFinishData(0, 2).text, "0");
    EXPECT_EQ(jc->lstvJunkFinishData(0, 3).text, "4 B");
  }
  EXPECT_FALSE(sim.files().DirectoryExists("D:\\Junk\\" + day + "_3"));
}

TEST_F(JunkPagesTest, DeleteAndRecycleModesRemoveExactlyTheListedFiles) {
  StartJunk();
  CheckOnlyTypes({"*.tmp"});
  Plant("C:\\w\\a.tmp", "aa");
  Plant("C:\\w\\keep.txt", "k");
  jc->imgJunkScanClick();
  Drain();
  main->control(id::radDeleteFile).Click();
  jc->imgJunkCleanClick();
  Drain();
  EXPECT_FALSE(sim.files().FileExists("C:\\w\\a.tmp"));
  EXPECT_TRUE(sim.files().FileExists("C:\\w\\keep.txt"));
  EXPECT_TRUE(sim.shell().recycled().empty());

  Plant("C:\\w\\b.tmp", "bbb");
  main->control(id::imgCBack5).Click();
  jc->imgJunkScanClick();
  Drain();
  main->control(id::radDeleteToRec).Click();
  jc->imgJunkCleanClick();
  Drain();
  ASSERT_EQ(sim.shell().recycled().size(), 1u);
  EXPECT_EQ(sim.shell().recycled()[0].original, "C:\\w\\b.tmp");
  EXPECT_TRUE(sim.files().FileExists("C:\\w\\keep.txt"));
  EXPECT_EQ(jc->lstvJunkFinishData(0, 3).text, "3 B");
}

// --- export -------------------------------------------------------------------------------

TEST_F(JunkPagesTest, TheReportListsEveryFileWithItsPathAndSize) {
  StartJunk();
  TSearchJunk& c = AddGroup("System (C:)");
  c.folders = {"C:\\Temp\\", "C:\\A&B\\"};
  c.files.push_back({"setup.log", 0, 1536, 0, 0});
  c.files.push_back({"<big>.tmp", 1, 5ull << 30, 0, 0});
  c.fileCount = 2;
  AddGroup("Data (D:)");
  const std::vector<report::ExportGroup> groups = JunkExportGroups(main->scanResults);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].caption, "System (C:)");
  ASSERT_EQ(groups[0].rows.size(), 2u);
  EXPECT_EQ(groups[0].rows[0].detailHtml, "C:\\Temp\\setup.log");
  EXPECT_EQ(groups[0].rows[0].thirdHtml, "1.5 KB");
  EXPECT_EQ(groups[0].rows[1].detailHtml, "C:\\A&amp;B\\&lt;big&gt;.tmp");
  EXPECT_EQ(groups[0].rows[1].thirdHtml, "5.0 GB");
  EXPECT_EQ(groups[1].caption, "Data (D:)");
  EXPECT_TRUE(groups[1].rows.empty());

  ports.saveAnswers.push_back("C:\\Vantorel\\junk");
  main->control(id::imgJunkExport).Click();
  ASSERT_EQ(ports.saveDialogs.size(), 1u);
  EXPECT_EQ(ports.saveDialogs[0].defaultName.substr(0, 9), "JunkFile_");
  EXPECT_EQ(ports.saveDialogs[0].defaultName.size(), 9u + 14u);
  const std::string html = ReadFile("C:\\Vantorel\\junk.html");
  EXPECT_NE(html.find("<title>Junk Files - "), std::string::npos);
  EXPECT_NE(html.find("onclick=\"expand(this,0,2)\""), std::string::npos);
  EXPECT_NE(html.find("<td class=\"gridspace\">C:\\Temp\\setup.log</td>"), std::string::npos);
  EXPECT_NE(html.find("<td align=\"center\">1.5 KB</td>"), std::string::npos);
  EXPECT_NE(html.find("id=\"tr0_1\""), std::string::npos);
  EXPECT_EQ(html.find("id=\"tr0_2\""), std::string::npos);
  EXPECT_EQ(LastMessage(), "Data has been exported to C:\\Vantorel\\junk.html");
}

}  // namespace
}  // namespace vl::junk
