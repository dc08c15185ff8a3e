// Junk cleaner pages 201 to 205: their controls and what each switch writes.
#include "junk_cleaner/junk_pages.h"

#include "app/control_ids.h"
#include "app/page_codes.h"
#include "ui/page_builder.h"

namespace vl::junk {

using ui::Picture;
namespace st = ui::style;

void AddJunkPages(MainForm& m) {
  ui::Form& f = m.form();
  f.AddSheet(sheet::tabJunk, "tabJunk", st::kPage);
  f.AddSheet(sheet::tabJunk_Scan, "tabJunk_Scan", st::kPage);
  f.AddSheet(sheet::tabJunk_Result, "tabJunk_Result", st::kPage);
  f.AddSheet(sheet::tabJunk_Finish, "tabJunk_Finish", st::kPage);
  // The lists show the shared scan result list: one row per record.
  auto resize = [&m](id::ControlId list) {
    m.control(list).SetRowCount(static_cast<int>(m.scanResults.size()));
  };
  {
    ui::PageBuilder b(f, sheet::tabJunk, MainForm::kWidth);
    b.Title(id::labJunkSTitle, "labJunkSTitle", "Junk File Cleaner");
    b.Description(id::labJunkSDesc, "labJunkSDesc");
    b.Back(id::imgCBack2, "imgCBack2").onClick = [&m] { m.ShowPage(page::kCleanup); };
    m.RegisterPage(page::kJunkOptions, sheet::tabJunk, [&m] {
      m.control(id::labJunkSDesc)
          .SetText(
              "This cleaner can clean up various junk files from your system, speed up application "
              "performance\rand free up more hard drive space. ");
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabJunk_Scan, MainForm::kWidth);
    b.Title(id::labJunk_Scan_Title, "labJunk_Scan_Title");
    b.Description(id::labJunk_Scan_Desc, "labJunk_Scan_Desc");
    ui::Control& list = b.List(id::lstvJunkScan, "lstvJunkScan", {st::kMargin, 90, 709, 230});
    list.columns = {{"Drive", 400}, {"Files", 130}, {"Size", 150}};
    b.Label(id::panJunk_Scan_Hint, "panJunk_Scan_Hint", {st::kMargin, 326, 709, 20}, {},
            ui::FontStyle::Small, st::kMuted);
    b.BottomButton(id::imgJunkStop, "imgJunkStop", -1, "Stop", Picture::Stop).onClick = [&m] {
      m.imgJunkStopClick();
    };
    m.RegisterPage(page::kJunkScan, sheet::tabJunk_Scan, [&m, resize] {
      m.control(id::labJunk_Scan_Title).SetText("Search Disk Drives");
      m.control(id::labJunk_Scan_Desc)
          .SetText("Please wait while Vantorel Junk File Cleaner searches the selected drives for junk files. ");
      resize(id::lstvJunkScan);
    });
    m.RegisterPage(page::kJunkClean, sheet::tabJunk_Scan, [&m, resize] {
      m.control(id::labJunk_Scan_Title).SetText("Clean up junk files");
      m.control(id::labJunk_Scan_Desc)
          .SetText("Please wait while Vantorel Junk File Cleaner cleans the selected drives for junk files. ");
      resize(id::lstvJunkScan);
    });
  }
  {
    ui::PageBuilder b(f, sheet::tabJunk_Result, MainForm::kWidth);
    b.Title(id::labJunkRTitle, "labJunkRTitle", "Scan Result");
    ui::Control& list = b.List(id::lstvJunkResult, "lstvJunkResult", {st::kMargin, 60, 709, 280});
    list.columns = {{"Drive", 400}, {"Files", 130}, {"Size", 150}};
    b.Back(id::imgCBack5, "imgCBack5").onClick = [&m] { m.ShowPage(page::kJunkOptions); };
    m.RegisterPage(page::kJunkResult, sheet::tabJunk_Result, [resize] { resize(id::lstvJunkResult); });
  }
  {
    ui::PageBuilder b(f, sheet::tabJunk_Finish, MainForm::kWidth);
    b.Title(id::labJunk_Finish_Title, "labJunk_Finish_Title");
    b.Description(id::labJunk_Finish_Desc, "labJunk_Finish_Desc");
    ui::Control& list = b.List(id::lstvJunkFinish, "lstvJunkFinish", {st::kMargin, 90, 709, 250});
    list.columns = {{"Drive", 400}, {"Files", 130}, {"Size", 150}};
    list.striped = true;
    b.Back(id::imgJunkBack, "imgJunkBack").onClick = [&m] { m.ShowPage(page::kCleanup); };
    m.RegisterPage(page::kJunkFinish, sheet::tabJunk_Finish, [&m, resize] {
      m.control(id::labJunk_Finish_Title).SetText("Cleanup is finished");
      m.control(id::labJunk_Finish_Desc).SetText("Junk files have been cleared. ");
      resize(id::lstvJunkFinish);
    });
  }
}

}  // namespace vl::junk
