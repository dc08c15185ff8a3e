// The scan report page: rows from scanlog, their colours, the last scan
// date, and the Scan Again button.
#include "registry_cleaner/report_page.h"

#include "app/control_ids.h"
#include "programs/vantorel/testing/app_fixture.h"

namespace vl {
namespace {

class ReportPageTest : public vl::testing::AppFixture {
 protected:
  std::string Cell(int row, int col) { return main->control(id::lstvReport).rowProvider(row, col).text; }
};

TEST_F(ReportPageTest, AFreshDatabaseShowsAnEmptyReport) {
  Start();
  main->control(id::imgMOptions).onClick();
  main->control(id::lstvOptions).onItemClick(3);
  EXPECT_EQ(main->currentPage(), 504);
  EXPECT_EQ(main->form().activeSheet(), sheet::tabReport);
  EXPECT_EQ(Text(id::labReportTitle), "Scan Report");
  EXPECT_EQ(Text(id::labReportDesc), "Errors and problems found on your system");
  ui::Control& list = main->control(id::lstvReport);
  ASSERT_EQ(list.columns.size(), 3u);
  EXPECT_EQ(list.columns[0].caption, "Category");
  EXPECT_EQ(list.columns[1].caption, "Entries");
  EXPECT_EQ(list.columns[2].caption, "Cleaned");
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_EQ(Text(id::labRLastScan), "");
}

TEST_F(ReportPageTest, AfterARegistryScanAllFifteenCategoriesAreListedInOrder) {
  Start();
  // Two categories scanned; the log holds every category.
  ui::Control& cats = main->control(id::chklstRegistry);
  for (size_t i = 0; i < cats.itemChecked.size(); ++i) cats.SetItemChecked(static_cast<int>(i), i == 3 || i == 12);
  main->ShowPage(504);
  main->control(id::imgScanAgain).onClick();
  EXPECT_EQ(main->currentPage(), 102);
  EXPECT_TRUE(main->busy());
  Drain();
  EXPECT_EQ(main->currentPage(), 103);
  main->ShowPage(504);
  ui::Control& list = main->control(id::lstvReport);
  ASSERT_EQ(list.rowCount(), 15);
  EXPECT_EQ(Cell(0, 0), "ActiveX,OLE/COM Entries");
  EXPECT_EQ(Cell(14, 0), "Uninstall Entries");
  for (int r = 0; r < 15; ++r) {
    EXPECT_EQ(Cell(r, 2), "0") << r;
    EXPECT_FALSE(Cell(r, 1).empty()) << r;
  }
  // Stripes on every second row; counts bold red and bold green.
  ui::Cell even = list.rowProvider(0, 0), odd = list.rowProvider(1, 0);
  EXPECT_EQ(even.background, ui::kNoColor);
  EXPECT_EQ(odd.background, 0xF9F8F2u);
  ui::Cell entries = list.rowProvider(1, 1), cleaned = list.rowProvider(1, 2);
  EXPECT_TRUE(entries.bold);
  EXPECT_EQ(entries.color, 0xD92D20u);
  EXPECT_TRUE(cleaned.bold);
  EXPECT_EQ(cleaned.color, 0x12805Cu);
  EXPECT_EQ(cleaned.background, 0xF9F8F2u);
  EXPECT_FALSE(list.rowProvider(0, 0).bold);
  // The date of the scan in style 2.
  auto c = Db();
  std::string when = store::RunQuery(c, "select last_rscan from sysset").ColumnText(0);
  ASSERT_EQ(when.size(), 14u);
  EXPECT_EQ(Text(id::labRLastScan).rfind("Last Registry Scan Performed: ", 0), 0u);
  EXPECT_NE(Text(id::labRLastScan).find(when.substr(0, 4) + " ("), std::string::npos);
}

TEST_F(ReportPageTest, RowsComeInTheOrderOfTheLogWithTheirCounts) {
  Start();
  {
    auto c = Db();
    store::RunStatement(c, "insert into scanlog (id,type,scannum,cleannum) values (7,1,12,3)");
    store::RunStatement(c, "insert into scanlog (id,type,scannum,cleannum) values (2,1,5,0)");
    store::RunStatement(c, "insert into scanlog (id,type,scannum,cleannum) values (4,2,9,9)");  // not registry
    store::RunStatement(c, "insert into scanlog (id,type,scannum,cleannum) values (15,1,1,1)");  // no category
    store::RunStatement(c, "update sysset set last_rscan='20240305143000'");
  }
  main->ShowPage(504);
  ASSERT_EQ(main->control(id::lstvReport).rowCount(), 2);
  EXPECT_EQ(Cell(0, 0), "Invalid Shortcuts");
  EXPECT_EQ(Cell(0, 1), "12");
  EXPECT_EQ(Cell(0, 2), "3");
  EXPECT_EQ(Cell(1, 0), "Empty Registry Keys");
  EXPECT_EQ(Cell(1, 1), "5");
  EXPECT_EQ(Text(id::labRLastScan), "Last Registry Scan Performed: March 5, 2024 (14:30:00)");
  EXPECT_EQ(Cell(5, 0), "");  // past the end
}

TEST_F(ReportPageTest, EachSwitchRebuildsTheReport) {
  Start();
  {
    auto c = Db();
    store::RunStatement(c, "insert into scanlog (id,type,scannum,cleannum) values (0,1,1,0)");
    store::RunStatement(c, "update sysset set last_rscan='20240305143000'");
  }
  main->ShowPage(504);
  EXPECT_EQ(main->control(id::lstvReport).rowCount(), 1);
  {
    auto c = Db();
    store::RunStatement(c, "delete from scanlog");
    store::RunStatement(c, "update sysset set last_rscan='0'");
  }
  main->ShowPage(504);
  EXPECT_EQ(main->control(id::lstvReport).rowCount(), 0);
  EXPECT_EQ(Text(id::labRLastScan), "");
}

TEST_F(ReportPageTest, WithoutBothTablesTheReportStaysEmpty) {
  Start();
  {
    auto c = Db();
    store::RunStatement(c, "insert into scanlog (id,type,scannum,cleannum) values (0,1,1,0)");
    store::RunStatement(c, "drop table sysset");
  }
  main->ShowPage(504);
  EXPECT_EQ(main->control(id::lstvReport).rowCount(), 0);
  EXPECT_TRUE(ports.messages.empty());
}

}  // namespace
}  // namespace vl
